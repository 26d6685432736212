// Opening an archive for the tool's commands.
#include "tools/qar/qar_tool.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <strings.h>

void QarToolError(const char* pszFormat, ...)
{
    fputs("qar: ", stderr);
    va_list args;
    va_start(args, pszFormat);
    vfprintf(stderr, pszFormat, args);
    va_end(args);
    fputc('\n', stderr);
}

namespace
{
bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The base path the store needs: chunk files are named after it.
std::string BasePathOf(const std::string& name)
{
    static const char kSuffix[] = "_dir.qar";
    const size_t nSuffix = sizeof(kSuffix) - 1;
    if (name.size() > nSuffix && strcasecmp(name.c_str() + name.size() - nSuffix, kSuffix) == 0 &&
        IsRegularFile(name))
    {
        return name.substr(0, name.size() - nSuffix);
    }
    return name;
}
} // namespace

std::unique_ptr<CPackedStore> QarOpenArchive(const std::string& name)
{
    const std::string base = BasePathOf(name);
    if (!IsRegularFile(base + "_dir.qar") && !IsRegularFile(base))
    {
        QarToolError("%s: no such archive (neither %s_dir.qar nor %s is a file)", name.c_str(),
                     base.c_str(), base.c_str());
        return nullptr;
    }
    char szDirFileName[CPackedStore::PATH_SIZE];
    auto store = std::make_unique<CPackedStore>(base.c_str(), szDirFileName);
    const EPackedStoreLoad eLoad = store->GetLoadStatus();
    if (eLoad == QAR_LOAD_TREE_TRUNCATED)
    {
        QarToolError("%s: %s (the last complete entry ends at byte %d of the tree)", name.c_str(),
                     PackedStoreLoadText(eLoad), store->GetTreeWalkEnd());
        return nullptr;
    }
    if (eLoad != QAR_LOAD_OK)
    {
        QarToolError("%s: %s", name.c_str(), PackedStoreLoadText(eLoad));
        return nullptr;
    }
    return store;
}

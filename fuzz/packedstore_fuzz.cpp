// libFuzzer target: arbitrary bytes as a directory file. The store is opened
// over them, a few paths are looked up and read, every listed file is read,
// and the directory search runs.
#include "core/dbg.h"
#include "qarlib/packedstore.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
// Diagnostics are expected here (unknown versions, missing chunk files, the
// chunk slot limit, short reads); none of them may end the run.
SpewRetval_t QuietSpew(SpewType_t, const char*)
{
    return SPEW_CONTINUE;
}

// A private folder with the directory file and two chunk files, removed at exit.
struct FuzzFolder
{
    std::string folder;
    std::string base;
    FuzzFolder()
    {
        char szTemplate[] = "/tmp/qar_fuzz_XXXXXX";
        const char* pszDir = mkdtemp(szTemplate);
        if (!pszDir)
            abort();
        folder = pszDir;
        base = folder + "/p";
        // Two chunk files with known bytes; other indices stay missing.
        for (const char* pszSuffix : {"_000.qar", "_001.qar"})
        {
            FILE* f = fopen((base + pszSuffix).c_str(), "wb");
            for (int i = 0; f && i < 3 * 1024 * 1024 / 256; ++i)
            {
                unsigned char block[256];
                for (int j = 0; j < 256; ++j)
                    block[j] = static_cast<unsigned char>(i + j);
                fwrite(block, 1, sizeof(block), f);
            }
            if (f)
                fclose(f);
        }
        SpewOutputFunc(QuietSpew);
    }
    ~FuzzFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

void ReadSome(CPackedStore& store, CPackedFileHandle h)
{
    static std::vector<char> buffer(1 << 16);
    for (int i = 0; i < 4 && h.nPosition < h.nSize; ++i)
    {
        if (store.ReadData(h, buffer.data(), static_cast<int32_t>(buffer.size())) <= 0)
            break;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    static FuzzFolder folder;
    const std::string dirFile = folder.base + "_dir.qar";
    FILE* f = fopen(dirFile.c_str(), "wb");
    if (!f)
        return 0;
    fwrite(pData, 1, nSize, f);
    fclose(f);

    char szName[CPackedStore::PATH_SIZE];
    CPackedStore store(folder.base.c_str(), szName);
    store.GetReadCache().SetBlockLimit(1 + static_cast<int>(nSize % 3));
    for (const char* pszPath : {"a/b.txt", "d/f.txt", "readme", "A\\B\\..\\C\\d.TXT", "x.", ""})
        ReadSome(store, store.OpenFile(pszPath));

    std::vector<std::string> paths;
    store.GetFileList(paths, true);
    for (size_t i = 0; i < paths.size() && i < 64; ++i)
        ReadSome(store, store.OpenFile(paths[i].c_str()));

    std::vector<std::string> directories, files;
    store.FindEntries("*", directories, files);
    store.FindEntries("d/*.t*", directories, files);
    if (!paths.empty())
    {
        store.FindEntries((paths[0] + "*").c_str(), directories, files);
        store.DirectoryExists(paths[0].c_str());
    }
    store.DirectoryExists("");
    store.DirectoryExists("a/b");
    return 0;
}

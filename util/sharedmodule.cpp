#include "util/sharedmodule.h"

#include "core/dbg.h"
#include "core/platform_system.h"
#include "util/strtools.h"

#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace
{
// The longest UTF-8 form of a UTF-16 path of 32,767 characters, and the
// buffer the path is put together in.
constexpr int MAX_UNICODE_PATH_IN_UTF8 = 131068;
constexpr char kModuleExtension[] = ".dll";

// lock guards entries: (module handle, references), in load order.
struct SharedModuleTable
{
    std::mutex lock;
    std::vector<std::pair<void*, int>> entries;
};

SharedModuleTable& Table()
{
    static SharedModuleTable table;
    return table;
}

// The name as an absolute path with '\' separators.
void ComposeModulePath(const char* pszName, char* pszPath)
{
    if (V_IsAbsolute(pszName))
    {
        V_CopyBounded(pszPath, pszName, MAX_UNICODE_PATH_IN_UTF8);
    }
    else
    {
        std::vector<char> dir(MAX_UNICODE_PATH_IN_UTF8);
        if (!Plat_GetCurrentDirectoryUtf8(dir.data(), dir.size()))
            dir[0] = '\0';
        const size_t nLen = strlen(dir.data());
        if (nLen > 0 && dir[nLen - 1] == '/')
            dir[nLen - 1] = '\0';
        V_FormatBounded(pszPath, MAX_UNICODE_PATH_IN_UTF8, "%s/%s", dir.data(), pszName);
    }
    V_SetSeparators(pszPath, '\\');
}

void* LoadModuleFile(const char* pszName)
{
    std::vector<char> path(MAX_UNICODE_PATH_IN_UTF8);
    ComposeModulePath(pszName, path.data());
    void* hModule = Sys_LoadModule(path.data());
    if (!hModule && !V_FindNoCase(path.data(), kModuleExtension))
    {
        if (strlen(path.data()) + strlen(kModuleExtension) >= static_cast<size_t>(MAX_UNICODE_PATH_IN_UTF8))
            ReportAssertion("Assertion Failed: strlen(pchModuleName) + V_strlen(pModuleExtension) < "
                            "MAX_UNICODE_PATH_IN_UTF8",
                            false, "interface", 336, 0);
        V_AppendBounded(path.data(), kModuleExtension, MAX_UNICODE_PATH_IN_UTF8);
        hModule = Sys_LoadModule(path.data());
    }
    if (!hModule)
    {
        // The bare file name through the system's search order.
        std::vector<char> bare(MAX_UNICODE_PATH_IN_UTF8);
        const char* pszFile = V_LastComponent(pszName);
        if (V_FindNoCase(pszName, kModuleExtension))
            V_FormatBounded(bare.data(), MAX_UNICODE_PATH_IN_UTF8, "%s", pszFile);
        else
            V_FormatBounded(bare.data(), MAX_UNICODE_PATH_IN_UTF8, "%s%s", pszFile, kModuleExtension);
        hModule = Plat_LoadModuleBySearch(bare.data());
    }
    return hModule;
}
} // namespace

void* LoadSharedModule(const char* pszName)
{
    if (!pszName)
        return nullptr;
    void* hModule = LoadModuleFile(pszName);
    if (!hModule)
        return nullptr;
    SharedModuleTable& table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    for (auto& entry : table.entries)
    {
        if (entry.first == hModule)
        {
            ++entry.second;
            return hModule;
        }
    }
    table.entries.emplace_back(hModule, 1);
    return hModule;
}

void ReleaseSharedModule(void* hModule)
{
    if (!hModule)
        return;
    {
        SharedModuleTable& table = Table();
        std::lock_guard<std::mutex> hold(table.lock);
        for (auto it = table.entries.begin(); it != table.entries.end(); ++it)
        {
            if (it->first == hModule)
            {
                if (--it->second == 0)
                    table.entries.erase(it);
                break;
            }
        }
    }
    Plat_FreeModule(hModule);
}

int SharedModuleReferences(void* hModule)
{
    SharedModuleTable& table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    for (const auto& entry : table.entries)
        if (entry.first == hModule)
            return entry.second;
    return 0;
}

#include "wrapper/minidump_exports.h"

#include "core/platform.h"
#include "core/platform_system.h"
#include "util/sharedmodule.h"
#include "wrapper/client_binding.h"
#include "wrapper/client_library.h"

#include <cstdio>

namespace
{
typedef int(__cdecl* DumpFn)(uint32_t uExceptionCode, void* pExceptionInfo, uint32_t uBuildId);
typedef int(__cdecl* CommentFn)(const char* pszComment);
typedef int(__cdecl* InitFn)(void);

// The loaded legacy runtime library and the two entries taken from it.
// Unguarded: WexlaMiniDumpInit is expected once, early, from one thread;
// the forwarding calls only read (a crashing thread among them).
struct LegacyRuntimeBinding
{
    void* hModule = nullptr;
    DumpFn pfnDump = nullptr;
    CommentFn pfnComment = nullptr;
};

LegacyRuntimeBinding g_LegacyRuntime;
} // namespace

WEXLA_API int WexlaMiniDumpInit(void)
{
    LocateClientLibrary(nullptr, 0);
    char szPath[260];
    snprintf(szPath, sizeof(szPath), "%s%c%s", g_ClientBinding.szClientFolder, '\\', "Wexla2.dll");
    void* hModule = LoadSharedModule(szPath);
    if (!hModule)
        return 0;
    LegacyRuntimeBinding& legacy = g_LegacyRuntime;
    legacy.hModule = hModule;
    legacy.pfnDump =
        reinterpret_cast<DumpFn>(Plat_GetModuleSymbol(hModule, "WexlaWriteMiniDumpUsingExceptionInfoWithBuildId"));
    legacy.pfnComment = reinterpret_cast<CommentFn>(Plat_GetModuleSymbol(hModule, "WexlaWriteMiniDumpSetComment"));
    auto pfnInit = reinterpret_cast<InitFn>(Plat_GetModuleSymbol(hModule, "WexlaMiniDumpInit"));
    return pfnInit ? pfnInit() : 0;
}

WEXLA_API int WexlaWriteMiniDumpUsingExceptionInfoWithBuildId(uint32_t uExceptionCode, void* pExceptionInfo,
                                                              uint32_t uBuildId)
{
    DumpFn pfnDump = g_LegacyRuntime.pfnDump;
    return pfnDump ? pfnDump(uExceptionCode, pExceptionInfo, uBuildId) : 0;
}

WEXLA_API int WexlaWriteMiniDumpUsingExceptionInfo(uint32_t uExceptionCode, void* pExceptionInfo)
{
    return WexlaWriteMiniDumpUsingExceptionInfoWithBuildId(uExceptionCode, pExceptionInfo, 0);
}

WEXLA_API int WexlaWriteMiniDumpSetComment(const char* pszComment)
{
    CommentFn pfnComment = g_LegacyRuntime.pfnComment;
    return pfnComment ? pfnComment(pszComment) : 0;
}

WEXLA_API void WexlaWriteMiniDumpFromAssert(void)
{
    Plat_OutputDebugString("Wrapper not implemented:WexlaWriteMiniDumpFromAssert");
}

WEXLA_API void WexlaWriteMiniDumpWithAppID(void)
{
    Plat_OutputDebugString("Wrapper not implemented:WexlaWriteMiniDumpWithAppID");
}

void ReleaseLegacyRuntimeLibrary()
{
    LegacyRuntimeBinding& legacy = g_LegacyRuntime;
    if (!legacy.hModule)
        return;
    ReleaseSharedModule(legacy.hModule);
    legacy = LegacyRuntimeBinding();
}

#include "wrapper/client_library.h"

#include "core/platform.h"
#include "core/platform_system.h"
#include "public/wexla_client.h"
#include "util/strtools.h"
#include "wrapper/client_binding.h"

#include <cstdio>
#include <cstring>

namespace
{
constexpr size_t kClientPathSize = sizeof(g_ClientBinding.szClientFolder); // 1,040 bytes

// Formats one failure line of the binding into a buffer of nSize bytes and
// writes it to the debugger output stream.
template <size_t nSize>
void WriteBindFailure(const char* pszFormat, const char* pszArgument)
{
    char szLine[nSize];
    snprintf(szLine, sizeof(szLine), pszFormat, pszArgument);
    Plat_OutputDebugString(szLine);
}
} // namespace

bool LocateClientLibrary(char* pszPath, size_t nPathSize)
{
    ClientBinding& binding = g_ClientBinding;
    if (binding.szClientFolder[0] != '\0' && !pszPath)
        return true;

    char szFound[kClientPathSize] = {};
    // An empty value names no library: it would otherwise send the loader to
    // whatever path the module fallback below finds.
    const bool bNamed = ReadRegistryString("HKCU", WEXLA_ACTIVE_PROCESS_KEY, WEXLA_CLIENT_DLL_VALUE, szFound,
                                           sizeof(szFound)) &&
                        szFound[0] != '\0';
    if (szFound[0] == '\0')
    {
        // Only the folder is taken from here: a loaded client library, or
        // the main executable when none is loaded.
        Plat_GetModulePath(WEXLA_CLIENT_MODULE_NAME, szFound, sizeof(szFound));
    }

    if (pszPath && nPathSize > 0)
    {
        strncpy(pszPath, szFound, nPathSize);
        pszPath[nPathSize - 1] = '\0';
    }
    V_CopyBounded(binding.szClientFolder, szFound, sizeof(binding.szClientFolder));
    V_CutLastComponent(binding.szClientFolder);
    return bNamed;
}

bool IsClientProcessRunning()
{
    return Plat_IsProcessAlive(ReadRegistryDword("HKCU", WEXLA_ACTIVE_PROCESS_KEY, WEXLA_CLIENT_PID_VALUE, 0));
}

void* BindClientLibrary(void** phModule, const char* pszInterfaceVersion)
{
    g_ClientBinding.szClientFolder[0] = '\0';
    char szPath[kClientPathSize] = {};
    if (LocateClientLibrary(szPath, sizeof(szPath)))
    {
        if (IsClientProcessRunning())
        {
            // A failed load leaves a module held from an earlier start-up in
            // place, so that cleanup can still give it back.
            if (void* hLoaded = Sys_LoadModule(szPath))
                *phModule = hLoaded;
            else
                WriteBindFailure<1028>("[W_API FAIL] WexlaAPI_Init() failed; Sys_LoadModule failed to load: %s\n",
                                       szPath);
        }
        else
        {
            Plat_OutputDebugString("[W_API FAIL] WexlaAPI_Init() failed; WexlaAPI_IsWexlaRunning() failed.\n");
        }
    }
    if (!*phModule)
    {
        WriteBindFailure<256>("[W_API FAIL] WexlaAPI_Init() failed; unable to locate a running instance of Wexla, "
                              "or a local %s.\n",
                              WEXLA_CLIENT_MODULE_NAME);
        return nullptr;
    }

    auto pfnFactory = reinterpret_cast<WexlaCreateInterfaceFn>(Plat_GetModuleSymbol(*phModule, "CreateInterface"));
    if (!pfnFactory)
    {
        WriteBindFailure<256>("[W_API FAIL] WexlaAPI_Init() failed; unable to locate interface factory in %s.\n",
                              WEXLA_CLIENT_MODULE_NAME);
        Plat_FreeModule(*phModule);
        *phModule = nullptr;
        return nullptr;
    }
    return pfnFactory(pszInterfaceVersion, nullptr);
}

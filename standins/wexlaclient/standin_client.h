// Scripting exports of the stand-in wexlaclient.dll (test infrastructure).
//
// The stand-in answers the four client interfaces at their table positions.
// Tests set its answers through these extra exports (or a key-value file, see
// StandinClient_LoadScript) and read back every call it received, in order.
//
// Call log: one text per call, the method name and its arguments in order,
// comma-separated, numbers in decimal, texts as they came, buffers as their
// capacity only:
//   CreateInterface(WexlaClient017)          the factory
//   OpenConnection()
//   CloseConnection(1)
//   AttachLoggedOnUser(1)
//   DetachUser(1,1)
//   ObtainUserInterface(1,1,WexlaUser019)
//   ObtainUtilitiesInterface(1,WexlaUtils008)
//   ObtainApplicationsInterface(1,1,WEXLAAPPS_INTERFACE_VERSION008)
//   QueryAccountIdentity()
//   QueryRunningAppId()
//   IsAppOwned(220)
//   CollectAppDepots(220,32)                 application, capacity
//   QueryAppFolder(220,1024)                 application, buffer size
//   IsAppOnDisk(220)
//   Unused<n> on <interface>                 a placeholder position was called
//
// Defaults (at load and after StandinClient_Reset): connection handle 1, user
// handle 1, running application 0, identity 0, no refusals, no applications,
// an empty log. Unknown applications are not owned, not on disk, have no
// depots and no folder (QueryAppFolder then leaves the buffer untouched).
//
// Tests load the stand-in themselves (the same path the registry names, so
// wexla.dll gets the same module) and resolve these with
// StandinClientApi::Resolve.
#pragma once

#include <cstdint>

// X(result, name, parameters)
#define STANDIN_CLIENT_EXPORTS(X)                                                      \
    /* Back to the defaults; the log is emptied. */                                    \
    X(void, StandinClient_Reset, (void))                                               \
    /* QueryRunningAppId's answer. */                                                  \
    X(void, StandinClient_SetRunningAppId, (uint32_t uAppId))                          \
    /* QueryAccountIdentity's 64-bit answer. */                                        \
    X(void, StandinClient_SetAccountIdentity, (uint64_t uIdentity))                    \
    /* OpenConnection's answer. */                                                     \
    X(void, StandinClient_SetConnection, (int32_t hConnection))                        \
    /* AttachLoggedOnUser's answer; 0 is the refusal "no user logged on". */           \
    X(void, StandinClient_SetUserHandle, (int32_t hUser))                              \
    /* The factory and the Obtain methods answer null for this interface name;        \
       null lifts every refusal. */                                                    \
    X(void, StandinClient_RefuseInterface, (const char* pszVersion))                   \
    X(void, StandinClient_SetAppOwned, (uint32_t uAppId, int bOwned))                  \
    X(void, StandinClient_SetAppOnDisk, (uint32_t uAppId, int bOnDisk))                \
    /* QueryAppFolder copies this (cut to the buffer, NUL-terminated); null:          \
       the buffer is left untouched. */                                                \
    X(void, StandinClient_SetAppFolder, (uint32_t uAppId, const char* pszFolder))      \
    /* The depot ids CollectAppDepots writes (at most its capacity); it returns       \
       how many it wrote. */                                                           \
    X(void, StandinClient_SetAppDepots, (uint32_t uAppId, const uint32_t* pDepots, int32_t nCount)) \
    /* Makes CollectAppDepots return this count whatever it wrote (a lying or         \
       failing client: negative, 0, above the capacity). */                            \
    X(void, StandinClient_SetAppDepotsResult, (uint32_t uAppId, int32_t nResult))      \
    /* Reads answers from a key-value file (format in standin_script.cpp); 1 on       \
       success. At load the file named by WEXLACLIENT_STANDIN_SCRIPT is read. */       \
    X(int, StandinClient_LoadScript, (const char* pszPath))                            \
    /* The call log. */                                                                \
    X(int, StandinClient_CallCount, (void))                                            \
    X(const char*, StandinClient_CallAt, (int nIndex)) /* null past the end */         \
    X(void, StandinClient_ClearCalls, (void))

// Environment variable naming the key-value file read when the stand-in loads.
#define STANDIN_CLIENT_SCRIPT_VARIABLE "WEXLACLIENT_STANDIN_SCRIPT"

#if defined(_WIN32)
#include <windows.h>

// The scripting exports of a loaded stand-in, resolved by name.
struct StandinClientApi
{
#define STANDIN_CLIENT_POINTER(result, name, params) result(__cdecl* name) params = nullptr;
    STANDIN_CLIENT_EXPORTS(STANDIN_CLIENT_POINTER)
#undef STANDIN_CLIENT_POINTER

    // True when every export was found.
    bool Resolve(HMODULE hModule)
    {
        bool bAll = hModule != nullptr;
#define STANDIN_CLIENT_RESOLVE(result, name, params)                                           \
    name = hModule ? reinterpret_cast<result(__cdecl*) params>(                                \
                         reinterpret_cast<void*>(GetProcAddress(hModule, #name)))              \
                   : nullptr;                                                                  \
    bAll = bAll && name != nullptr;
        STANDIN_CLIENT_EXPORTS(STANDIN_CLIENT_RESOLVE)
#undef STANDIN_CLIENT_RESOLVE
        return bAll;
    }
};
#endif

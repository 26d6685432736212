// The stand-in client's scripting exports (declared in standin_client.h) and
// its entry routine, which reads the script named by the environment.
#include "standins/wexlaclient/standin_client.h"
#include "standins/wexlaclient/standin_state.h"

#include <windows.h>

#define STANDIN_EXPORT extern "C" __declspec(dllexport)

namespace
{
// Runs fn on the state under its lock.
template <typename Fn>
void Update(Fn fn)
{
    StandinClientState& state = Standin();
    std::lock_guard<std::mutex> hold(state.lock);
    fn(state);
}
} // namespace

STANDIN_EXPORT void __cdecl StandinClient_Reset(void)
{
    Update([](StandinClientState& s) { s.ResetLocked(); });
}

STANDIN_EXPORT void __cdecl StandinClient_SetRunningAppId(uint32_t uAppId)
{
    Update([=](StandinClientState& s) { s.uRunningAppId = uAppId; });
}

STANDIN_EXPORT void __cdecl StandinClient_SetAccountIdentity(uint64_t uIdentity)
{
    Update([=](StandinClientState& s) { s.uIdentity = uIdentity; });
}

STANDIN_EXPORT void __cdecl StandinClient_SetConnection(int32_t hConnection)
{
    Update([=](StandinClientState& s) { s.hConnection = hConnection; });
}

STANDIN_EXPORT void __cdecl StandinClient_SetUserHandle(int32_t hUser)
{
    Update([=](StandinClientState& s) { s.hUser = hUser; });
}

STANDIN_EXPORT void __cdecl StandinClient_RefuseInterface(const char* pszVersion)
{
    Update([=](StandinClientState& s) {
        if (pszVersion)
            s.refused.insert(pszVersion);
        else
            s.refused.clear();
    });
}

STANDIN_EXPORT void __cdecl StandinClient_SetAppOwned(uint32_t uAppId, int bOwned)
{
    Update([=](StandinClientState& s) { s.apps[uAppId].bOwned = bOwned != 0; });
}

STANDIN_EXPORT void __cdecl StandinClient_SetAppOnDisk(uint32_t uAppId, int bOnDisk)
{
    Update([=](StandinClientState& s) { s.apps[uAppId].bOnDisk = bOnDisk != 0; });
}

STANDIN_EXPORT void __cdecl StandinClient_SetAppFolder(uint32_t uAppId, const char* pszFolder)
{
    Update([=](StandinClientState& s) {
        StandinApp& app = s.apps[uAppId];
        app.bHasFolder = pszFolder != nullptr;
        app.folder = pszFolder ? pszFolder : "";
    });
}

STANDIN_EXPORT void __cdecl StandinClient_SetAppDepots(uint32_t uAppId, const uint32_t* pDepots, int32_t nCount)
{
    Update([=](StandinClientState& s) {
        StandinApp& app = s.apps[uAppId];
        app.depots.assign(pDepots, pDepots + (pDepots && nCount > 0 ? nCount : 0));
        app.bForceDepotResult = false;
    });
}

STANDIN_EXPORT void __cdecl StandinClient_SetAppDepotsResult(uint32_t uAppId, int32_t nResult)
{
    Update([=](StandinClientState& s) {
        StandinApp& app = s.apps[uAppId];
        app.bForceDepotResult = true;
        app.nDepotResult = nResult;
    });
}

STANDIN_EXPORT int __cdecl StandinClient_LoadScript(const char* pszPath)
{
    return pszPath && LoadStandinScript(pszPath) ? 1 : 0;
}

STANDIN_EXPORT int __cdecl StandinClient_CallCount(void)
{
    int nCount = 0;
    Update([&](StandinClientState& s) { nCount = static_cast<int>(s.calls.size()); });
    return nCount;
}

STANDIN_EXPORT const char* __cdecl StandinClient_CallAt(int nIndex)
{
    const char* pszCall = nullptr;
    Update([&](StandinClientState& s) {
        if (nIndex >= 0 && static_cast<size_t>(nIndex) < s.calls.size())
            pszCall = s.calls[nIndex].c_str();
    });
    return pszCall;
}

STANDIN_EXPORT void __cdecl StandinClient_ClearCalls(void)
{
    Update([](StandinClientState& s) { s.calls.clear(); });
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        char szPath[MAX_PATH];
        const DWORD nLen = GetEnvironmentVariableA(STANDIN_CLIENT_SCRIPT_VARIABLE, szPath, sizeof(szPath));
        if (nLen > 0 && nLen < sizeof(szPath))
            LoadStandinScript(szPath);
    }
    return TRUE;
}

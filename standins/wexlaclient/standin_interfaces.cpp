// The four client interfaces and the factory of the stand-in client. Each
// method records its call with its arguments, then answers from the state.
#include "public/wexla_client.h"
#include "standins/wexlaclient/standin_state.h"

#include <cinttypes>
#include <cstring>

#define STANDIN_UNUSED(iface, n)                     \
    void WEXLA_THISCALL Unused##n() override         \
    {                                                \
        RecordCall("Unused%d on %s", n, #iface);     \
    }

namespace
{
bool Matches(const char* pszVersion, const char* pszExpected)
{
    return pszVersion && strcmp(pszVersion, pszExpected) == 0 && !IsRefused(pszVersion);
}

const char* Text(const char* psz)
{
    return psz ? psz : "(null)";
}

class CStandinUser final : public IWexlaUser
{
public:
    STANDIN_UNUSED(IWexlaUser, 1)
    STANDIN_UNUSED(IWexlaUser, 2)
    uint64_t* WEXLA_THISCALL QueryAccountIdentity(uint64_t* pIdentityOut) override
    {
        RecordCall("QueryAccountIdentity()");
        StandinClientState& state = Standin();
        std::lock_guard<std::mutex> hold(state.lock);
        *pIdentityOut = state.uIdentity;
        return pIdentityOut;
    }
};

class CStandinUtils final : public IWexlaUtils
{
public:
    STANDIN_UNUSED(IWexlaUtils, 1)
    STANDIN_UNUSED(IWexlaUtils, 2)
    STANDIN_UNUSED(IWexlaUtils, 3)
    STANDIN_UNUSED(IWexlaUtils, 4)
    STANDIN_UNUSED(IWexlaUtils, 5)
    STANDIN_UNUSED(IWexlaUtils, 6)
    STANDIN_UNUSED(IWexlaUtils, 7)
    STANDIN_UNUSED(IWexlaUtils, 8)
    STANDIN_UNUSED(IWexlaUtils, 9)
    uint32_t WEXLA_THISCALL QueryRunningAppId() override
    {
        RecordCall("QueryRunningAppId()");
        StandinClientState& state = Standin();
        std::lock_guard<std::mutex> hold(state.lock);
        return state.uRunningAppId;
    }
};

class CStandinApps final : public IWexlaApps
{
public:
    STANDIN_UNUSED(IWexlaApps, 1)
    STANDIN_UNUSED(IWexlaApps, 2)
    STANDIN_UNUSED(IWexlaApps, 3)
    STANDIN_UNUSED(IWexlaApps, 4)
    STANDIN_UNUSED(IWexlaApps, 5)
    STANDIN_UNUSED(IWexlaApps, 6)
    bool WEXLA_THISCALL IsAppOwned(uint32_t uAppId) override
    {
        RecordCall("IsAppOwned(%u)", uAppId);
        StandinClientState& state = Standin();
        std::lock_guard<std::mutex> hold(state.lock);
        auto it = state.apps.find(uAppId);
        return it != state.apps.end() && it->second.bOwned;
    }
    STANDIN_UNUSED(IWexlaApps, 8)
    STANDIN_UNUSED(IWexlaApps, 9)
    STANDIN_UNUSED(IWexlaApps, 10)
    STANDIN_UNUSED(IWexlaApps, 11)
    STANDIN_UNUSED(IWexlaApps, 12)
    STANDIN_UNUSED(IWexlaApps, 13)
    STANDIN_UNUSED(IWexlaApps, 14)
    STANDIN_UNUSED(IWexlaApps, 15)
    STANDIN_UNUSED(IWexlaApps, 16)
    STANDIN_UNUSED(IWexlaApps, 17)
    int32_t WEXLA_THISCALL CollectAppDepots(uint32_t uAppId, uint32_t* pDepots, uint32_t nCapacity) override
    {
        RecordCall("CollectAppDepots(%u,%u)", uAppId, nCapacity);
        StandinClientState& state = Standin();
        std::lock_guard<std::mutex> hold(state.lock);
        auto it = state.apps.find(uAppId);
        if (it == state.apps.end())
            return 0;
        const StandinApp& app = it->second;
        uint32_t nWritten = 0;
        for (; nWritten < app.depots.size() && nWritten < nCapacity; ++nWritten)
            pDepots[nWritten] = app.depots[nWritten];
        return app.bForceDepotResult ? app.nDepotResult : static_cast<int32_t>(nWritten);
    }
    uint32_t WEXLA_THISCALL QueryAppFolder(uint32_t uAppId, char* pszFolder, uint32_t nFolderSize) override
    {
        RecordCall("QueryAppFolder(%u,%u)", uAppId, nFolderSize);
        StandinClientState& state = Standin();
        std::lock_guard<std::mutex> hold(state.lock);
        auto it = state.apps.find(uAppId);
        if (it == state.apps.end() || !it->second.bHasFolder || nFolderSize == 0)
            return 0;
        const std::string& folder = it->second.folder;
        const size_t nCopy = folder.size() < nFolderSize ? folder.size() : nFolderSize - 1;
        memcpy(pszFolder, folder.data(), nCopy);
        pszFolder[nCopy] = '\0';
        return static_cast<uint32_t>(nCopy);
    }
    bool WEXLA_THISCALL IsAppOnDisk(uint32_t uAppId) override
    {
        RecordCall("IsAppOnDisk(%u)", uAppId);
        StandinClientState& state = Standin();
        std::lock_guard<std::mutex> hold(state.lock);
        auto it = state.apps.find(uAppId);
        return it != state.apps.end() && it->second.bOnDisk;
    }
};

CStandinUser g_user;
CStandinUtils g_utils;
CStandinApps g_apps;

class CStandinClient final : public IWexlaClient
{
public:
    int32_t WEXLA_THISCALL OpenConnection() override
    {
        RecordCall("OpenConnection()");
        StandinClientState& state = Standin();
        std::lock_guard<std::mutex> hold(state.lock);
        return state.hConnection;
    }
    int32_t WEXLA_THISCALL CloseConnection(int32_t hConnection) override
    {
        RecordCall("CloseConnection(%d)", hConnection);
        return 1;
    }
    int32_t WEXLA_THISCALL AttachLoggedOnUser(int32_t hConnection) override
    {
        RecordCall("AttachLoggedOnUser(%d)", hConnection);
        StandinClientState& state = Standin();
        std::lock_guard<std::mutex> hold(state.lock);
        return state.hUser;
    }
    STANDIN_UNUSED(IWexlaClient, 4)
    void WEXLA_THISCALL DetachUser(int32_t hConnection, int32_t hUser) override
    {
        RecordCall("DetachUser(%d,%d)", hConnection, hUser);
    }
    IWexlaUser* WEXLA_THISCALL ObtainUserInterface(int32_t hUser, int32_t hConnection, const char* pszVersion) override
    {
        RecordCall("ObtainUserInterface(%d,%d,%s)", hUser, hConnection, Text(pszVersion));
        return Matches(pszVersion, WEXLA_USER_INTERFACE_VERSION) ? &g_user : nullptr;
    }
    STANDIN_UNUSED(IWexlaClient, 7)
    STANDIN_UNUSED(IWexlaClient, 8)
    STANDIN_UNUSED(IWexlaClient, 9)
    IWexlaUtils* WEXLA_THISCALL ObtainUtilitiesInterface(int32_t hConnection, const char* pszVersion) override
    {
        RecordCall("ObtainUtilitiesInterface(%d,%s)", hConnection, Text(pszVersion));
        return Matches(pszVersion, WEXLA_UTILS_INTERFACE_VERSION) ? &g_utils : nullptr;
    }
    STANDIN_UNUSED(IWexlaClient, 11)
    STANDIN_UNUSED(IWexlaClient, 12)
    STANDIN_UNUSED(IWexlaClient, 13)
    STANDIN_UNUSED(IWexlaClient, 14)
    STANDIN_UNUSED(IWexlaClient, 15)
    IWexlaApps* WEXLA_THISCALL ObtainApplicationsInterface(int32_t hUser, int32_t hConnection,
                                                           const char* pszVersion) override
    {
        RecordCall("ObtainApplicationsInterface(%d,%d,%s)", hUser, hConnection, Text(pszVersion));
        return Matches(pszVersion, WEXLA_APPS_INTERFACE_VERSION) ? &g_apps : nullptr;
    }
};

CStandinClient g_client;
} // namespace

extern "C" __declspec(dllexport) void* __cdecl CreateInterface(const char* pszVersion, int* pnReturnCode)
{
    RecordCall("CreateInterface(%s)", Text(pszVersion));
    void* pInterface = Matches(pszVersion, WEXLA_CLIENT_INTERFACE_VERSION) ? &g_client : nullptr;
    if (pnReturnCode)
        *pnReturnCode = pInterface ? 0 : 1;
    return pInterface;
}

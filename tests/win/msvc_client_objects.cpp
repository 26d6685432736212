// Client interface objects compiled for the MSVC C++ ABI (clang++ with an
// MSVC target), declared the way an MSVC-built client library declares them:
// QueryAccountIdentity returns its identity class by value, the unused
// positions are ordinary virtual methods. wexla.dll's own declarations
// (public/wexla_client.h, compiled by GCC) call these in the tests.
#include <stdint.h>

#include "tests/win/msvc_client_objects.h"

// A placeholder position.
#define UNUSED(n) \
    virtual void Unused##n() {}
#define UNUSED_1_TO_6 UNUSED(1) UNUSED(2) UNUSED(3) UNUSED(4) UNUSED(5) UNUSED(6)

namespace
{
class CWexlaID
{
public:
    CWexlaID(uint64_t uValue) : m_uValue(uValue) {}
    uint64_t m_uValue;
};

MsvcClientArguments g_arguments;

class CUser
{
public:
    UNUSED(1)
    UNUSED(2)
    virtual CWexlaID QueryAccountIdentity() { return CWexlaID(MSVC_CLIENT_IDENTITY); }
};

class CUtils
{
public:
    UNUSED_1_TO_6
    UNUSED(7)
    UNUSED(8)
    UNUSED(9)
    virtual uint32_t QueryRunningAppId() { return 220; }
};

class CApps
{
public:
    UNUSED_1_TO_6
    virtual bool IsAppOwned(uint32_t uAppId) { return uAppId == 220; }
    UNUSED(8)
    UNUSED(9)
    UNUSED(10)
    UNUSED(11)
    UNUSED(12)
    UNUSED(13)
    UNUSED(14)
    UNUSED(15)
    UNUSED(16)
    UNUSED(17)
    virtual int32_t CollectAppDepots(uint32_t uAppId, uint32_t* pDepots, uint32_t nCapacity)
    {
        g_arguments.uDepotsApp = uAppId;
        g_arguments.nDepotsCapacity = nCapacity;
        pDepots[0] = uAppId + 1;
        pDepots[1] = uAppId + 2;
        return 2;
    }
    virtual uint32_t QueryAppFolder(uint32_t uAppId, char* pszFolder, uint32_t nFolderSize)
    {
        g_arguments.uFolderApp = uAppId;
        g_arguments.nFolderSize = nFolderSize;
        const char szFolder[] = "C:\\msvc";
        for (uint32_t i = 0; i < sizeof(szFolder) && i < nFolderSize; ++i)
            pszFolder[i] = szFolder[i];
        return 7;
    }
    virtual bool IsAppOnDisk(uint32_t uAppId) { return uAppId != 220; }
};

CUser g_user;
CUtils g_utils;
CApps g_apps;

class CClient
{
public:
    virtual int32_t OpenConnection() { return 0x1234; }
    virtual int32_t CloseConnection(int32_t hConnection)
    {
        g_arguments.hClosed = hConnection;
        return 1;
    }
    virtual int32_t AttachLoggedOnUser(int32_t hConnection) { return hConnection + 1; }
    UNUSED(4)
    virtual void DetachUser(int32_t hConnection, int32_t hUser)
    {
        g_arguments.hDetachConnection = hConnection;
        g_arguments.hDetachUser = hUser;
    }
    virtual CUser* ObtainUserInterface(int32_t hUser, int32_t hConnection, const char* pszVersion)
    {
        g_arguments.hUserOfUser = hUser;
        g_arguments.hConnectionOfUser = hConnection;
        g_arguments.pszUserVersion = pszVersion;
        return &g_user;
    }
    UNUSED(7)
    UNUSED(8)
    UNUSED(9)
    virtual CUtils* ObtainUtilitiesInterface(int32_t hConnection, const char* pszVersion)
    {
        g_arguments.hConnectionOfUtils = hConnection;
        g_arguments.pszUtilsVersion = pszVersion;
        return &g_utils;
    }
    UNUSED(11)
    UNUSED(12)
    UNUSED(13)
    UNUSED(14)
    UNUSED(15)
    virtual CApps* ObtainApplicationsInterface(int32_t hUser, int32_t hConnection, const char* pszVersion)
    {
        g_arguments.hUserOfApps = hUser;
        g_arguments.hConnectionOfApps = hConnection;
        g_arguments.pszAppsVersion = pszVersion;
        return &g_apps;
    }
};

CClient g_client;
} // namespace

extern "C" void* MsvcClientObject(void)
{
    return &g_client;
}

extern "C" const MsvcClientArguments* MsvcClientArgumentsSeen(void)
{
    return &g_arguments;
}

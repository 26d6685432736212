// Client interface objects compiled for the MSVC C++ ABI (clang++ with an
// MSVC target), declared the way an MSVC-built client library declares them:
// QueryAccountIdentity returns its identity class by value, the unused
// positions are ordinary virtual methods. wexla.dll's own declarations
// (public/wexla_client.h, compiled by GCC) call these in the tests.
#include <stdint.h>

#include "tests/win/msvc_client_objects.h"

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
    virtual void Unused1() {}
    virtual void Unused2() {}
    virtual CWexlaID QueryAccountIdentity() { return CWexlaID(MSVC_CLIENT_IDENTITY); }
};

class CUtils
{
public:
    virtual void Unused1() {}
    virtual void Unused2() {}
    virtual void Unused3() {}
    virtual void Unused4() {}
    virtual void Unused5() {}
    virtual void Unused6() {}
    virtual void Unused7() {}
    virtual void Unused8() {}
    virtual void Unused9() {}
    virtual uint32_t QueryRunningAppId() { return 220; }
};

class CApps
{
public:
    virtual void Unused1() {}
    virtual void Unused2() {}
    virtual void Unused3() {}
    virtual void Unused4() {}
    virtual void Unused5() {}
    virtual void Unused6() {}
    virtual bool IsAppOwned(uint32_t uAppId) { return uAppId == 220; }
    virtual void Unused8() {}
    virtual void Unused9() {}
    virtual void Unused10() {}
    virtual void Unused11() {}
    virtual void Unused12() {}
    virtual void Unused13() {}
    virtual void Unused14() {}
    virtual void Unused15() {}
    virtual void Unused16() {}
    virtual void Unused17() {}
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
    virtual void Unused4() {}
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
    virtual void Unused7() {}
    virtual void Unused8() {}
    virtual void Unused9() {}
    virtual CUtils* ObtainUtilitiesInterface(int32_t hConnection, const char* pszVersion)
    {
        g_arguments.hConnectionOfUtils = hConnection;
        g_arguments.pszUtilsVersion = pszVersion;
        return &g_utils;
    }
    virtual void Unused11() {}
    virtual void Unused12() {}
    virtual void Unused13() {}
    virtual void Unused14() {}
    virtual void Unused15() {}
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

// wexla.dll's declarations of the client library's interfaces against objects
// compiled for the MSVC C++ ABI, as the real client library is: every used
// position, the arguments in order, the identity returned through caller
// storage.
#include "public/wexla_client.h"
#include "tests/win/msvc_client_objects.h"

#include <gtest/gtest.h>

#include <cstring>

#if defined(WEXLA_HAVE_MSVC_CLIENT)
TEST(ClientInterfaces, CallMsvcBuiltObjectsAtTheirPositions)
{
    auto* pClient = static_cast<IWexlaClient*>(MsvcClientObject());
    const MsvcClientArguments& seen = *MsvcClientArgumentsSeen();

    const int32_t hConnection = pClient->OpenConnection();
    EXPECT_EQ(0x1234, hConnection);
    const int32_t hUser = pClient->AttachLoggedOnUser(hConnection);
    EXPECT_EQ(0x1235, hUser);

    IWexlaUtils* pUtils = pClient->ObtainUtilitiesInterface(hConnection, WEXLA_UTILS_INTERFACE_VERSION);
    ASSERT_NE(nullptr, pUtils);
    EXPECT_EQ(hConnection, seen.hConnectionOfUtils);
    EXPECT_STREQ("WexlaUtils008", seen.pszUtilsVersion);
    EXPECT_EQ(220u, pUtils->QueryRunningAppId());

    IWexlaUser* pUser = pClient->ObtainUserInterface(hUser, hConnection, WEXLA_USER_INTERFACE_VERSION);
    ASSERT_NE(nullptr, pUser);
    EXPECT_EQ(hUser, seen.hUserOfUser);
    EXPECT_EQ(hConnection, seen.hConnectionOfUser);
    EXPECT_STREQ("WexlaUser019", seen.pszUserVersion);
    uint64_t uIdentity = 0;
    EXPECT_EQ(&uIdentity, pUser->QueryAccountIdentity(&uIdentity));
    EXPECT_EQ(MSVC_CLIENT_IDENTITY, uIdentity);

    IWexlaApps* pApps = pClient->ObtainApplicationsInterface(hUser, hConnection, WEXLA_APPS_INTERFACE_VERSION);
    ASSERT_NE(nullptr, pApps);
    EXPECT_EQ(hUser, seen.hUserOfApps);
    EXPECT_EQ(hConnection, seen.hConnectionOfApps);
    EXPECT_STREQ("WEXLAAPPS_INTERFACE_VERSION008", seen.pszAppsVersion);
    EXPECT_TRUE(pApps->IsAppOwned(220));
    EXPECT_FALSE(pApps->IsAppOwned(221));
    EXPECT_FALSE(pApps->IsAppOnDisk(220));
    EXPECT_TRUE(pApps->IsAppOnDisk(221));
    uint32_t depots[32] = {};
    EXPECT_EQ(2, pApps->CollectAppDepots(220, depots, 32));
    EXPECT_EQ(220u, seen.uDepotsApp);
    EXPECT_EQ(32u, seen.nDepotsCapacity);
    EXPECT_EQ(221u, depots[0]);
    EXPECT_EQ(222u, depots[1]);
    char szFolder[255];
    memset(szFolder, '#', sizeof(szFolder));
    pApps->QueryAppFolder(220, szFolder, sizeof(szFolder));
    EXPECT_EQ(220u, seen.uFolderApp);
    EXPECT_EQ(255u, seen.nFolderSize);
    EXPECT_STREQ("C:\\msvc", szFolder);

    pClient->DetachUser(hConnection, hUser);
    EXPECT_EQ(hConnection, seen.hDetachConnection);
    EXPECT_EQ(hUser, seen.hDetachUser);
    EXPECT_EQ(1, pClient->CloseConnection(hConnection));
    EXPECT_EQ(hConnection, seen.hClosed);
}
#endif

// Application queries through the exports: the answers made from fixed data,
// the ones asked of the stand-in client once started, and every query made
// while no client is bound.
#include "tests/win/client_fixture.h"
#include "tests/win/export_rows.h"
#include "tests/win/win_test_support.h"
#include "wrapper/apps_exports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace wintest;

namespace
{
#define WEXLA_APPS_EXPORT(name) decltype(&name) pfn##name = Export<decltype(&name)>(#name);
struct AppsApi
{
    WEXLA_APPS_EXPORT(WexlaGetAppIds)
    WEXLA_APPS_EXPORT(WexlaGetAppStats)
    WEXLA_APPS_EXPORT(WexlaEnumerateApp)
    WEXLA_APPS_EXPORT(WexlaEnumerateAppDependency)
    WEXLA_APPS_EXPORT(WexlaIsAppSubscribed)
    WEXLA_APPS_EXPORT(WexlaCheckAppOwnership)
    WEXLA_APPS_EXPORT(WexlaGetAppUpdateStats)
    WEXLA_APPS_EXPORT(WexlaGetUser)
};
#undef WEXLA_APPS_EXPORT

// A TWexlaAppRecord over buffers of its own, each filled with 'x' first.
struct AppRecordBuffers
{
    char szName[80];
    char szLabelA[8];
    char szLabelB[8];
    char szFolder[300];
    TWexlaAppRecord record;

    explicit AppRecordBuffers(uint32_t nNameCapacity = 64, uint32_t nFolderCapacity = 260)
    {
        memset(szName, 'x', sizeof(szName));
        memset(szLabelA, 'x', sizeof(szLabelA));
        memset(szLabelB, 'x', sizeof(szLabelB));
        memset(szFolder, 'x', sizeof(szFolder));
        memset(&record, 0xAB, sizeof(record));
        record.pName = szName;
        record.nNameCapacity = nNameCapacity;
        record.pLabelA = szLabelA;
        record.nLabelACapacity = 4;
        record.pLabelB = szLabelB;
        record.nLabelBCapacity = 2;
        record.pInstallFolder = szFolder;
        record.nInstallFolderCapacity = nFolderCapacity;
    }
};

// Identity fields: bits 0-31 account, 32-51 instance, 52-55 type, 56-63 universe.
constexpr uint64_t Identity(uint32_t nAccount, uint32_t nInstance, uint32_t nType, uint32_t nUniverse)
{
    return (static_cast<uint64_t>(nUniverse) << 56) | (static_cast<uint64_t>(nType) << 52) |
           (static_cast<uint64_t>(nInstance) << 32) | nAccount;
}

TWexlaUserIdentity LegacyUser(uint32_t nAccount)
{
    TWexlaUserIdentity user;
    memset(&user, 0x5A, sizeof(user)); // header and padding are not read
    user.nAccountHigh = nAccount >> 1;
    user.nAccountLowBit = nAccount & 1;
    return user;
}

// WexlaCleanup: the interfaces are given back, as before any start-up.
void UnbindClient()
{
    TWexlaError record;
    Export<int(__cdecl*)(TWexlaError*)>("WexlaCleanup")(&record);
}

bool WasCalled(const std::string& call)
{
    const std::vector<std::string> calls = StandinClientCalls();
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// WexlaStartup over the stand-in; true when the library obtained the
// applications interface (mounting may still fail: the queries do not need it).
bool BindClient()
{
    TWexlaError record;
    Export<int(__cdecl*)(uint32_t, TWexlaError*)>("WexlaStartup")(0, &record);
    return WasCalled("ObtainApplicationsInterface(1,1,WEXLAAPPS_INTERFACE_VERSION008)");
}

// A library started over the stand-in client with its default answers.
class AppsBound : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UnbindClient();
        m_published.PublishStandin();
        StandinClient().StandinClient_Reset();
        ASSERT_TRUE(BindClient()) << "the library did not bind the stand-in client";
    }
    void TearDown() override { UnbindClient(); }
    StandinClientApi& Client() const { return StandinClient(); }
    void SetDepots(uint32_t uAppId, std::initializer_list<uint32_t> depots) const
    {
        Client().StandinClient_SetAppDepots(uAppId, depots.begin(), static_cast<int32_t>(depots.size()));
    }

    PublishedClient m_published;
    ScopedEnvironmentVariable m_noGameId{"WexlaGameId", nullptr};
    AppsApi m_api;
};

class AppsUnbound : public ::testing::Test
{
protected:
    void SetUp() override { UnbindClient(); }
    AppsApi m_api;
};
} // namespace

// ---- Fixed answers ----------------------------------------------------------

TEST(AppsFixed, AppIdsNeedRoomForAllTwentyOne)
{
    AppsApi api;
    ASSERT_NE(nullptr, api.pfnWexlaGetAppIds);
    for (uint32_t nCapacity : {0u, 20u})
    {
        uint32_t ids[40];
        memset(ids, 0xEE, sizeof(ids));
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(0, api.pfnWexlaGetAppIds(ids, nCapacity, &record)) << nCapacity;
        EXPECT_EQ(eWexlaErrorFailed, record.eKind);
        EXPECT_STREQ("AppID buffer too small", record.szText);
        for (uint32_t id : ids)
            ASSERT_EQ(0xEEEEEEEEu, id) << "array written with capacity " << nCapacity;
    }
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(0, api.pfnWexlaGetAppIds(nullptr, 21, &record)) << "no array is no room";
    EXPECT_STREQ("AppID buffer too small", record.szText);
    EXPECT_EQ(0, api.pfnWexlaGetAppIds(nullptr, 21, nullptr)) << "no record either";

    for (uint32_t nCapacity : {21u, 40u})
    {
        uint32_t ids[40];
        memset(ids, 0xEE, sizeof(ids));
        record = DirtyRecord();
        EXPECT_EQ(1, api.pfnWexlaGetAppIds(ids, nCapacity, &record));
        EXPECT_EQ(eWexlaErrorNone, record.eKind);
        EXPECT_EQ(8600u, ids[0]);
        EXPECT_EQ(8660u, ids[5]);
        EXPECT_EQ(44620u, ids[7]);
        EXPECT_EQ(44711u, ids[20]);
        EXPECT_EQ(0xEEEEEEEEu, ids[21]) << "exactly 21 written";
    }
}

TEST(AppsFixed, AppStatsAreTheTableCountAndNineFixedValues)
{
    AppsApi api;
    TWexlaAppStatsRecord stats;
    memset(&stats, 0xEE, sizeof(stats));
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(1, api.pfnWexlaGetAppStats(&stats, &record));
    EXPECT_EQ(eWexlaErrorNone, record.eKind);
    EXPECT_EQ(21u, stats.nAppCount);
    const uint32_t kFixed[9] = {255, 255, 255, 1, 255, 255, 0, 0, 0};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(kFixed[i], stats.nFixed[i]) << i;
    EXPECT_EQ(0, api.pfnWexlaGetAppStats(nullptr, &record)) << "nothing to fill";
}

// Names come from the table whether or not a client is bound.
TEST(AppsFixed, EnumeratedNamesAreBoundedCopies)
{
    UnbindClient();
    AppsApi api;
    struct Case
    {
        uint32_t uAppId;
        uint32_t nCapacity;
        const char* pszExpected; // the bytes written, up to the capacity
        size_t nExpected;
    };
    const Case kCases[] = {
        {8660, 64, "KVR Evolution", 13},
        {8610, 7, "TORK 11", 7},                    // no room for the terminator
        {8650, 64, "TORK 11 - Quillmarsten Harbour Ring Expansion", 45},
        {12345, 64, "Wexla App 12345", 15},         // outside the table
        {4294967295u, 64, "Wexla App 4294967295", 20},
        {8600, 0, "", 0},
    };
    for (const Case& c : kCases)
    {
        AppRecordBuffers app(c.nCapacity);
        api.pfnWexlaEnumerateApp(c.uAppId, &app.record, nullptr);
        EXPECT_EQ(0, memcmp(app.szName, c.pszExpected, c.nExpected)) << c.uAppId;
        for (size_t i = c.nExpected; i < c.nCapacity; ++i)
            ASSERT_EQ('\0', app.szName[i]) << c.uAppId << ": zero-filled up to the capacity, at " << i;
        EXPECT_EQ('x', app.szName[c.nCapacity]) << c.uAppId << ": written past the capacity";
        EXPECT_EQ(c.uAppId, app.record.nAppId);
    }
}

TEST(AppsFixed, EnumeratedRecordHasLabelsAndFixedWords)
{
    UnbindClient();
    AppsApi api;
    AppRecordBuffers app;
    api.pfnWexlaEnumerateApp(8600, &app.record, nullptr);
    EXPECT_EQ(0, memcmp(app.szLabelA, "1\0\0\0x", 5)) << "capacity 4, zero-filled";
    EXPECT_EQ(0, memcmp(app.szLabelB, "1\0x", 3)) << "capacity 2";
    const uint32_t kFixed[7] = {1, 1, 1, 1, 1, 0, 1};
    const uint32_t got[7] = {app.record.nFixed1, app.record.nFixed2, app.record.nFixed3, app.record.nFixed4,
                             app.record.nFixed5, app.record.nFixed6, app.record.nFixed7};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(kFixed[i], got[i]) << "nFixed" << i + 1;

    // Buffers the caller did not give are never written.
    AppRecordBuffers none;
    none.record.pName = nullptr;
    none.record.pLabelA = nullptr;
    none.record.pLabelB = nullptr;
    none.record.pInstallFolder = nullptr;
    api.pfnWexlaEnumerateApp(8600, &none.record, nullptr);
    EXPECT_EQ(8600u, none.record.nAppId);
    EXPECT_EQ(0, api.pfnWexlaEnumerateApp(8600, nullptr, nullptr));
}

// ---- Before start-up (or after cleanup) ----------------------------------------

TEST_F(AppsUnbound, QueriesThatNeedTheClientReturnZeroWithClearedRecords)
{
    TWexlaError record = DirtyRecord();
    int bSubscribed = 7, bSecond = 7;
    EXPECT_EQ(0, m_api.pfnWexlaIsAppSubscribed(8600, &bSubscribed, &bSecond, &record));
    EXPECT_EQ(0, bSubscribed);
    EXPECT_EQ(eWexlaErrorNone, record.eKind);
    EXPECT_EQ('\0', record.szText[0]);

    record = DirtyRecord();
    int bOwned = 7;
    const TWexlaUserIdentity user = LegacyUser(2);
    EXPECT_EQ(0, m_api.pfnWexlaCheckAppOwnership(8600, &bOwned, &user, &record));
    EXPECT_EQ(0, bOwned);
    EXPECT_EQ(eWexlaErrorNone, record.eKind);

    record = DirtyRecord();
    char szUser[16] = "stale";
    uint32_t nLength = 7;
    EXPECT_EQ(0, m_api.pfnWexlaGetUser(szUser, sizeof(szUser), &nLength, nullptr, &record));
    EXPECT_EQ(0u, nLength);
    EXPECT_EQ(eWexlaErrorNone, record.eKind);
}

TEST_F(AppsUnbound, EnumerationAnswersNoFolderAndNoDepotsWithResultZero)
{
    AppRecordBuffers app;
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(0, m_api.pfnWexlaEnumerateApp(8600, &app.record, &record));
    EXPECT_EQ(eWexlaErrorNone, record.eKind);
    EXPECT_STREQ("TORK 11", app.szName);
    EXPECT_STREQ("", app.szFolder);
    EXPECT_EQ(0u, app.record.nDependencyCount);

    TWexlaDependencyRecord dependency;
    memset(&dependency, 0xEE, sizeof(dependency));
    record = DirtyRecord();
    EXPECT_EQ(0, m_api.pfnWexlaEnumerateAppDependency(8600, 0, &dependency, &record));
    EXPECT_EQ(eWexlaErrorNone, record.eKind);
    EXPECT_EQ(0u, dependency.nDepotId);
    EXPECT_EQ(0u, dependency.nPresent);
    EXPECT_EQ('\0', dependency.szFolder[0]);
    EXPECT_EQ(0, m_api.pfnWexlaEnumerateAppDependency(8600, 0, nullptr, &record));
}

TEST_F(AppsUnbound, UpdateStatsStillAnswerNothingDone)
{
    for (uint32_t uType : {1u, 2u})
    {
        TWexlaUpdateProgress progress;
        memset(&progress, 0xEE, sizeof(progress));
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(1, m_api.pfnWexlaGetAppUpdateStats(8601, uType, &progress, &record));
        EXPECT_EQ(1048576u, progress.nTotal);
        EXPECT_EQ(0u, progress.nDone);
        EXPECT_EQ(eWexlaErrorNone, record.eKind);
    }
    EXPECT_EQ(0, m_api.pfnWexlaGetAppUpdateStats(8601, 1, nullptr, nullptr));
}

// ---- Asked of the client --------------------------------------------------------

TEST_F(AppsBound, EnumerationAsksTheClientForFolderAndDepots)
{
    Client().StandinClient_SetAppFolder(8600, "C:\\Games\\Tork");
    SetDepots(8600, {8601, 8602});
    AppRecordBuffers app;
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(1, m_api.pfnWexlaEnumerateApp(8600, &app.record, &record));
    EXPECT_EQ(eWexlaErrorNone, record.eKind);
    EXPECT_STREQ("C:\\Games\\Tork", app.szFolder);
    EXPECT_EQ(2u, app.record.nDependencyCount);
    EXPECT_TRUE(WasCalled("QueryAppFolder(8600,260)"));
    EXPECT_TRUE(WasCalled("CollectAppDepots(8600,32)"));
}

TEST_F(AppsBound, DependenciesByIndexUpToTheDepotCount)
{
    Client().StandinClient_SetAppFolder(8600, "C:\\Games\\Tork");
    SetDepots(8600, {8601, 8602});
    struct Case
    {
        uint32_t uIndex;
        uint32_t nDepot;
        uint32_t nPresent;
        const char* pszFolder;
    };
    const Case kCases[] = {
        {0, 8601, 1, "C:\\Games\\Tork"}, // the application's folder, not the depot's
        {1, 8602, 1, "C:\\Games\\Tork"},
        {2, 0, 0, ""},
        {0xFFFFFFFF, 0, 0, ""},
    };
    for (const Case& c : kCases)
    {
        TWexlaDependencyRecord dependency;
        memset(&dependency, 'x', sizeof(dependency));
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(1, m_api.pfnWexlaEnumerateAppDependency(8600, c.uIndex, &dependency, &record)) << c.uIndex;
        EXPECT_EQ(c.nDepot, dependency.nDepotId) << c.uIndex;
        EXPECT_EQ(c.nPresent, dependency.nPresent) << c.uIndex;
        EXPECT_STREQ(c.pszFolder, dependency.szFolder) << c.uIndex;
        EXPECT_EQ(eWexlaErrorNone, record.eKind);
    }
    EXPECT_TRUE(WasCalled("QueryAppFolder(8600,255)"));
}

// A client that claims more depots than it was given room for, or a negative
// count, is never read past the 32 entries asked for.
TEST_F(AppsBound, DepotCountsOutsideTheArrayAreClamped)
{
    uint32_t many[40];
    for (uint32_t i = 0; i < 40; ++i)
        many[i] = 9000 + i;
    Client().StandinClient_SetAppDepots(8690, many, 40);
    Client().StandinClient_SetAppDepotsResult(8690, 40);

    AppRecordBuffers app;
    EXPECT_EQ(1, m_api.pfnWexlaEnumerateApp(8690, &app.record, nullptr));
    EXPECT_EQ(32u, app.record.nDependencyCount);
    TWexlaDependencyRecord dependency;
    EXPECT_EQ(1, m_api.pfnWexlaEnumerateAppDependency(8690, 31, &dependency, nullptr));
    EXPECT_EQ(9031u, dependency.nDepotId);
    EXPECT_EQ(1, m_api.pfnWexlaEnumerateAppDependency(8690, 35, &dependency, nullptr));
    EXPECT_EQ(0u, dependency.nPresent) << "index past the 32 asked for";

    Client().StandinClient_SetAppDepotsResult(8690, -3);
    EXPECT_EQ(1, m_api.pfnWexlaEnumerateApp(8690, &app.record, nullptr));
    EXPECT_EQ(0u, app.record.nDependencyCount) << "a negative count is none";
    EXPECT_EQ(1, m_api.pfnWexlaEnumerateAppDependency(8690, 0, &dependency, nullptr));
    EXPECT_EQ(0u, dependency.nPresent);
}

TEST_F(AppsBound, SubscriptionIsOwnership)
{
    Client().StandinClient_SetAppOwned(8600, 1);
    for (const auto& c : {std::make_pair(8600u, 1), std::make_pair(8610u, 0)})
    {
        int bSubscribed = 7, bSecond = 7;
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(1, m_api.pfnWexlaIsAppSubscribed(c.first, &bSubscribed, &bSecond, &record));
        EXPECT_EQ(c.second, bSubscribed) << c.first;
        EXPECT_EQ(0, bSecond);
        EXPECT_EQ(eWexlaErrorNone, record.eKind);
    }
    int bSubscribed = 7;
    EXPECT_EQ(1, m_api.pfnWexlaIsAppSubscribed(8600, &bSubscribed, nullptr, nullptr)) << "second flag not given";
    EXPECT_EQ(1, bSubscribed);
    EXPECT_EQ(0, m_api.pfnWexlaIsAppSubscribed(8600, nullptr, nullptr, nullptr));
}

TEST_F(AppsBound, OwnershipIsAnsweredForTheCurrentUserOnly)
{
    Client().StandinClient_SetAppOwned(8600, 1);
    struct Case
    {
        const char* pszWhat;
        uint64_t uCurrent;
        uint32_t nAskedAccount;
        uint32_t uAppId;
        int nResult;
        int bOwned;
    };
    const Case kCases[] = {
        {"current user, owned", Identity(12345, 1, 1, 1), 12345, 8600, 1, 1},
        {"current user, not owned", Identity(12345, 1, 1, 1), 12345, 8610, 1, 0},
        {"even account number", Identity(12344, 1, 1, 1), 12344, 8600, 1, 1},
        {"other universe kept", Identity(7, 1, 1, 4), 7, 8600, 1, 1},
        {"another account", Identity(12345, 1, 1, 1), 12344, 8600, 0, 0},
        {"current instance is not 1", Identity(12345, 2, 1, 1), 12345, 8600, 0, 0},
        {"current type is not 1", Identity(12345, 1, 3, 1), 12345, 8600, 0, 0},
    };
    for (const Case& c : kCases)
    {
        Client().StandinClient_SetAccountIdentity(c.uCurrent);
        const TWexlaUserIdentity user = LegacyUser(c.nAskedAccount);
        int bOwned = 7;
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(c.nResult, m_api.pfnWexlaCheckAppOwnership(c.uAppId, &bOwned, &user, &record)) << c.pszWhat;
        EXPECT_EQ(c.bOwned, bOwned) << c.pszWhat;
        EXPECT_EQ(eWexlaErrorNone, record.eKind) << c.pszWhat;
        EXPECT_EQ('\0', record.szText[0]) << c.pszWhat;
    }
    int bOwned = 7;
    EXPECT_EQ(0, m_api.pfnWexlaCheckAppOwnership(8600, &bOwned, nullptr, nullptr)) << "no user named";
    EXPECT_EQ(0, bOwned);
}

TEST_F(AppsBound, DepotUpdateStatsFollowTheEnumeratingApplication)
{
    SetDepots(8600, {8601, 8602});
    AppRecordBuffers app;
    ASSERT_EQ(1, m_api.pfnWexlaEnumerateApp(8600, &app.record, nullptr));

    TWexlaUpdateProgress progress;
    EXPECT_EQ(1, m_api.pfnWexlaGetAppUpdateStats(8601, 1, &progress, nullptr));
    EXPECT_EQ(1048576u, progress.nTotal);
    EXPECT_EQ(1048576u, progress.nDone) << "the client still lists 8601 for 8600";

    SetDepots(8600, {8602});
    EXPECT_EQ(1, m_api.pfnWexlaGetAppUpdateStats(8601, 1, &progress, nullptr));
    EXPECT_EQ(0u, progress.nDone) << "no longer listed";
    EXPECT_TRUE(WasCalled("CollectAppDepots(8600,32)"));
}

TEST_F(AppsBound, UpdateStatsOfAnUnknownDepotAskAboutTheRunningApplication)
{
    // The running application is learned at start-up: bind again with one.
    UnbindClient();
    Client().StandinClient_SetRunningAppId(44620);
    ASSERT_TRUE(BindClient());
    SetDepots(44620, {44621});
    Client().StandinClient_ClearCalls();

    TWexlaUpdateProgress progress;
    EXPECT_EQ(1, m_api.pfnWexlaGetAppUpdateStats(44621, 0, &progress, nullptr));
    EXPECT_EQ(1048576u, progress.nDone);
    EXPECT_TRUE(WasCalled("CollectAppDepots(44620,32)"));
    EXPECT_EQ(1, m_api.pfnWexlaGetAppUpdateStats(55555, 0, &progress, nullptr));
    EXPECT_EQ(0u, progress.nDone);
}

TEST_F(AppsBound, ApplicationUpdateStatsAskWhetherItIsOnDisk)
{
    Client().StandinClient_SetAppOnDisk(8600, 1);
    for (const auto& c : {std::make_pair(8600u, 1048576u), std::make_pair(8610u, 0u)})
    {
        TWexlaUpdateProgress progress;
        memset(&progress, 0xEE, sizeof(progress));
        EXPECT_EQ(1, m_api.pfnWexlaGetAppUpdateStats(c.first, 2, &progress, nullptr));
        EXPECT_EQ(1048576u, progress.nTotal);
        EXPECT_EQ(c.second, progress.nDone) << c.first;
    }
    EXPECT_TRUE(WasCalled("IsAppOnDisk(8600)"));
}

TEST_F(AppsBound, UserNameComesFromTheEnvironmentAndIdentityFromTheClient)
{
    Client().StandinClient_SetAccountIdentity(Identity(12345, 1, 1, 1));
    ScopedEnvironmentVariable user("WexlaUser", "player1");
    struct Case
    {
        const char* pszWhat;
        bool bBuffer;
        uint32_t nCapacity;
        uint32_t nLength;
        const char* pszName;
    };
    const Case kCases[] = {
        {"fits", true, 64, 7, "player1"},
        {"fits exactly", true, 8, 7, "player1"},
        {"too small: the size needed", true, 7, 8, ""},
        {"no buffer: the size needed", false, 64, 8, nullptr},
        {"no room", true, 0, 8, "stale"},
    };
    for (const Case& c : kCases)
    {
        char szUser[64] = "stale";
        uint32_t nLength = 99;
        TWexlaUserIdentity user;
        memset(&user, 0x5A, sizeof(user));
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(1, m_api.pfnWexlaGetUser(c.bBuffer ? szUser : nullptr, c.nCapacity, &nLength, &user, &record))
            << c.pszWhat;
        EXPECT_EQ(c.nLength, nLength) << c.pszWhat;
        if (c.pszName)
        {
            EXPECT_STREQ(c.pszName, szUser) << c.pszWhat;
        }
        EXPECT_EQ(0u, user.nHeader);
        EXPECT_EQ(6172u, user.nAccountHigh);
        EXPECT_EQ(1u, user.nAccountLowBit);
        EXPECT_EQ(0x5A, user.reserved[0]) << "the six bytes after the header are not written";
        EXPECT_EQ(eWexlaErrorNone, record.eKind);
    }

    ScopedEnvironmentVariable noUser("WexlaUser", nullptr);
    char szUser[16] = "stale";
    uint32_t nLength = 99;
    EXPECT_EQ(1, m_api.pfnWexlaGetUser(szUser, sizeof(szUser), &nLength, nullptr, nullptr));
    EXPECT_EQ(0u, nLength) << "not set";
    EXPECT_STREQ("", szUser) << "no stale name left behind";
    EXPECT_EQ(1, m_api.pfnWexlaGetUser(nullptr, 0, nullptr, nullptr, nullptr)) << "every output optional";
}

// ---- Trace lines -------------------------------------------------------------

namespace
{
// Run in a child whose command line carries the tracing switch (in the
// scenario's name): start-up mounts and so switches tracing on. Prints the
// debugger lines of the queries, one a line.
void TraceBoundQueries()
{
    PublishedClient published;
    published.PublishStandin();
    ScopedEnvironmentVariable noGameId("WexlaGameId", nullptr);
    ScopedEnvironmentVariable user("WexlaUser", "player1");
    StandinClientApi& client = StandinClient();
    client.StandinClient_Reset();
    client.StandinClient_SetAccountIdentity(Identity(12345, 1, 1, 1));
    client.StandinClient_SetAppOwned(8600, 1);
    const uint32_t depots[] = {8601, 8602};
    client.StandinClient_SetAppDepots(8600, depots, 2);
    BindClient();

    DebugStreamCapture capture;
    AppsApi api;
    uint32_t ids[21];
    api.pfnWexlaGetAppIds(ids, 21, nullptr);
    TWexlaAppStatsRecord stats;
    api.pfnWexlaGetAppStats(&stats, nullptr);
    AppRecordBuffers app;
    api.pfnWexlaEnumerateApp(8600, &app.record, nullptr);
    TWexlaDependencyRecord dependency;
    api.pfnWexlaEnumerateAppDependency(8600, 1, &dependency, nullptr);
    int bFlag = 0;
    api.pfnWexlaIsAppSubscribed(8600, &bFlag, nullptr, nullptr);
    api.pfnWexlaIsAppSubscribed(8610, &bFlag, nullptr, nullptr);
    const TWexlaUserIdentity asked = LegacyUser(12345);
    api.pfnWexlaCheckAppOwnership(8600, &bFlag, &asked, nullptr);
    TWexlaUpdateProgress progress;
    api.pfnWexlaGetAppUpdateStats(8601, 1, &progress, nullptr);
    char szUser[32];
    api.pfnWexlaGetUser(szUser, sizeof(szUser), nullptr, nullptr, nullptr);
    UnbindClient();
    api.pfnWexlaGetAppUpdateStats(8605, 2, &progress, nullptr);
    // No install path is published here: the launch fails after its trace.
    Export<decltype(&WexlaLaunchApp)>("WexlaLaunchApp")(8600, 0, nullptr, nullptr);
    Export<decltype(&WexlaLaunchApp)>("WexlaLaunchApp")(8600, 0, "-windowed", nullptr);
    ExitPrintingLines(capture.Lines());
}

const ChildScenario kTraceScenarios[] = {{"apps-traced-debugwexla2wrapper", TraceBoundQueries}};
const ChildScenarioRegistration kTraceRegistration(kTraceScenarios, 1);
} // namespace

TEST(AppsTrace, EachQueryWritesItsLineWhenTracingIsOn)
{
    const ChildResult r = RunChildScenario("apps-traced-debugwexla2wrapper");
    ASSERT_EQ(0u, r.nExitCode) << r.out;
    EXPECT_EQ("WexlaGetAppIds : 21 apps\n"
              "WexlaGetAppStats : 21 apps\n"
              "WexlaEnumerateApp appid 8600, dependencies 2\n"
              "WexlaEnumerateAppDependency AppID 8600, depot 8602\n"
              "WexlaIsAppSubscribed appid 8600: yes\n"
              "WexlaIsAppSubscribed appid 8610: no\n"
              "WexlaCheckAppOwnership uAppId 8600: 1\n"
              "WexlaGetAppUpdateStats appid 8601: 1048576 / 1048576\n"
              "WexlaGetUser: player1\n"
              "WexlaGetAppUpdateStats appid 8605: 0 / 1048576\n"
              "WexlaLaunchApp uAppId 8600, args \"\"\n"
              "WexlaLaunchApp uAppId 8600, args \"-windowed\"\n",
              r.out);
}

// ---- Every entry point of the two families --------------------------------------

// Each called with all its arguments 0 (every pointer null): nothing is written
// through a null output, and the caller removes the arguments. The launch is
// left out: with a published install path it would start the client.
void CallEveryQueryWithNullArguments()
{
    for (const ExportRow& row : kExportRows)
    {
        const std::string family = row.pszFamily;
        if ((family != "apps" && family != "tickets") || std::string(row.pszName) == "WexlaLaunchApp")
            continue;
        void* pfn = reinterpret_cast<void*>(GetProcAddress(Wexla(), row.pszName));
        ASSERT_NE(nullptr, pfn) << row.pszName;
        const MeasuredCall call = CallCdecl(pfn, std::vector<uintptr_t>(static_cast<size_t>(row.nArgs), 0));
        if (call.bStackMeasured)
        {
            EXPECT_EQ(0, call.nStackDrift) << row.pszName;
        }
    }
}

TEST_F(AppsUnbound, EveryEntryPointToleratesNullOutputs)
{
    CallEveryQueryWithNullArguments();
}

TEST_F(AppsBound, EveryEntryPointToleratesNullOutputs)
{
    Client().StandinClient_SetAppOwned(0, 1);
    SetDepots(0, {1, 2});
    ScopedEnvironmentVariable user("WexlaUser", "player1");
    CallEveryQueryWithNullArguments();
}

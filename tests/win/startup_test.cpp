// Start-up and cleanup against the stand-in client, called through wexla.dll's
// exports: the order of the client calls, every failure of the binding with
// its debugger lines and record, the application id fallback, the queries
// answered from start-up state, and what cleanup gives back.
#include "tests/win/client_fixture.h"
#include "tests/win/win_test_support.h"

#include "wrapper/client_binding.h"
#include "wrapper/startup.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace wintest;

namespace
{
typedef int(__cdecl* Startup_t)(uint32_t, TWexlaError*);
typedef int(__cdecl* Cleanup_t)(TWexlaError*);
typedef int(__cdecl* GetCurrentAppId_t)(uint32_t*, TWexlaError*);

const char kLoadFailure[] = "[W_API FAIL] WexlaAPI_Init() failed; Sys_LoadModule failed to load: ";
const char kNotRunning[] = "[W_API FAIL] WexlaAPI_Init() failed; WexlaAPI_IsWexlaRunning() failed.\n";
const char kNoInstance[] =
    "[W_API FAIL] WexlaAPI_Init() failed; unable to locate a running instance of Wexla, or a local wexlaclient.dll.\n";
const char kNoFactory[] = "[W_API FAIL] WexlaAPI_Init() failed; unable to locate interface factory in wexlaclient.dll.\n";

const std::vector<std::string> kStartupCalls = {
    "CreateInterface(WexlaClient017)",
    "OpenConnection()",
    "AttachLoggedOnUser(7)",
    "ObtainUtilitiesInterface(7,WexlaUtils008)",
    "ObtainUserInterface(9,7,WexlaUser019)",
    "ObtainApplicationsInterface(9,7,WEXLAAPPS_INTERFACE_VERSION008)",
};

int Startup(TWexlaError* pRecord)
{
    return Export<Startup_t>("WexlaStartup")(0, pRecord);
}

int Cleanup(TWexlaError* pRecord = nullptr)
{
    TWexlaError record = DirtyRecord();
    return Export<Cleanup_t>("WexlaCleanup")(pRecord ? pRecord : &record);
}

void ExpectCleared(const TWexlaError& record)
{
    EXPECT_EQ(0, record.eKind);
    EXPECT_EQ(0, record.eDetailType);
    EXPECT_EQ(0, record.nDetailCode);
    EXPECT_EQ('\0', record.szText[0]);
}

std::vector<std::string> With(std::vector<std::string> calls, std::initializer_list<std::string> more)
{
    calls.insert(calls.end(), more);
    return calls;
}

// The stand-in's log up to the hand-over: what mounting asks afterwards is
// the file system's business (tested with it).
std::vector<std::string> CallsUntilHandOver()
{
    std::vector<std::string> calls = StandinClientCalls();
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].rfind("QueryAppFolder(", 0) == 0)
            calls.resize(i + 1);
    return calls;
}

// A live stand-in client with connection 7, user 9 and application 220
// installed in C:\games\sample; start-up state given back after each test.
class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Cleanup();
        m_client.PublishStandin();
        StandinClientApi& api = StandinClient();
        api.StandinClient_Reset();
        api.StandinClient_SetConnection(7);
        api.StandinClient_SetUserHandle(9);
        api.StandinClient_SetRunningAppId(220);
        api.StandinClient_SetAppFolder(220, "C:\\games\\sample");
    }
    void TearDown() override
    {
        Cleanup();
    }

    PublishedClient m_client;
    ScopedEnvironmentVariable m_noGameId{"WexlaGameId", nullptr};
};
} // namespace

TEST_F(StartupTest, BindsInOrderAndCleanupDetachesThenCloses)
{
    TWexlaError record = DirtyRecord();
    DebugStreamCapture capture;
    EXPECT_EQ(1, Startup(&record));
    ExpectCleared(record);
    EXPECT_EQ(With(kStartupCalls, {"QueryRunningAppId()", "QueryAppFolder(220,1024)"}), CallsUntilHandOver());
    EXPECT_TRUE(capture.Lines().empty());

    StandinClient().StandinClient_ClearCalls();
    record = DirtyRecord();
    EXPECT_EQ(1, Export<Cleanup_t>("WexlaCleanup")(&record));
    ExpectCleared(record);
    EXPECT_EQ((std::vector<std::string>{"DetachUser(7,9)", "CloseConnection(7)"}), StandinClientCalls());
}

// The start-up state itself, through the same code linked into this program.
TEST_F(StartupTest, KeepsTheRunningApplicationAndItsFolder)
{
    TWexlaError record = DirtyRecord();
    ASSERT_EQ(1, WexlaStartup(0, &record));
    EXPECT_EQ(220u, g_ClientBinding.nCurrentAppId);
    EXPECT_STREQ("C:\\games\\sample", g_ClientBinding.szAppFolder);
    EXPECT_EQ(ProgramFolder(), g_ClientBinding.szClientFolder);
    EXPECT_NE(nullptr, g_ClientBinding.hClientModule);
    EXPECT_EQ(7, g_ClientBinding.hConnection);
    EXPECT_EQ(9, g_ClientBinding.hUser);
    EXPECT_EQ(1, WexlaCleanup(&record));
    EXPECT_EQ(nullptr, g_ClientBinding.pClient);
    EXPECT_EQ(nullptr, g_ClientBinding.pUtils);
    EXPECT_EQ(nullptr, g_ClientBinding.pUser);
    EXPECT_EQ(nullptr, g_ClientBinding.pApps);
    EXPECT_EQ(nullptr, g_ClientBinding.hClientModule);
    // Left for a later start-up and the other families.
    EXPECT_EQ(220u, g_ClientBinding.nCurrentAppId);
    EXPECT_STREQ("C:\\games\\sample", g_ClientBinding.szAppFolder);
}

TEST_F(StartupTest, AFolderThatFillsTheBufferIsCutToATerminatedText)
{
    const std::string longFolder(2000, 'f');
    StandinClient().StandinClient_SetAppFolder(220, longFolder.c_str());
    TWexlaError record = DirtyRecord();
    ASSERT_EQ(1, WexlaStartup(0, &record));
    EXPECT_EQ(std::string(1023, 'f'), g_ClientBinding.szAppFolder);
    WexlaCleanup(&record);
}

TEST_F(StartupTest, EveryFailureOfTheBindingWritesItsLinesAndRecord)
{
    const std::string missing = ProgramFolder() + "\\nowhere\\wexlaclient.dll";
    EndedProcess ended;
    const uint32_t nEndedPid = ended.Pid();

    struct Case
    {
        const char* pszWhat;
        std::string clientDll; // kNoValue: none published
        bool bPid;
        uint32_t nPid;
        const char* pszRefused;
        std::vector<std::string> lines;
        std::vector<std::string> calls;
    };
    const uint32_t nSelf = GetCurrentProcessId();
    const std::string kNoValue = "(none)";
    const Case cases[] = {
        {"library fails to load", missing, true, nSelf, nullptr, {kLoadFailure + missing + "\n", kNoInstance}, {}},
        {"client process ended", StandinClientPath(), true, nEndedPid, nullptr, {kNotRunning, kNoInstance}, {}},
        {"no pid published", StandinClientPath(), false, 0, nullptr, {kNotRunning, kNoInstance}, {}},
        {"pid 0", StandinClientPath(), true, 0, nullptr, {kNotRunning, kNoInstance}, {}},
        {"registry names no library", kNoValue, true, nSelf, nullptr, {kNoInstance}, {}},
        // The stand-in is loaded in this process: an empty value must not
        // send the loader to it.
        {"empty value names no library", "", true, nSelf, nullptr, {kNoInstance}, {}},
        {"library has no factory", Wexla2Path("wexla2"), true, nSelf, nullptr, {kNoFactory}, {}},
        {"factory gives no client", StandinClientPath(), true, nSelf, "WexlaClient017", {},
         {"CreateInterface(WexlaClient017)"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        m_client.RemoveValues();
        if (c.clientDll != kNoValue)
            m_client.SetClientDll(c.clientDll);
        if (c.bPid)
            m_client.SetPid(c.nPid);
        StandinClient().StandinClient_Reset();
        StandinClient().StandinClient_RefuseInterface(c.pszRefused);

        TWexlaError record = DirtyRecord();
        DebugStreamCapture capture;
        EXPECT_EQ(0, Startup(&record));
        EXPECT_EQ(c.lines, capture.Lines());
        EXPECT_EQ(1, record.eKind);
        EXPECT_EQ(0, record.eDetailType);
        EXPECT_EQ(0, record.nDetailCode);
        EXPECT_STREQ("WexlaAPI_Init_Internal failed", record.szText);
        EXPECT_EQ(c.calls, StandinClientCalls());
        // Nothing was bound, so cleanup calls nothing on the client.
        StandinClient().StandinClient_ClearCalls();
        EXPECT_EQ(1, Cleanup());
        EXPECT_TRUE(StandinClientCalls().empty());
    }
    // The library without a factory was given back at once.
    EXPECT_EQ(nullptr, GetModuleHandleA(Wexla2Path("wexla2").c_str()));
}

TEST_F(StartupTest, AMissingInterfaceOrUserFailsAfterEveryStepAndCleanupGivesTheRestBack)
{
    struct Case
    {
        const char* pszRefused;
        int32_t hUser;
    };
    const Case cases[] = {
        {"WexlaUtils008", 9},
        {"WexlaUser019", 9},
        {"WEXLAAPPS_INTERFACE_VERSION008", 9},
        {nullptr, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszRefused ? c.pszRefused : "user handle 0");
        StandinClientApi& api = StandinClient();
        api.StandinClient_Reset();
        api.StandinClient_SetConnection(7);
        api.StandinClient_SetUserHandle(c.hUser);
        api.StandinClient_RefuseInterface(c.pszRefused);

        TWexlaError record = DirtyRecord();
        DebugStreamCapture capture;
        EXPECT_EQ(0, Startup(&record));
        EXPECT_TRUE(capture.Lines().empty());
        EXPECT_EQ(1, record.eKind);
        EXPECT_STREQ("Missing interface", record.szText);
        std::vector<std::string> expected = {
            "CreateInterface(WexlaClient017)",
            "OpenConnection()",
            "AttachLoggedOnUser(7)",
            "ObtainUtilitiesInterface(7,WexlaUtils008)",
            "ObtainUserInterface(" + std::to_string(c.hUser) + ",7,WexlaUser019)",
            "ObtainApplicationsInterface(" + std::to_string(c.hUser) + ",7,WEXLAAPPS_INTERFACE_VERSION008)",
        };
        EXPECT_EQ(expected, StandinClientCalls());

        api.StandinClient_ClearCalls();
        EXPECT_EQ(1, Cleanup());
        EXPECT_EQ((std::vector<std::string>{"DetachUser(7," + std::to_string(c.hUser) + ")", "CloseConnection(7)"}),
                  StandinClientCalls());
    }
}

TEST_F(StartupTest, TheGameIdVariableStandsInOnlyWhenTheClientKnowsNoApplication)
{
    struct Case
    {
        const char* pszWhat;
        uint32_t uRunning;
        std::string value; // "-": variable absent
        uint32_t uExpected;
    };
    const Case cases[] = {
        {"client knows the application", 220, "440", 220},
        {"plain number", 0, "440", 440},
        {"number followed by letters", 0, "  +12abc", 12},
        {"negative wraps", 0, "-1", 4294967295u},
        {"low 32 bits of a longer number", 0, "4294967297", 1},
        {"no digits", 0, "abc", 0},
        {"empty", 0, "", 0},
        {"absent", 0, "-", 0},
        {"255 characters", 0, "7" + std::string(254, 'x'), 7},
        {"256 characters are ignored", 0, "7" + std::string(255, 'x'), 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        ScopedEnvironmentVariable gameId("WexlaGameId", c.value == "-" ? nullptr : c.value.c_str());
        StandinClient().StandinClient_SetRunningAppId(c.uRunning);
        StandinClient().StandinClient_ClearCalls();
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(1, Startup(&record));
        const std::vector<std::string> calls = CallsUntilHandOver();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ("QueryAppFolder(" + std::to_string(c.uExpected) + ",1024)", calls.back());
        Cleanup();
    }
}

TEST_F(StartupTest, CurrentAppIdAsksTheClientEachTimeWithoutTheFallback)
{
    auto pfn = Export<GetCurrentAppId_t>("WexlaGetCurrentAppId");
    ASSERT_NE(nullptr, pfn);

    // Before start-up: nothing to ask.
    StandinClient().StandinClient_ClearCalls();
    uint32_t uAppId = 55;
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(0, pfn(&uAppId, &record));
    EXPECT_EQ(0u, uAppId);
    ExpectCleared(record);
    EXPECT_TRUE(StandinClientCalls().empty());

    ScopedEnvironmentVariable gameId("WexlaGameId", "440");
    StandinClient().StandinClient_SetRunningAppId(0);
    ASSERT_EQ(1, Startup(&record));
    StandinClient().StandinClient_ClearCalls();
    uAppId = 55;
    EXPECT_EQ(1, pfn(&uAppId, &record));
    EXPECT_EQ(0u, uAppId); // no fallback here
    StandinClient().StandinClient_SetRunningAppId(330);
    EXPECT_EQ(1, pfn(&uAppId, &record));
    EXPECT_EQ(330u, uAppId);
    ExpectCleared(record);
    EXPECT_EQ((std::vector<std::string>{"QueryRunningAppId()", "QueryRunningAppId()"}), StandinClientCalls());
    // A null output is not written.
    EXPECT_EQ(1, pfn(nullptr, &record));

    // After cleanup, and after a start-up that got no utilities interface.
    Cleanup();
    EXPECT_EQ(0, pfn(&uAppId, &record));
    StandinClient().StandinClient_RefuseInterface("WexlaUtils008");
    EXPECT_EQ(0, Startup(&record));
    StandinClient().StandinClient_ClearCalls();
    uAppId = 55;
    EXPECT_EQ(0, pfn(&uAppId, &record));
    EXPECT_EQ(0u, uAppId);
    ExpectCleared(record);
    EXPECT_TRUE(StandinClientCalls().empty());
}

TEST_F(StartupTest, CleanupTwiceGivesTheClientLibraryBackOnce)
{
    TWexlaError record = DirtyRecord();
    ASSERT_EQ(1, Startup(&record));
    // From here the stand-in is held by wexla.dll alone.
    UnloadStandinClient();
    const std::string path = StandinClientPath();
    ASSERT_NE(nullptr, GetModuleHandleA(path.c_str()));
    EXPECT_EQ(1, Cleanup());
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));

    // Held by this test again: a second cleanup must not give it back.
    StandinClient().StandinClient_ClearCalls();
    record = DirtyRecord();
    EXPECT_EQ(1, Export<Cleanup_t>("WexlaCleanup")(&record));
    ExpectCleared(record);
    EXPECT_TRUE(StandinClientCalls().empty());
    EXPECT_NE(nullptr, GetModuleHandleA(path.c_str()));
}

TEST_F(StartupTest, CleanupBeforeAnyStartupOnlyClearsTheRecord)
{
    StandinClient().StandinClient_ClearCalls();
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(1, Export<Cleanup_t>("WexlaCleanup")(&record));
    ExpectCleared(record);
    EXPECT_TRUE(StandinClientCalls().empty());
}

TEST_F(StartupTest, ASecondStartupWithoutCleanupBindsAgain)
{
    TWexlaError record = DirtyRecord();
    ASSERT_EQ(1, Startup(&record));
    StandinClient().StandinClient_ClearCalls();
    StandinClient().StandinClient_SetRunningAppId(330);
    EXPECT_EQ(1, Startup(&record));
    EXPECT_EQ(With(kStartupCalls, {"QueryRunningAppId()", "QueryAppFolder(330,1024)"}), CallsUntilHandOver());
    Cleanup();
    // The second load took one more reference, which this one cleanup keeps.
    UnloadStandinClient();
    EXPECT_NE(nullptr, GetModuleHandleA(StandinClientPath().c_str()));
    FreeLibrary(GetModuleHandleA(StandinClientPath().c_str()));
}

TEST(StartupConstants, GettersWriteTheirConstantsAndSkipNullOutputs)
{
    typedef int(__cdecl * Pair_t)(uint32_t*, uint32_t*, TWexlaError*);
    typedef int(__cdecl * One_t)(void*, TWexlaError*);
    struct PairCase
    {
        const char* pszName;
        uint32_t uFirst;
        uint32_t uSecond;
    };
    for (const PairCase& c : {PairCase{"WexlaGetCurrentCellID", 1, 100}, PairCase{"WexlaGetLocalClientVersion", 1, 1}})
    {
        SCOPED_TRACE(c.pszName);
        auto pfn = Export<Pair_t>(c.pszName);
        ASSERT_NE(nullptr, pfn);
        uint32_t uFirst = 77, uSecond = 77;
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(1, pfn(&uFirst, &uSecond, &record));
        EXPECT_EQ(c.uFirst, uFirst);
        EXPECT_EQ(c.uSecond, uSecond);
        ExpectCleared(record);
        EXPECT_EQ(1, pfn(nullptr, nullptr, &record));
    }

    int32_t status[3] = {77, 77, 77};
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(1, Export<One_t>("WexlaGetOfflineStatus")(status, &record));
    EXPECT_EQ(0, status[0]);
    EXPECT_EQ(0, status[1]);
    EXPECT_EQ(77, status[2]); // two fields only
    ExpectCleared(record);
    EXPECT_EQ(1, Export<One_t>("WexlaGetOfflineStatus")(nullptr, &record));

    int32_t bLoggedIn = 77;
    record = DirtyRecord();
    EXPECT_EQ(1, Export<One_t>("WexlaIsLoggedIn")(&bLoggedIn, &record));
    EXPECT_EQ(1, bLoggedIn);
    ExpectCleared(record);
    EXPECT_EQ(1, Export<One_t>("WexlaIsLoggedIn")(nullptr, &record));
}

TEST(StartupConstants, VersionIsABoundedCopy)
{
    typedef int(__cdecl * GetVersion_t)(char*, int32_t);
    auto pfn = Export<GetVersion_t>("WexlaGetVersion");
    ASSERT_NE(nullptr, pfn);
    struct Case
    {
        int32_t nSize;
        int nResult;
        std::string written; // the first 12 bytes afterwards
    };
    const std::string untouched(12, '#');
    const Case cases[] = {
        {8, 1, std::string("1.0.0.0\0####", 12)},
        {4, 1, "1.0.########"},               // no terminator below 8 bytes
        {11, 1, std::string("1.0.0.0\0\0\0\0#", 12)}, // NUL fill up to the size
        {0, 0, untouched},
        {-1, 0, untouched},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.nSize);
        char buffer[12];
        memset(buffer, '#', sizeof(buffer));
        EXPECT_EQ(c.nResult, pfn(buffer, c.nSize));
        EXPECT_EQ(c.written, std::string(buffer, sizeof(buffer)));
    }
    EXPECT_EQ(0, pfn(nullptr, 8));
}

namespace
{
const char kCopyFolderVariable[] = "WEXLA_TEST_CLIENT_COPY";

// Child: a client library is loaded (from the folder the parent names) but
// the registry names none. Prints what start-up and minidump init make of it.
void StartupWithLoadedClientOnly()
{
    char szFolder[MAX_PATH] = {};
    GetEnvironmentVariableA(kCopyFolderVariable, szFolder, MAX_PATH);
    LoadLibraryA((std::string(szFolder) + "\\wexlaclient.dll").c_str());
    TWexlaError record = DirtyRecord();
    int nResult;
    std::vector<std::string> lines;
    {
        DebugStreamCapture capture;
        nResult = Startup(&record);
        lines = capture.Lines();
    }
    printf("startup %d kind %d \"%s\" lines %u\n", nResult, record.eKind, record.szText,
           static_cast<unsigned>(lines.size()));
    const int nInit = Export<int(__cdecl*)(void)>("WexlaMiniDumpInit")();
    char szWexla2[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("Wexla2.dll"), szWexla2, MAX_PATH);
    printf("init %d from %s\n", nInit, GetModuleHandleA("Wexla2.dll") ? szWexla2 : "(none)");
    fflush(stdout);
    ExitProcess(0);
}

const ChildScenario kStartupScenarios[] = {{"startup-loaded-client-only", StartupWithLoadedClientOnly}};
ChildScenarioRegistration g_startupScenarios(kStartupScenarios, 1);
} // namespace

// Without a registry value, a client library already loaded in the process
// is not bound; only its folder is kept, where the legacy runtime library is
// then found.
TEST(StartupFallback, ALoadedClientLibraryGivesOnlyItsFolder)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    const std::string folder = std::string(szTemp) + "wexla_loaded_client_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(StandinClientPath().c_str(), (folder + "\\wexlaclient.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(Wexla2Path("wexla2").c_str(), (folder + "\\Wexla2.dll").c_str(), FALSE));

    PublishedClient noValues;
    ChildResult child;
    {
        ScopedEnvironmentVariable copy(kCopyFolderVariable, folder.c_str());
        child = RunChildScenario("startup-loaded-client-only");
    }
    EXPECT_EQ(0u, child.nExitCode);
    EXPECT_EQ("startup 0 kind 1 \"WexlaAPI_Init_Internal failed\" lines 1\n"
              "init 1 from " + folder + "\\Wexla2.dll\n",
              child.out);

    DeleteFileA((folder + "\\wexlaclient.dll").c_str());
    DeleteFileA((folder + "\\Wexla2.dll").c_str());
    RemoveDirectoryA(folder.c_str());
}

// Start-up ends by handing over to the content file system: the running
// application's archives are mounted from its install folder, and a mount
// list that cannot be read fails start-up without an error record.
#include "tests/fs/fs_test_support.h"
#include "tests/win/client_fixture.h"
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

using namespace wintest;

namespace
{
typedef int(__cdecl* Startup_t)(uint32_t, TWexlaError*);
typedef int(__cdecl* Cleanup_t)(TWexlaError*);

// A live stand-in client whose application 220 lists depot 221 and is
// installed in the scratch folder's "game"; nothing mounted at the start.
class StartupHandOverTest : public fstest::FsTest
{
protected:
    void SetUp() override
    {
        fstest::FsTest::SetUp();
        Cleanup();
        m_client.PublishStandin();
        StandinClientApi& api = StandinClient();
        api.StandinClient_Reset();
        api.StandinClient_SetRunningAppId(220);
        api.StandinClient_SetAppFolder(220, fstest::ScratchPath("game").c_str());
        const uint32_t depots[] = {221};
        api.StandinClient_SetAppDepots(220, depots, 1);
    }
    void TearDown() override
    {
        Cleanup();
        fstest::FsTest::TearDown();
    }
    static int Startup(TWexlaError* pRecord)
    {
        return Export<Startup_t>("WexlaStartup")(0, pRecord);
    }
    static void Cleanup()
    {
        TWexlaError record;
        Export<Cleanup_t>("WexlaCleanup")(&record);
    }

    PublishedClient m_client;
    ScopedEnvironmentVariable m_noGameId{"WexlaGameId", nullptr};
};
} // namespace

TEST_F(StartupHandOverTest, MountsTheRunningApplicationsDepots)
{
    fstest::Pack("game/qars/depot_221", {{"maps/start.txt", "level one"}});
    TWexlaError record = DirtyRecord();
    ASSERT_EQ(1, Startup(&record));
    EXPECT_EQ(0, record.eKind);

    const fstest::FsApi& fs = fstest::Fs();
    const WexlaFileHandle_t hFile = fs.WexlaOpenFile("maps/start.txt", "rb", &record);
    ASSERT_NE(0u, hFile);
    EXPECT_NE(0u, hFile & QAR_FILE_HANDLE_FLAG); // from the archive
    EXPECT_EQ("level one", fstest::ReadToEnd(hFile));
    fs.WexlaCloseFile(hFile, &record);
}

TEST_F(StartupHandOverTest, AMountListThatDoesNotParseFailsWithAClearedRecord)
{
    fstest::WriteMountList("\"qars\"\n{\n\t\"mount\"\n\t{\n\t\t\"1\" \"qars\\base\"\n");
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(0, Startup(&record));
    EXPECT_EQ(0, record.eKind);
    EXPECT_EQ('\0', record.szText[0]);
    // Bound all the same: cleanup gives the client back.
    StandinClient().StandinClient_ClearCalls();
    Cleanup();
    EXPECT_EQ((std::vector<std::string>{"DetachUser(1,1)", "CloseConnection(1)"}), StandinClientCalls());
}

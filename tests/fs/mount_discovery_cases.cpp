// Archive discovery without a mount list file: the client's depots, else the
// qars folder scan. These call the file system library directly with a
// client binding of their own (an applications interface played by the
// test), over the Windows platform layer: the folders are named with
// backslashes.
#include "public/wexla_client.h"
#include "qarlib/packedstore.h"
#include "tests/fs/fs_test_support.h"
#include "wrapper/client_binding.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

using namespace fstest;

namespace
{
// Answers CollectAppDepots and QueryAppFolder; the other positions are never
// called.
class FakeApps : public IWexlaApps
{
public:
    std::vector<uint32_t> depots;
    int32_t nReportedCount = -1; // -1: the number written
    std::string folder;
    std::vector<std::string> calls;

    void WEXLA_THISCALL Unused1() override {}
    void WEXLA_THISCALL Unused2() override {}
    void WEXLA_THISCALL Unused3() override {}
    void WEXLA_THISCALL Unused4() override {}
    void WEXLA_THISCALL Unused5() override {}
    void WEXLA_THISCALL Unused6() override {}
    bool WEXLA_THISCALL IsAppOwned(uint32_t) override { return true; }
    void WEXLA_THISCALL Unused8() override {}
    void WEXLA_THISCALL Unused9() override {}
    void WEXLA_THISCALL Unused10() override {}
    void WEXLA_THISCALL Unused11() override {}
    void WEXLA_THISCALL Unused12() override {}
    void WEXLA_THISCALL Unused13() override {}
    void WEXLA_THISCALL Unused14() override {}
    void WEXLA_THISCALL Unused15() override {}
    void WEXLA_THISCALL Unused16() override {}
    void WEXLA_THISCALL Unused17() override {}
    int32_t WEXLA_THISCALL CollectAppDepots(uint32_t uAppId, uint32_t* pDepots, uint32_t nCapacity) override
    {
        calls.push_back("CollectAppDepots(" + std::to_string(uAppId) + "," + std::to_string(nCapacity) + ")");
        uint32_t n = std::min<uint32_t>(nCapacity, static_cast<uint32_t>(depots.size()));
        std::copy(depots.begin(), depots.begin() + n, pDepots);
        return nReportedCount >= 0 || nReportedCount < -1 ? nReportedCount : static_cast<int32_t>(n);
    }
    uint32_t WEXLA_THISCALL QueryAppFolder(uint32_t uAppId, char* pszFolder, uint32_t nFolderSize) override
    {
        calls.push_back("QueryAppFolder(" + std::to_string(uAppId) + "," + std::to_string(nFolderSize) + ")");
        snprintf(pszFolder, nFolderSize, "%s", folder.c_str());
        return 1;
    }
    bool WEXLA_THISCALL IsAppOnDisk(uint32_t) override { return true; }
};

struct DiscoveryTest : ::testing::Test
{
    FakeApps apps;
    std::string appFolder;

    void SetUp() override
    {
        Scratch();
        RemoveAll("wexla_qars.rmk");
        UnmountAll();
        appFolder = ScratchPath(TestInfoName() + "/app");
        MakeDirs(appFolder + "\\qars");
        apps.folder = appFolder;
        g_ClientBinding.nCurrentAppId = 220;
        snprintf(g_ClientBinding.szAppFolder, sizeof(g_ClientBinding.szAppFolder), "%s", appFolder.c_str());
        g_ClientBinding.pApps = nullptr;
        ASSERT_TRUE(InitFileSystem());
    }
    void TearDown() override
    {
        UnmountAll();
        g_ClientBinding = ClientBinding();
        RemoveAll(ScratchPath(TestInfoName()));
    }

    // Packs a depot-named archive into the qars folder.
    void PackDepot(const std::string& name, const std::string& content)
    {
        Pack(TestInfoName() + "/app/qars/" + name, {{"which.txt", content}});
    }

    // The base paths of the mounted archives, searched order, as recorded.
    static std::vector<std::string> Mounted()
    {
        std::vector<std::string> out;
        for (CPackedStore* pStore : g_FileSystem.mounts)
            out.push_back(pStore->GetBasePath());
        return out;
    }
};
} // namespace

TEST_F(DiscoveryTest, ScanMountsDepotDirectoryFilesOfTheQarsFolder)
{
    PackDepot("depot_7", "seven");
    PackDepot("DEPOT_8", "eight");
    PackDepot("other", "not a depot");
    WriteFile(appFolder + "\\qars\\depot_9.txt", "not a directory file");
    ASSERT_TRUE(MountAppArchives());
    std::vector<std::string> mounted = Mounted();
    std::sort(mounted.begin(), mounted.end());
    EXPECT_EQ((std::vector<std::string>{appFolder + "\\qars\\DEPOT_8", appFolder + "\\qars\\depot_7"}), mounted);
}

TEST_F(DiscoveryTest, MissingQarsFolderMountsNothingAndSucceeds)
{
    RemoveAll(appFolder + "\\qars");
    EXPECT_TRUE(MountAppArchives());
    EXPECT_TRUE(g_FileSystem.mounts.empty());
}

TEST_F(DiscoveryTest, ClientDepotsComeBeforeTheScan)
{
    PackDepot("depot_1234", "1234");
    PackDepot("depot_5678", "5678");
    PackDepot("depot_99", "scanned");
    apps.depots = {1234, 5678, 4444}; // 4444 has no archive: skipped
    g_ClientBinding.pApps = &apps;
    ASSERT_TRUE(MountAppArchives());
    EXPECT_EQ((std::vector<std::string>{"CollectAppDepots(220,64)"}), apps.calls);
    EXPECT_EQ((std::vector<std::string>{appFolder + "\\qars\\depot_5678", appFolder + "\\qars\\depot_1234"}),
              Mounted());
}

TEST_F(DiscoveryTest, NoDepotsOrALyingCountFallBackSafely)
{
    PackDepot("depot_3", "three");
    g_ClientBinding.pApps = &apps;
    const struct
    {
        std::vector<uint32_t> depots;
        int32_t nReported;
        std::vector<std::string> expected;
    } cases[] = {
        // No depots, or a failure: the scan.
        {{}, -1, {appFolder + "\\qars\\depot_3"}},
        {{3}, -5, {appFolder + "\\qars\\depot_3"}},
        // More than the array holds: only the array is read.
        {{3}, 1000, {appFolder + "\\qars\\depot_3"}},
    };
    for (const auto& c : cases)
    {
        UnmountAll();
        apps.depots = c.depots;
        apps.nReportedCount = c.nReported;
        EXPECT_TRUE(MountAppArchives());
        EXPECT_EQ(c.expected, Mounted()) << c.nReported;
    }
}

TEST_F(DiscoveryTest, MountListFileComesFirst)
{
    PackDepot("depot_3", "three");
    const std::string listed = Pack(TestInfoName() + "/listed", {{"which.txt", "listed"}});
    g_ClientBinding.pApps = &apps;
    apps.depots = {3};
    WriteMountList(MountListText({listed}));
    ASSERT_TRUE(MountAppArchives());
    EXPECT_EQ(std::vector<std::string>{listed}, Mounted());
    EXPECT_TRUE(apps.calls.empty());
    // An empty "mount" section looks neither at the depots nor the folder.
    UnmountAll();
    WriteMountList("\"qars\" { \"mount\" { } }");
    ASSERT_TRUE(MountAppArchives());
    EXPECT_TRUE(Mounted().empty());
    EXPECT_TRUE(apps.calls.empty());
    RemoveAll("wexla_qars.rmk");
}

TEST_F(DiscoveryTest, MountFilesystemMountsTheDepotOfItsOwner)
{
    PackDepot("depot_1234", "1234");
    g_ClientBinding.pApps = &apps;
    RecordDepotOwner(1234, 77);
    TWexlaError error;
    EXPECT_EQ(1, WexlaMountFilesystem(1234, "ignored", &error));
    EXPECT_EQ((std::vector<std::string>{"QueryAppFolder(77,1024)"}), apps.calls);
    EXPECT_EQ(std::vector<std::string>{appFolder + "\\qars\\depot_1234"}, Mounted());
    // The same depot again, and through a mount list: still mounted once.
    EXPECT_EQ(1, WexlaMountFilesystem(1234, "ignored", &error));
    MountArchive((appFolder + "\\qars\\depot_1234").c_str());
    EXPECT_EQ(1u, Mounted().size());
    // A depot nobody listed belongs to the running application.
    apps.calls.clear();
    EXPECT_EQ(1, WexlaMountFilesystem(999, nullptr, nullptr));
    EXPECT_EQ((std::vector<std::string>{"QueryAppFolder(220,1024)"}), apps.calls);
    EXPECT_EQ(1u, Mounted().size());
}

// Search, status and local copies: the cases only the host can set up (an
// exhausted heap, files past 4 GiB), and the folder-chain creation.
#include "wrapper/wexla2wrapper_find.h"

#include "tests/fs/fs_test_support.h"
#include "tests/host/qar_fixture.h"
#include "util/filewriter.h"
#include "wrapper/wexla2wrapper_stdio.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

using namespace fstest;

namespace
{
size_t g_nAskedBytes;
void* FailingAllocator(size_t nBytes)
{
    g_nAskedBytes = nBytes;
    return nullptr;
}

struct FindHostTest : FsTest
{
    void TearDown() override
    {
        SetLocalCopyAllocator(nullptr);
        FsTest::TearDown();
    }
    static std::string Rel(const std::string& relative) { return TestInfoName() + "/" + relative; }
};
} // namespace

TEST_F(FindHostTest, LocalCopyWithoutMemoryForTheFileFailsWithoutReading)
{
    MountOnly({Pack(Rel("pak"), {{Rel("data/file.bin"), Pattern(5000, 1)}})});
    SetLocalCopyAllocator(FailingAllocator);
    g_nAskedBytes = 0;
    TWexlaError error;
    memset(&error, 'Z', sizeof(error));
    EXPECT_EQ(0, WexlaGetLocalFileCopy(Rel("data/file.bin").c_str(), &error));
    EXPECT_EQ(0, error.eKind);
    EXPECT_EQ(5000u, g_nAskedBytes);
    struct stat st;
    EXPECT_NE(0, stat(ScratchPath(Rel("data")).c_str(), &st)) << "nothing is created";
    // The archive handle was given back: the next open gets slot 0 again.
    const WexlaFileHandle_t hFile = WexlaOpenFile(Rel("data/file.bin").c_str(), "rb", nullptr);
    EXPECT_EQ(QAR_FILE_HANDLE_FLAG, hFile);
    WexlaCloseFile(hFile, nullptr);
}

TEST_F(FindHostTest, SizesPastFourGibibytesReadAsTheLargest32BitSize)
{
    const std::string path = ScratchPath(Rel("huge.bin"));
    WriteFile(path, "");
    ASSERT_EQ(0, truncate(path.c_str(), 5LL << 30)); // sparse: takes no disk space
    TWexlaEntryInfo info;
    ASSERT_EQ(0, WexlaStat(Rel("huge.bin").c_str(), &info, nullptr));
    EXPECT_EQ(0xFFFFFFFFu, info.size);
    const WexlaFindHandle_t hFind = WexlaFindFirst(Rel("huge.bin").c_str(), 0, &info, nullptr);
    ASSERT_NE(0u, hFind);
    EXPECT_EQ(0xFFFFFFFFu, info.size);
    WexlaFindClose(hFind, nullptr);
}

TEST(CreateDirectories, CreatesTheMissingChainAndReportsTheLastLevel)
{
    qartest::TempDir dir;
    struct stat st;
    EXPECT_TRUE(CreateDirectories(dir.Path("a/b/c").c_str()));
    EXPECT_EQ(0, stat(dir.Path("a/b/c").c_str(), &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(CreateDirectories(dir.Path("a/b").c_str())); // already there
    EXPECT_TRUE(CreateDirectories(dir.Path("a//b\\d").c_str()));
    EXPECT_EQ(0, stat(dir.Path("a/b/d").c_str(), &st));

    // A file in the way: the result is false and the chain before it stays.
    qartest::WriteFileBytes(dir.Path("a/file"), "x");
    EXPECT_FALSE(CreateDirectories(dir.Path("a/file/x/y").c_str()));
    // Anything by the name counts as existing.
    EXPECT_TRUE(CreateDirectories(dir.Path("a/file").c_str()));
}

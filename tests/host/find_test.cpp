// Directory search, status and local copies over the disk and mounted
// archives, on the host's platform layer.
#include "wrapper/wexla2wrapper_find.h"

#include "core/platform.h"
#include "tests/host/qar_fixture.h"
#include "tests/host/test_support.h"
#include "util/filewriter.h"
#include "wrapper/wexla2wrapper_stdio.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using qartest::TempDir;

namespace
{
constexpr int32_t kArchiveTime = 178243200;

struct Found
{
    std::string name;
    int32_t isDirectory;
    uint32_t size;
    int32_t onDisk;
};

// A scratch folder as the working directory, and archives mounted for the
// length of a test.
class FindTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, getcwd(m_szSavedCwd, sizeof(m_szSavedCwd)));
        ASSERT_EQ(0, chdir(m_dir.Path().c_str()));
        UnmountAll();
        bVerboseTrace = true;
    }

    void TearDown() override
    {
        bVerboseTrace = false;
        SetLocalCopyAllocator(nullptr);
        UnmountAll();
        EXPECT_EQ(0, chdir(m_szSavedCwd));
    }

    // Packs the files as an archive in the scratch folder and mounts it in
    // front of the others.
    std::string Mount(const std::string& name, const qartest::FileList& files)
    {
        const std::string base = qartest::Pack(m_dir, name, files);
        MountArchive(base.c_str());
        return base;
    }

    void MakeDir(const std::string& relative) { ASSERT_EQ(0, mkdir(m_dir.Path(relative).c_str(), 0777)); }
    void WriteFile(const std::string& relative, const std::string& bytes)
    {
        qartest::WriteFileBytes(m_dir.Path(relative), bytes);
    }
    std::string Read(const std::string& relative) const { return qartest::ReadFileBytes(m_dir.Path(relative)); }
    bool Exists(const std::string& relative) const
    {
        struct stat st;
        return stat(m_dir.Path(relative).c_str(), &st) == 0;
    }

    // Every entry of a search, from its first call to its close.
    std::vector<Found> Search(const char* pszPattern, uint32_t eFilter)
    {
        std::vector<Found> found;
        TWexlaEntryInfo info;
        TWexlaError error;
        const WexlaFindHandle_t hFind = WexlaFindFirst(pszPattern, eFilter, &info, &error);
        if (!hFind)
            return found;
        do
        {
            found.push_back(Found{info.name, info.isDirectory, info.size, info.onDisk});
            if (!info.onDisk)
            {
                EXPECT_EQ(kArchiveTime, info.accessTime) << info.name;
                EXPECT_EQ(kArchiveTime, info.modifyTime) << info.name;
                EXPECT_EQ(kArchiveTime, info.createTime) << info.name;
            }
        } while (WexlaFindNext(hFind, &info, &error) == 0);
        EXPECT_EQ(0, WexlaFindClose(hFind, &error));
        return found;
    }

    TempDir m_dir;
    char m_szSavedCwd[4096];
};

TWexlaError DirtyError()
{
    TWexlaError error;
    memset(&error, 'Z', sizeof(error));
    error.eKind = 77;
    return error;
}

std::vector<std::string> Names(const std::vector<Found>& found, int32_t onDisk)
{
    std::vector<std::string> names;
    for (const Found& f : found)
        if (f.onDisk == onDisk)
            names.push_back(f.name);
    return names;
}
} // namespace

TEST_F(FindTest, SearchListsDiskEntriesThenArchiveDirectoriesThenArchiveFiles)
{
    MakeDir("maps");
    WriteFile("maps/disk.bsp", "12345");
    Mount("pak01", {{"maps/one.bsp", "a"}, {"maps/sub/x.txt", "b"}, {"maps/two.bsp", "c"}, {"other/y.txt", "d"}});
    Mount("pak02", {{"maps/three.bsp", "e"}, {"maps/sub/z.txt", "f"}, {"maps/more/w.txt", "g"}});

    const std::vector<Found> found = Search("maps/*", 1);
    // The disk part comes first, in the file system's order, "." and ".."
    // included as the Windows runtime lists them.
    std::vector<std::string> disk = Names(found, 1);
    ASSERT_EQ(3u, disk.size());
    for (size_t i = 0; i < disk.size(); ++i)
        EXPECT_EQ(1, found[i].onDisk) << i;
    std::sort(disk.begin(), disk.end());
    EXPECT_EQ((std::vector<std::string>{".", "..", "disk.bsp"}), disk);
    for (const Found& f : found)
        if (f.name == "disk.bsp")
            EXPECT_EQ(5u, f.size);

    // Then every archive's directories (newest archive first, a name met in
    // two archives listed twice), then the files; a file's size is 1.
    const std::vector<Found> archive(found.begin() + 3, found.end());
    const std::vector<std::pair<std::string, int32_t>> expected = {
        {"more", 1}, {"sub", 1}, {"sub", 1}, {"three.bsp", 0}, {"one.bsp", 0}, {"two.bsp", 0}};
    ASSERT_EQ(expected.size(), archive.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(expected[i].first, archive[i].name) << i;
        EXPECT_EQ(expected[i].second, archive[i].isDirectory) << i;
        EXPECT_EQ(expected[i].second ? 0u : 1u, archive[i].size) << i;
    }

    // Filter 0 stays on the disk.
    EXPECT_EQ(3u, Search("maps/*", 0).size());
}

TEST_F(FindTest, ArchiveOnlySearchDeliversFirstEntryFromFindFirstAndEndsWithAnEmptyName)
{
    Mount("pak01", {{"maps/sub/x.txt", "b"}, {"maps/a.bsp", "1234"}, {"maps/b.bsp", "5"}});
    testsupport::DebugStreamCapture trace;

    TWexlaEntryInfo info;
    TWexlaError error = DirtyError();
    const WexlaFindHandle_t hFind = WexlaFindFirst("./maps/*.bsp", 1, &info, &error);
    ASSERT_NE(0u, hFind);
    EXPECT_EQ(0, error.eKind);
    EXPECT_STREQ("sub", info.name);
    EXPECT_EQ(1, info.isDirectory);
    EXPECT_EQ(0u, info.size);
    EXPECT_EQ(0, info.onDisk);

    const char* expected[] = {"a.bsp", "b.bsp"};
    for (const char* pszName : expected)
    {
        ASSERT_EQ(0, WexlaFindNext(hFind, &info, &error));
        EXPECT_STREQ(pszName, info.name);
        EXPECT_EQ(0, info.isDirectory);
        EXPECT_EQ(1u, info.size); // the value 1, not the file's size
    }
    memset(info.name, 'q', sizeof(info.name));
    EXPECT_EQ(-1, WexlaFindNext(hFind, &info, &error));
    EXPECT_EQ('\0', info.name[0]);
    EXPECT_EQ(-1, WexlaFindNext(hFind, &info, &error)); // read to its end, still open
    EXPECT_EQ(0, WexlaFindClose(hFind, &error));

    const std::string h = std::to_string(hFind);
    EXPECT_EQ((std::vector<std::string>{"find first ./maps/*.bsp, eFiler 1, ret " + h, "find next a.bsp, ret 0",
                                        "find next b.bsp, ret 0", "find next , ret 4294967295",
                                        "find next , ret 4294967295", "find close " + h + ", ret 0"}),
              trace.Lines());
}

TEST_F(FindTest, SearchWithNothingFoundFailsAndFilterZeroNeverLooksInArchives)
{
    Mount("pak01", {{"maps/a.bsp", "1"}});
    testsupport::DebugStreamCapture trace;
    const struct
    {
        const char* pszPattern;
        uint32_t eFilter;
    } cases[] = {
        {"maps/*.bsp", 0},   // only in the archive
        {"nowhere/*", 1},    // nowhere at all
        {"maps/*.wav", 7},   // any non-zero filter searches the archives
    };
    for (const auto& c : cases)
    {
        TWexlaEntryInfo info;
        memset(&info, 0xAB, sizeof(info));
        TWexlaError error = DirtyError();
        EXPECT_EQ(0u, WexlaFindFirst(c.pszPattern, c.eFilter, &info, &error)) << c.pszPattern;
        EXPECT_EQ(eWexlaErrorFailed, error.eKind) << c.pszPattern;
        EXPECT_STREQ("WexlaFindFirst failed", error.szText);
        EXPECT_EQ(0xABABABABu, info.size) << "info is left as passed";
    }
    EXPECT_EQ("find first maps/*.bsp, eFiler 0, ret 0", trace.Lines().at(0));
}

TEST_F(FindTest, FindHandlesCountUpAndAreNeverReused)
{
    Mount("pak01", {{"a.txt", "1"}});
    TWexlaEntryInfo info;
    TWexlaError error;
    const WexlaFindHandle_t h1 = WexlaFindFirst("*.txt", 1, &info, &error);
    ASSERT_NE(0u, h1);
    EXPECT_EQ(0, WexlaFindClose(h1, &error));
    const WexlaFindHandle_t h2 = WexlaFindFirst("*.txt", 1, &info, &error);
    EXPECT_EQ(h1 + 1, h2);
    EXPECT_EQ(0u, WexlaFindFirst("*.none", 1, &info, &error)); // a failed search takes no number
    const WexlaFindHandle_t h3 = WexlaFindFirst("*.txt", 1, &info, &error);
    EXPECT_EQ(h2 + 1, h3);
    EXPECT_EQ(0, WexlaFindClose(h3, &error));
    EXPECT_EQ(0, WexlaFindClose(h2, &error));
}

TEST_F(FindTest, UnknownAndClosedHandlesFailCleanly)
{
    Mount("pak01", {{"a.txt", "1"}});
    TWexlaEntryInfo info;
    TWexlaError error;
    const WexlaFindHandle_t hClosed = WexlaFindFirst("*.txt", 1, &info, &error);
    ASSERT_NE(0u, hClosed);
    ASSERT_EQ(0, WexlaFindClose(hClosed, &error));

    for (WexlaFindHandle_t hFind : {0u, hClosed, hClosed + 1000, 0xFFFFFFFFu})
    {
        memset(info.name, 'q', sizeof(info.name));
        error = DirtyError();
        EXPECT_EQ(-1, WexlaFindNext(hFind, &info, &error)) << hFind;
        EXPECT_EQ('\0', info.name[0]);
        EXPECT_EQ(0, error.eKind) << "no error kind for an unknown handle";
        error = DirtyError();
        EXPECT_EQ(-1, WexlaFindClose(hFind, &error)) << hFind;
        EXPECT_EQ(0, error.eKind);
    }
}

TEST_F(FindTest, AbsentInfoAndErrorRecordsAreNeverWrittenThrough)
{
    WriteFile("disk.txt", "x");
    Mount("pak01", {{"a.txt", "1"}, {"b.txt", "2"}, {"sub/c.txt", "3"}});

    // Without an entry record the search still runs; each call consumes an
    // entry: disk.txt, then the archive's a.txt and b.txt.
    const WexlaFindHandle_t hFind = WexlaFindFirst("*.txt", 1, nullptr, nullptr);
    ASSERT_NE(0u, hFind);
    EXPECT_EQ(0, WexlaFindNext(hFind, nullptr, nullptr));
    EXPECT_EQ(0, WexlaFindNext(hFind, nullptr, nullptr));
    EXPECT_EQ(-1, WexlaFindNext(hFind, nullptr, nullptr));
    EXPECT_EQ(0, WexlaFindClose(hFind, nullptr));
    EXPECT_EQ(-1, WexlaFindClose(hFind, nullptr));

    // Failures that would write an error kind.
    EXPECT_EQ(0u, WexlaFindFirst("*.none", 1, nullptr, nullptr));
    EXPECT_EQ(0u, WexlaFindFirst(nullptr, 1, nullptr, nullptr));
    EXPECT_EQ(-1, WexlaStat("missing.txt", nullptr, nullptr));
    EXPECT_EQ(0, WexlaStat("a.txt", nullptr, nullptr));
    EXPECT_EQ(0, WexlaStat("/dev/null", nullptr, nullptr));
    EXPECT_EQ(0, WexlaIsFileImmediatelyAvailable("missing.txt", nullptr));
    EXPECT_EQ(0, WexlaGetLocalFileCopy("missing.txt", nullptr));
    EXPECT_EQ(1, WexlaGetLocalFileCopy("b.txt", nullptr));

    // Absent paths are not found.
    TWexlaError error = DirtyError();
    TWexlaEntryInfo info;
    EXPECT_EQ(0u, WexlaFindFirst(nullptr, 1, &info, &error));
    EXPECT_EQ(eWexlaErrorFailed, error.eKind);
    EXPECT_EQ(-1, WexlaStat(nullptr, &info, &error));
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
    EXPECT_EQ(0, WexlaGetLocalFileCopy(nullptr, &error));
}

TEST_F(FindTest, StatAsksTheArchivesFirstThenTheDisk)
{
    MakeDir("diskdir");
    WriteFile("diskdir/file.dat", std::string(300, 'd'));
    WriteFile("both.txt", "on disk, longer than in the archive");
    MakeDir("folder.v2");
    Mount("pak01", {{"models/hero.mdl", std::string(1234, 'm')},
                    {"both.txt", "archive"},
                    {"pack.v2/inner.txt", "x"},
                    {"materials/brick.vmt", "y"}});

    const struct
    {
        const char* pszPath;
        int nResult;
        int32_t eKind;
        int32_t isDirectory;
        uint32_t size;
        int32_t onDisk;
        const char* pszName;
    } cases[] = {
        {"models/hero.mdl", 0, 0, 0, 1234, 0, "hero.mdl"},
        {".\\models\\\\hero.mdl", 0, 0, 0, 1234, 0, "hero.mdl"},   // normalised for the archives
        {"both.txt", 0, 0, 0, 7, 0, "both.txt"},                    // the archive wins
        {"models", 0, 0, 1, 0, 0, "models"},
        {"mat", 0, 0, 1, 0, 0, "mat"},                              // a prefix of materials/
        {"pack.v2", -1, eWexlaErrorNotFound, 0, 0, 0, ""},          // extension: never an archive directory
        {"folder.v2", 0, 0, 1, 0, 1, "folder.v2"},                  // ... but the disk has this one
        {"diskdir/file.dat", 0, 0, 0, 300, 1, "file.dat"},
        {"diskdir", 0, 0, 1, 0, 1, "diskdir"},
        {"nothing/here.txt", -1, eWexlaErrorNotFound, 0, 0, 0, ""},
        {"/dev/null", 0, eWexlaErrorNotFound, 0, 0, 0, ""},         // neither file nor directory
    };
    for (const auto& c : cases)
    {
        TWexlaEntryInfo info;
        memset(&info, 0xCD, sizeof(info));
        TWexlaError error = DirtyError();
        EXPECT_EQ(c.nResult, WexlaStat(c.pszPath, &info, &error)) << c.pszPath;
        EXPECT_EQ(c.eKind, error.eKind) << c.pszPath;
        EXPECT_EQ(c.isDirectory, info.isDirectory) << c.pszPath;
        EXPECT_EQ(c.size, info.size) << c.pszPath;
        EXPECT_EQ(c.onDisk, info.onDisk) << c.pszPath;
        EXPECT_STREQ(c.pszName, info.name) << c.pszPath;
        EXPECT_EQ('\0', info.padding) << c.pszPath;
        const bool bFound = c.nResult == 0 && c.eKind == 0;
        if (bFound && !c.onDisk)
            EXPECT_EQ(kArchiveTime, info.modifyTime) << c.pszPath;
        if (bFound && c.onDisk)
            EXPECT_GT(info.modifyTime, kArchiveTime) << c.pszPath;
        if (!bFound)
            EXPECT_EQ(0, info.modifyTime) << c.pszPath << ": info zeroed";
    }
}

TEST_F(FindTest, ImmediatelyAvailableFollowsStatAndTraces)
{
    Mount("pak01", {{"a.txt", "1"}});
    testsupport::DebugStreamCapture trace;
    TWexlaError error = DirtyError();
    EXPECT_EQ(1, WexlaIsFileImmediatelyAvailable("a.txt", &error));
    EXPECT_EQ(0, error.eKind);
    EXPECT_EQ(1, WexlaIsFileImmediatelyAvailable("/dev/null", &error)); // stat answered 0
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
    EXPECT_EQ(0, WexlaIsFileImmediatelyAvailable("b.txt", &error));
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
    EXPECT_EQ((std::vector<std::string>{"stat a.txt, ret 0", "immediately available a.txt, ret 1",
                                        "stat /dev/null, ret 0", "immediately available /dev/null, ret 1",
                                        "stat b.txt, ret -1", "immediately available b.txt, ret 0"}),
              trace.Lines());
}

TEST_F(FindTest, LocalCopyWritesArchivedFilesIntoMissingFoldersByteForByte)
{
    const std::string big = qartest::Pattern(300000, 5);
    Mount("pak01", {{"new/deeper/file.bin", big}, {"empty.txt", ""}, {"ondisk.txt", "archive copy"}});
    WriteFile("ondisk.txt", "disk copy");
    testsupport::DebugStreamCapture trace;

    TWexlaError error = DirtyError();
    EXPECT_EQ(1, WexlaGetLocalFileCopy("new/deeper/file.bin", &error));
    EXPECT_EQ(0, error.eKind);
    EXPECT_TRUE(Read("new/deeper/file.bin") == big);
    EXPECT_EQ(1, WexlaGetLocalFileCopy("empty.txt", &error));
    EXPECT_TRUE(Exists("empty.txt"));
    EXPECT_EQ("", Read("empty.txt"));
    // Already a disk file: left as it is.
    EXPECT_EQ(1, WexlaGetLocalFileCopy("ondisk.txt", &error));
    EXPECT_EQ("disk copy", Read("ondisk.txt"));
    // In no archive and not on disk.
    error = DirtyError();
    EXPECT_EQ(0, WexlaGetLocalFileCopy("absent.txt", &error));
    EXPECT_EQ(0, error.eKind);

    EXPECT_EQ((std::vector<std::string>{"local copy new/deeper/file.bin, ret 1", "local copy empty.txt, ret 1",
                                        "local copy ondisk.txt, ret 1", "local copy absent.txt, ret 0"}),
              trace.Lines());
    // The copies are archive handles closed again: the next open gets slot 0.
    const WexlaFileHandle_t hFile = OpenArchiveFile("empty.txt", "rb", nullptr);
    EXPECT_EQ(QAR_FILE_HANDLE_FLAG, hFile);
    CloseArchiveHandle(hFile);
}

TEST_F(FindTest, LocalCopyFailsWhenTheDestinationCannotBeCreated)
{
    Mount("pak01", {{"dir.bin", "x"}, {"blocked/sub/file.bin", "y"}});
    MakeDir("dir.bin");            // a disk directory by that name: the archive is tried
    WriteFile("blocked", "file");  // a file where a folder would go
    TWexlaError error = DirtyError();
    EXPECT_EQ(0, WexlaGetLocalFileCopy("dir.bin", &error));
    EXPECT_EQ(0, error.eKind);
    EXPECT_EQ(0, WexlaGetLocalFileCopy("blocked/sub/file.bin", &error));
    EXPECT_EQ("file", Read("blocked"));
}

TEST_F(FindTest, LocalCopyOfAShortArchiveReadWritesNothing)
{
    const std::string base = Mount("pak01", {{"data/file.bin", qartest::Pattern(5000, 1)}});
    ASSERT_EQ(0, unlink((base + "_000.qar").c_str())); // the chunk file is gone
    EXPECT_EQ(0, WexlaGetLocalFileCopy("data/file.bin", nullptr));
    EXPECT_FALSE(Exists("data/file.bin"));
}

namespace
{
size_t g_nAskedBytes;
void* FailingAllocator(size_t nBytes)
{
    g_nAskedBytes = nBytes;
    return nullptr;
}
} // namespace

TEST_F(FindTest, LocalCopyWithoutMemoryForTheFileFailsWithoutReading)
{
    Mount("pak01", {{"data/file.bin", qartest::Pattern(5000, 1)}});
    SetLocalCopyAllocator(FailingAllocator);
    g_nAskedBytes = 0;
    TWexlaError error = DirtyError();
    EXPECT_EQ(0, WexlaGetLocalFileCopy("data/file.bin", &error));
    EXPECT_EQ(0, error.eKind);
    EXPECT_EQ(5000u, g_nAskedBytes);
    EXPECT_FALSE(Exists("data")) << "nothing is created";
    // The archive handle was given back.
    const WexlaFileHandle_t hFile = OpenArchiveFile("data/file.bin", "rb", nullptr);
    EXPECT_EQ(QAR_FILE_HANDLE_FLAG, hFile);
    CloseArchiveHandle(hFile);
}

TEST_F(FindTest, LongNamesFillTheFieldAndThePaddingByteEndsThem)
{
    const std::string longName(255, 'n');
    WriteFile(longName, "x");
    TWexlaEntryInfo info;
    memset(&info, 0xEE, sizeof(info));
    TWexlaError error;
    const WexlaFindHandle_t hFind = WexlaFindFirst(longName.c_str(), 0, &info, &error);
    ASSERT_NE(0u, hFind);
    EXPECT_EQ(0, memcmp(info.name, longName.data(), 255));
    EXPECT_EQ('\0', info.padding);
    EXPECT_EQ(longName, std::string(info.name)); // reads as a terminated text
    WexlaFindClose(hFind, &error);
}

TEST_F(FindTest, SizesPastFourGibibytesReadAsTheLargest32BitSize)
{
    const std::string path = m_dir.Path("huge.bin");
    WriteFile("huge.bin", "");
    ASSERT_EQ(0, truncate(path.c_str(), 5LL << 30)); // sparse: no disk space taken
    TWexlaEntryInfo info;
    TWexlaError error;
    ASSERT_EQ(0, WexlaStat("huge.bin", &info, &error));
    EXPECT_EQ(0xFFFFFFFFu, info.size);
    const WexlaFindHandle_t hFind = WexlaFindFirst("huge.bin", 0, &info, &error);
    ASSERT_NE(0u, hFind);
    EXPECT_EQ(0xFFFFFFFFu, info.size);
    WexlaFindClose(hFind, &error);
}

TEST(CreateDirectories, CreatesTheMissingChainAndReportsTheLastLevel)
{
    TempDir dir;
    struct stat st;
    EXPECT_TRUE(CreateDirectories(dir.Path("a/b/c").c_str()));
    EXPECT_EQ(0, stat(dir.Path("a/b/c").c_str(), &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(CreateDirectories(dir.Path("a/b").c_str())); // already there
    EXPECT_TRUE(CreateDirectories(dir.Path("a//b\\d").c_str()));
    EXPECT_EQ(0, stat(dir.Path("a/b/d").c_str(), &st));

    // A file in the way: the levels before it stay, the result is false.
    qartest::WriteFileBytes(dir.Path("a/file"), "x");
    EXPECT_FALSE(CreateDirectories(dir.Path("a/file/x/y").c_str()));
    // Anything by the name counts as existing.
    EXPECT_TRUE(CreateDirectories(dir.Path("a/file").c_str()));
}

TEST_F(FindTest, ConcurrentSearchesGetDistinctHandlesAndWholeResults)
{
    WriteFile("disk.txt", "x");
    Mount("pak01", {{"a.txt", "1"}, {"b.txt", "2"}, {"sub/c.txt", "3"}});
    // A pattern without a folder lists no archive directories.
    const std::vector<std::string> expected = {"disk.txt", "a.txt", "b.txt"};
    constexpr int kThreads = 4;
    constexpr int kSearches = 200;
    std::vector<std::vector<WexlaFindHandle_t>> handles(kThreads);
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kSearches; ++i)
            {
                TWexlaEntryInfo info;
                TWexlaError error;
                const WexlaFindHandle_t hFind = WexlaFindFirst("*", 1, &info, &error);
                handles[t].push_back(hFind);
                std::vector<std::string> names;
                if (hFind)
                {
                    do
                        if (std::string(info.name) != "." && std::string(info.name) != ".." &&
                            std::string(info.name).rfind("pak01_", 0) != 0)
                            names.push_back(info.name);
                    while (WexlaFindNext(hFind, &info, &error) == 0);
                    WexlaFindClose(hFind, &error);
                }
                if (names != expected)
                    ++failures[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::vector<WexlaFindHandle_t> all;
    for (int t = 0; t < kThreads; ++t)
    {
        EXPECT_EQ(0, failures[t]) << "thread " << t;
        all.insert(all.end(), handles[t].begin(), handles[t].end());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all.end(), std::adjacent_find(all.begin(), all.end())) << "a handle was given twice";
    EXPECT_NE(0u, all.front());
}

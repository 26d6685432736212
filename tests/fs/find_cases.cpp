// Directory search, status and local copies, through the entry points.
#include "tests/fs/fs_test_support.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace fstest;

namespace
{
constexpr int32_t kArchiveTime = 178243200; // 26 August 1975, 00:00:00 UTC

// A device: exists, but is neither a file nor a directory.
#if defined(_WIN32)
const char* const kNullDevice = "nul";
#else
const char* const kNullDevice = "/dev/null";
#endif

struct Found
{
    std::string name;
    int32_t isDirectory;
    uint32_t size;
    int32_t onDisk;
};

TWexlaError DirtyError()
{
    TWexlaError error;
    memset(&error, 'Z', sizeof(error));
    error.eKind = 77;
    return error;
}

struct FindTest : FsTest
{
    // A path inside this test's own folder, relative to the working
    // directory (the scratch folder).
    static std::string Rel(const std::string& relative) { return TestInfoName() + "/" + relative; }

    // Packs the files (paths inside this test's folder) and mounts exactly
    // these archives, newest last; tracing follows bTrace.
    static void MountArchives(const std::vector<FileList>& archives, bool bTrace = false)
    {
        std::vector<std::string> bases;
        for (const FileList& files : archives)
        {
            FileList inFolder;
            for (const auto& file : files)
                inFolder.emplace_back(Rel(file.first), file.second);
            bases.push_back(Pack(Rel("pak" + std::to_string(bases.size())), inFolder));
        }
        MountOnly(bases, bTrace);
    }

    static void Write(const std::string& relative, const std::string& bytes)
    {
        WriteFile(ScratchPath(Rel(relative)), bytes);
    }
    static std::string Read(const std::string& relative) { return ReadFile(ScratchPath(Rel(relative))); }
    static bool ExistsOnDisk(const std::string& relative)
    {
        return std::filesystem::exists(ScratchPath(Rel(relative)));
    }

    // Every entry of a search, from its first call to its close.
    static std::vector<Found> Search(const std::string& pattern, uint32_t eFilter)
    {
        std::vector<Found> found;
        TWexlaEntryInfo info;
        TWexlaError error;
        const WexlaFindHandle_t hFind = Fs().WexlaFindFirst(pattern.c_str(), eFilter, &info, &error);
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
        } while (Fs().WexlaFindNext(hFind, &info, &error) == 0);
        EXPECT_EQ(0, Fs().WexlaFindClose(hFind, &error));
        return found;
    }
};
} // namespace

TEST_F(FindTest, SearchListsDiskEntriesThenArchiveDirectoriesThenArchiveFiles)
{
    Write("maps/disk.bsp", "12345");
    MountArchives({{{"maps/one.bsp", "a"}, {"maps/sub/x.txt", "b"}, {"maps/two.bsp", "c"}, {"other/y.txt", "d"}},
                   {{"maps/three.bsp", "e"}, {"maps/sub/z.txt", "f"}, {"maps/more/w.txt", "g"}}});

    const std::vector<Found> found = Search(Rel("maps/*"), 1);
    // The disk part first, in the file system's order, "." and ".." listed
    // as the Windows runtime lists them.
    ASSERT_GE(found.size(), 3u);
    std::vector<std::string> disk;
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(1, found[i].onDisk) << i;
        disk.push_back(found[i].name);
        if (found[i].name == "disk.bsp")
            EXPECT_EQ(5u, found[i].size);
    }
    std::sort(disk.begin(), disk.end());
    EXPECT_EQ((std::vector<std::string>{".", "..", "disk.bsp"}), disk);

    // Then the directories of every archive (the newest archive first; a name
    // met in two archives is listed twice), then the files, whose size reads 1.
    const std::vector<Found> archive(found.begin() + 3, found.end());
    const std::vector<std::pair<std::string, int32_t>> expected = {
        {"more", 1}, {"sub", 1}, {"sub", 1}, {"three.bsp", 0}, {"one.bsp", 0}, {"two.bsp", 0}};
    ASSERT_EQ(expected.size(), archive.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(expected[i].first, archive[i].name) << i;
        EXPECT_EQ(expected[i].second, archive[i].isDirectory) << i;
        EXPECT_EQ(expected[i].second ? 0u : 1u, archive[i].size) << i;
        EXPECT_EQ(0, archive[i].onDisk) << i;
    }

    // Filter 0 stays on the disk.
    EXPECT_EQ(3u, Search(Rel("maps/*"), 0).size());
}

TEST_F(FindTest, ArchiveOnlySearchStartsWithTheFirstDirectoryAndEndsWithAnEmptyName)
{
    MountArchives({{{"maps/sub/x.txt", "b"}, {"maps/a.bsp", "1234"}, {"maps/b.bsp", "5"}}}, true);
    TraceCapture trace;

    const std::string pattern = "./" + Rel("maps/*.bsp");
    TWexlaEntryInfo info;
    TWexlaError error = DirtyError();
    const WexlaFindHandle_t hFind = Fs().WexlaFindFirst(pattern.c_str(), 1, &info, &error);
    ASSERT_NE(0u, hFind);
    EXPECT_EQ(0, error.eKind);
    EXPECT_STREQ("sub", info.name); // subdirectories are not filtered by name
    EXPECT_EQ(1, info.isDirectory);
    EXPECT_EQ(0u, info.size);
    EXPECT_EQ(0, info.onDisk);

    for (const char* pszName : {"a.bsp", "b.bsp"})
    {
        ASSERT_EQ(0, Fs().WexlaFindNext(hFind, &info, &error));
        EXPECT_STREQ(pszName, info.name);
        EXPECT_EQ(0, info.isDirectory);
        EXPECT_EQ(1u, info.size); // the value 1, not the file's size
    }
    memset(info.name, 'q', sizeof(info.name));
    EXPECT_EQ(-1, Fs().WexlaFindNext(hFind, &info, &error));
    EXPECT_EQ('\0', info.name[0]);
    EXPECT_EQ(-1, Fs().WexlaFindNext(hFind, &info, &error)); // read to its end, still open
    EXPECT_EQ(0, Fs().WexlaFindClose(hFind, &error));

    const std::string h = std::to_string(hFind);
    EXPECT_EQ((std::vector<std::string>{"find first " + pattern + ", eFiler 1, ret " + h, "find next a.bsp, ret 0",
                                        "find next b.bsp, ret 0", "find next , ret 4294967295",
                                        "find next , ret 4294967295", "find close " + h + ", ret 0"}),
              trace.Lines());
}

TEST_F(FindTest, SearchThatFindsNothingFailsAndLeavesTheEntryRecord)
{
    MountArchives({{{"maps/a.bsp", "1"}}}, true);
    TraceCapture trace;
    const struct
    {
        std::string pattern;
        uint32_t eFilter;
    } cases[] = {
        {Rel("maps/*.bsp"), 0},  // only in the archive: filter 0 never looks there
        {Rel("nowhere/*"), 1},
        {Rel("maps/*.wav"), 7},  // any non-zero filter searches the archives
    };
    for (const auto& c : cases)
    {
        TWexlaEntryInfo info;
        memset(&info, 0xAB, sizeof(info));
        TWexlaError error = DirtyError();
        EXPECT_EQ(0u, Fs().WexlaFindFirst(c.pattern.c_str(), c.eFilter, &info, &error)) << c.pattern;
        EXPECT_EQ(eWexlaErrorFailed, error.eKind) << c.pattern;
        EXPECT_STREQ("WexlaFindFirst failed", error.szText);
        EXPECT_EQ(0xABABABABu, info.size) << "left as passed";
    }
    EXPECT_EQ("find first " + cases[0].pattern + ", eFiler 0, ret 0", trace.Lines().at(0));
}

// The first searches of a process: handles 1, 2, 3, ... whatever was closed.
FS_FRESH_SCENARIO(FreshFindHandles)
{
#if !defined(_WIN32)
    ResetFindTableForTesting();
#endif
    WriteFile("fresh_find.txt", "x");
    const FsApi& fs = Fs();
    TWexlaEntryInfo info;
    const WexlaFindHandle_t h1 = fs.WexlaFindFirst("fresh_find.txt", 0, &info, nullptr);
    fs.WexlaFindClose(h1, nullptr);
    const WexlaFindHandle_t h2 = fs.WexlaFindFirst("fresh_find.txt", 0, &info, nullptr);
    const WexlaFindHandle_t h3 = fs.WexlaFindFirst("fresh_find.txt", 0, &info, nullptr);
    fs.WexlaFindClose(h2, nullptr);
    const WexlaFindHandle_t hNone = fs.WexlaFindFirst("no_such_file.txt", 0, &info, nullptr);
    const WexlaFindHandle_t h4 = fs.WexlaFindFirst("fresh_find.txt", 0, &info, nullptr);
    printf("%u %u %u %u %u\n", h1, h2, h3, hNone, h4);
}

TEST_F(FindTest, FindHandlesCountFromOneAndAreNeverReused)
{
    // A failed search takes no number; closed ones are not given again.
    EXPECT_EQ("1 2 3 0 4\n", RunFresh("FreshFindHandles"));
}

TEST_F(FindTest, UnknownAndClosedHandlesFailWithoutAnErrorKind)
{
    Write("a.txt", "1");
    TWexlaEntryInfo info;
    TWexlaError error;
    const WexlaFindHandle_t hClosed = Fs().WexlaFindFirst(Rel("a.txt").c_str(), 0, &info, &error);
    ASSERT_NE(0u, hClosed);
    ASSERT_EQ(0, Fs().WexlaFindClose(hClosed, &error));

    for (WexlaFindHandle_t hFind : {0u, hClosed, hClosed + 1000, 0xFFFFFFFFu})
    {
        memset(info.name, 'q', sizeof(info.name));
        error = DirtyError();
        EXPECT_EQ(-1, Fs().WexlaFindNext(hFind, &info, &error)) << hFind;
        EXPECT_EQ('\0', info.name[0]);
        EXPECT_EQ(0, error.eKind);
        error = DirtyError();
        EXPECT_EQ(-1, Fs().WexlaFindClose(hFind, &error)) << hFind;
        EXPECT_EQ(0, error.eKind);
    }
}

TEST_F(FindTest, AbsentEntryAndErrorRecordsAreNeverWrittenThrough)
{
    Write("disk.txt", "x");
    MountArchives({{{"a.txt", "1"}, {"b.txt", "2"}, {"sub/c.txt", "3"}}});
    const FsApi& fs = Fs();

    // Without an entry record the search still runs, and every call uses up
    // one entry: disk.txt, the archive's sub, a.txt and b.txt.
    const WexlaFindHandle_t hFind = fs.WexlaFindFirst(Rel("*.txt").c_str(), 1, nullptr, nullptr);
    ASSERT_NE(0u, hFind);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(0, fs.WexlaFindNext(hFind, nullptr, nullptr)) << i;
    EXPECT_EQ(-1, fs.WexlaFindNext(hFind, nullptr, nullptr));
    EXPECT_EQ(0, fs.WexlaFindClose(hFind, nullptr));
    EXPECT_EQ(-1, fs.WexlaFindClose(hFind, nullptr));

    // Failures that would write an error kind.
    EXPECT_EQ(0u, fs.WexlaFindFirst(Rel("*.none").c_str(), 0, nullptr, nullptr));
    EXPECT_EQ(0u, fs.WexlaFindFirst(nullptr, 1, nullptr, nullptr));
    EXPECT_EQ(-1, fs.WexlaStat(Rel("missing.txt").c_str(), nullptr, nullptr));
    EXPECT_EQ(0, fs.WexlaStat(Rel("a.txt").c_str(), nullptr, nullptr));
    EXPECT_EQ(0, fs.WexlaStat(kNullDevice, nullptr, nullptr));
    EXPECT_EQ(0, fs.WexlaIsFileImmediatelyAvailable(Rel("missing.txt").c_str(), nullptr));
    EXPECT_EQ(0, fs.WexlaGetLocalFileCopy(Rel("missing.txt").c_str(), nullptr));
    EXPECT_EQ(1, fs.WexlaGetLocalFileCopy(Rel("b.txt").c_str(), nullptr));

    // Absent paths are found nowhere.
    TWexlaError error = DirtyError();
    TWexlaEntryInfo info;
    EXPECT_EQ(0u, fs.WexlaFindFirst(nullptr, 1, &info, &error));
    EXPECT_EQ(eWexlaErrorFailed, error.eKind);
    EXPECT_EQ(-1, fs.WexlaStat(nullptr, &info, &error));
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
    EXPECT_EQ(0, fs.WexlaGetLocalFileCopy(nullptr, &error));
    EXPECT_EQ(0, error.eKind);
}

TEST_F(FindTest, StatAsksTheArchivesFirstThenTheDisk)
{
    Write("diskdir/file.dat", std::string(300, 'd'));
    Write("both.txt", "on disk, longer than in the archive");
    MakeDirs(ScratchPath(Rel("folder.v2")));
    MountArchives({{{"models/hero.mdl", std::string(1234, 'm')},
                    {"both.txt", "archive"},
                    {"pack.v2/inner.txt", "x"},
                    {"materials/brick.vmt", "y"}}});

    const struct
    {
        std::string path;
        int nResult;
        int32_t eKind;
        int32_t isDirectory;
        uint32_t size;
        int32_t onDisk;
        const char* pszName;
    } cases[] = {
        {Rel("models/hero.mdl"), 0, 0, 0, 1234, 0, "hero.mdl"},
        {".\\" + Rel("models\\\\hero.mdl"), 0, 0, 0, 1234, 0, "hero.mdl"}, // normalised for the archives
        {Rel("both.txt"), 0, 0, 0, 7, 0, "both.txt"},                     // the archive wins
        {Rel("models"), 0, 0, 1, 0, 0, "models"},
        {Rel("mat"), 0, 0, 1, 0, 0, "mat"},                               // a prefix of materials/
        {Rel("pack.v2"), -1, eWexlaErrorNotFound, 0, 0, 0, ""},           // an extension: never an archive folder
        {Rel("folder.v2"), 0, 0, 1, 0, 1, "folder.v2"},                   // ... but the disk has this one
        {Rel("diskdir/file.dat"), 0, 0, 0, 300, 1, "file.dat"},
        {Rel("diskdir"), 0, 0, 1, 0, 1, "diskdir"},
        {Rel("nothing/here.txt"), -1, eWexlaErrorNotFound, 0, 0, 0, ""},
        {kNullDevice, 0, eWexlaErrorNotFound, 0, 0, 0, ""},               // neither file nor directory
    };
    for (const auto& c : cases)
    {
        TWexlaEntryInfo info;
        memset(&info, 0xCD, sizeof(info));
        TWexlaError error = DirtyError();
        EXPECT_EQ(c.nResult, Fs().WexlaStat(c.path.c_str(), &info, &error)) << c.path;
        EXPECT_EQ(c.eKind, error.eKind) << c.path;
        EXPECT_EQ(c.isDirectory, info.isDirectory) << c.path;
        EXPECT_EQ(c.size, info.size) << c.path;
        EXPECT_EQ(c.onDisk, info.onDisk) << c.path;
        EXPECT_STREQ(c.pszName, info.name) << c.path;
        EXPECT_EQ('\0', info.padding) << c.path;
        const bool bFound = c.nResult == 0 && c.eKind == 0;
        if (bFound && !c.onDisk)
            EXPECT_EQ(kArchiveTime, info.createTime) << c.path;
        if (bFound && c.onDisk)
            EXPECT_GT(info.modifyTime, kArchiveTime) << c.path;
        if (!bFound)
            EXPECT_EQ(0, info.modifyTime) << c.path << ": left zeroed";
    }
}

TEST_F(FindTest, ImmediatelyAvailableFollowsStat)
{
    MountArchives({{{"a.txt", "1"}}}, true);
    const std::string a = Rel("a.txt");
    const std::string b = Rel("b.txt");
    const std::string device = kNullDevice;
    TraceCapture trace;
    TWexlaError error = DirtyError();
    EXPECT_EQ(1, Fs().WexlaIsFileImmediatelyAvailable(a.c_str(), &error));
    EXPECT_EQ(0, error.eKind);
    EXPECT_EQ(1, Fs().WexlaIsFileImmediatelyAvailable(kNullDevice, &error)); // stat answered 0
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
    EXPECT_EQ(0, Fs().WexlaIsFileImmediatelyAvailable(b.c_str(), &error));
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
    EXPECT_EQ((std::vector<std::string>{"stat " + a + ", ret 0", "immediately available " + a + ", ret 1",
                                        "stat " + device + ", ret 0", "immediately available " + device + ", ret 1",
                                        "stat " + b + ", ret -1", "immediately available " + b + ", ret 0"}),
              trace.Lines());
}

TEST_F(FindTest, LocalCopyWritesArchivedFilesIntoMissingFoldersByteForByte)
{
    const std::string big = Pattern(300000, 5);
    MountArchives({{{"new/deeper/file.bin", big}, {"empty.txt", ""}, {"ondisk.txt", "archive copy"}}}, true);
    Write("ondisk.txt", "disk copy");
    const FsApi& fs = Fs();
    TraceCapture trace;

    TWexlaError error = DirtyError();
    EXPECT_EQ(1, fs.WexlaGetLocalFileCopy(Rel("new/deeper/file.bin").c_str(), &error));
    EXPECT_EQ(0, error.eKind);
    EXPECT_TRUE(Read("new/deeper/file.bin") == big);
    EXPECT_EQ(1, fs.WexlaGetLocalFileCopy(Rel("empty.txt").c_str(), &error));
    EXPECT_TRUE(ExistsOnDisk("empty.txt"));
    EXPECT_EQ("", Read("empty.txt"));
    // Already a disk file: left as it is.
    EXPECT_EQ(1, fs.WexlaGetLocalFileCopy(Rel("ondisk.txt").c_str(), &error));
    EXPECT_EQ("disk copy", Read("ondisk.txt"));
    // Neither on disk nor in an archive.
    error = DirtyError();
    EXPECT_EQ(0, fs.WexlaGetLocalFileCopy(Rel("absent.txt").c_str(), &error));
    EXPECT_EQ(0, error.eKind);

    EXPECT_EQ((std::vector<std::string>{"local copy " + Rel("new/deeper/file.bin") + ", ret 1",
                                        "local copy " + Rel("empty.txt") + ", ret 1",
                                        "local copy " + Rel("ondisk.txt") + ", ret 1",
                                        "local copy " + Rel("absent.txt") + ", ret 0"}),
              trace.Lines());
}

TEST_F(FindTest, LocalCopyFailsWhenTheDestinationCannotBeCreated)
{
    MountArchives({{{"dir.bin", "x"}, {"blocked/sub/file.bin", "y"}}});
    MakeDirs(ScratchPath(Rel("dir.bin"))); // a disk folder by that name: the archive is tried
    Write("blocked", "file");               // a file where a folder would go
    TWexlaError error = DirtyError();
    EXPECT_EQ(0, Fs().WexlaGetLocalFileCopy(Rel("dir.bin").c_str(), &error));
    EXPECT_EQ(0, error.eKind);
    EXPECT_EQ(0, Fs().WexlaGetLocalFileCopy(Rel("blocked/sub/file.bin").c_str(), &error));
    EXPECT_EQ("file", Read("blocked"));
}

TEST_F(FindTest, LocalCopyOfAShortArchiveReadWritesNothing)
{
    MountArchives({{{"data/file.bin", Pattern(5000, 1)}}});
    RemoveAll(ScratchPath(Rel("pak0_000.qar"))); // the chunk file is gone
    EXPECT_EQ(0, Fs().WexlaGetLocalFileCopy(Rel("data/file.bin").c_str(), nullptr));
    EXPECT_FALSE(ExistsOnDisk("data"));
}

TEST_F(FindTest, LocalCopyReachesPastTheShortPathLimit)
{
    // A folder chain of about 200 characters below this test's folder (an
    // archive folder holds at most 259): the absolute destination passes 260.
    std::string folder;
    for (int i = 0; folder.size() < 180; ++i)
        folder += "a_long_folder_name_" + std::to_string(i) + "/";
    const std::string content = Pattern(1000, 9);
    MountArchives({{{folder + "end.bin", content}}});
    ASSERT_GT(ScratchPath(Rel(folder + "end.bin")).size(), 260u);
    EXPECT_EQ(1, Fs().WexlaGetLocalFileCopy(Rel(folder + "end.bin").c_str(), nullptr));
    EXPECT_TRUE(Read(folder + "end.bin") == content);
}

TEST_F(FindTest, NamesOf255CharactersFillTheFieldAndThePaddingByteEndsThem)
{
    // In the working directory itself, so that the pattern stays within the
    // system's short path limit.
    const std::string longName(255, 'n');
    WriteFile(ScratchPath(longName), "x");
    TWexlaEntryInfo info;
    memset(&info, 0xEE, sizeof(info));
    const WexlaFindHandle_t hFind = Fs().WexlaFindFirst(longName.c_str(), 0, &info, nullptr);
    RemoveAll(ScratchPath(longName));
    ASSERT_NE(0u, hFind);
    EXPECT_EQ(0, memcmp(info.name, longName.data(), 255));
    EXPECT_EQ('\0', info.padding);
    EXPECT_EQ(longName, std::string(info.name)); // reads as a terminated text
    Fs().WexlaFindClose(hFind, nullptr);
}

TEST_F(FindTest, ConcurrentSearchesGetDistinctHandlesAndWholeResults)
{
    Write("disk.txt", "x");
    MountArchives({{{"a.txt", "1"}, {"b.txt", "2"}, {"sub/c.txt", "3"}}});
    const std::string pattern = Rel("*.txt");
    const std::vector<std::string> expected = {"disk.txt", "sub", "a.txt", "b.txt"};
    constexpr int kThreads = 4;
    constexpr int kSearches = 100;
    std::vector<std::vector<WexlaFindHandle_t>> handles(kThreads);
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kSearches; ++i)
            {
                TWexlaEntryInfo info;
                const WexlaFindHandle_t hFind = Fs().WexlaFindFirst(pattern.c_str(), 1, &info, nullptr);
                handles[t].push_back(hFind);
                std::vector<std::string> names;
                if (hFind)
                {
                    do
                        names.push_back(info.name);
                    while (Fs().WexlaFindNext(hFind, &info, nullptr) == 0);
                    Fs().WexlaFindClose(hFind, nullptr);
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

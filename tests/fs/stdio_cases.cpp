// File handles and stream operations, through the entry points.
#include "tests/fs/fs_test_support.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace fstest;

namespace
{
constexpr uint32_t kArchive = 0x40000000u;
constexpr uint32_t kText = 0x20000000u;

void PrintHandle(const char* pszWhat, WexlaFileHandle_t hFile)
{
    printf("%s=%x\n", pszWhat, hFile);
}

// Mounts one archive holding these files, packed with a few preload bytes.
std::string MountFiles(const std::string& name, const FileList& files)
{
    QarPackOptions options;
    options.nPreloadBytes = 4;
    const std::string base = Pack(name, files, options);
    MountOnly({base});
    return base;
}

struct StdioTest : FsTest
{
};
} // namespace

// Handle values from a fresh file system, and the order in which freed slots
// come back: the most recently freed first, then new slots at the end.
FS_FRESH_SCENARIO(FreshHandleValues)
{
    MountFiles("fresh/a", {{"models/x.mdl", "X"}});
    WriteFile("plain.txt", "plain");
    const FsApi& fs = Fs();
    PrintHandle("plain", fs.WexlaOpenFile("plain.txt", "rb", nullptr));
    PrintHandle("rb", fs.WexlaOpenFile("models/x.mdl", "rb", nullptr));
    PrintHandle("r", fs.WexlaOpenFile("models/x.mdl", "r", nullptr));
    PrintHandle("RT", fs.WexlaOpenFile("models/x.mdl", "RT", nullptr));
    PrintHandle("r+", fs.WexlaOpenFile("models/x.mdl", "r+", nullptr));
    PrintHandle("Rt", fs.WexlaOpenFile("models/x.mdl", "Rt", nullptr));
    PrintHandle("rtb", fs.WexlaOpenFile("models/x.mdl", "rtb", nullptr));

    // Plain slots 2 and 3, freed 3 then 2: back as 2, 3, then 4.
    WexlaFileHandle_t h2 = fs.WexlaOpenFile("plain.txt", "rb", nullptr);
    WexlaFileHandle_t h3 = fs.WexlaOpenFile("plain.txt", "rb", nullptr);
    fs.WexlaCloseFile(h3, nullptr);
    fs.WexlaCloseFile(h2, nullptr);
    PrintHandle("reuse", fs.WexlaOpenFile("plain.txt", "rb", nullptr));
    PrintHandle("reuse", fs.WexlaOpenFile("plain.txt", "rb", nullptr));
    PrintHandle("reuse", fs.WexlaOpenFile("plain.txt", "rb", nullptr));

    // Archive slots 0 and 1 freed 0 then 1: back as 1, 0, then 6.
    fs.WexlaCloseFile(kArchive | 0, nullptr);
    fs.WexlaCloseFile(kArchive | kText | 1, nullptr);
    PrintHandle("areuse", fs.WexlaOpenFile("models/x.mdl", "rb", nullptr));
    PrintHandle("areuse", fs.WexlaOpenFile("models/x.mdl", "rt", nullptr));
    PrintHandle("areuse", fs.WexlaOpenFile("models/x.mdl", "rb", nullptr));

    // After an unmount the archive table starts again at slot 0.
    MountFiles("fresh/b", {{"models/x.mdl", "Y"}});
    PrintHandle("remount", fs.WexlaOpenFile("models/x.mdl", "rb", nullptr));
    PrintHandle("remount", fs.WexlaOpenFile("models/x.mdl", "r", nullptr));
}

TEST_F(StdioTest, HandleValuesAndSlotReuseOrder)
{
    EXPECT_EQ("plain=1\n"
              "rb=40000000\nr=60000001\nRT=60000002\nr+=40000003\nRt=60000004\nrtb=40000005\n"
              "reuse=2\nreuse=3\nreuse=4\n"
              "areuse=40000001\nareuse=60000000\nareuse=40000006\n"
              "remount=40000000\nremount=60000001\n",
              RunFresh("FreshHandleValues"));
}

// A plain open before anything initialised the file system: the file is
// given handle 1 (slot 0 is reserved on first use), and start-up's
// initialisation afterwards still succeeds.
FS_FRESH_SCENARIO(FreshPlainOpenBeforeInit)
{
    const FsApi& fs = Fs();
    WriteFile("early.txt", "early");
    TWexlaError error;
    WexlaFileHandle_t hEarly = fs.WexlaOpenFile("early.txt", "rb", &error);
    printf("early=%x kind=%d\n", hEarly, error.eKind);
    char buf[8] = {};
    printf("read=%u %s\n", fs.WexlaReadFile(buf, 1, 5, hEarly, nullptr), buf);
    RemoveAll("wexla_qars.rmk");
    WriteMountList(MountListText({}));
    printf("mount=%d\n", fs.WexlaMountAppFilesystem(nullptr));
    printf("next=%x\n", fs.WexlaOpenFile("early.txt", "rb", nullptr));
    printf("close=%d\n", fs.WexlaCloseFile(hEarly, nullptr));
}

TEST_F(StdioTest, PlainOpenBeforeInitialisationGetsAValidHandle)
{
    EXPECT_EQ("early=1 kind=0\nread=5 early\nmount=1\nnext=2\nclose=0\n", RunFresh("FreshPlainOpenBeforeInit"));
}

// The working directory captured at initialisation is stripped from paths in
// any letter case and with either separator.
FS_FRESH_SCENARIO(FreshWorkingDirectoryPrefix)
{
    MountFiles("wd/a", {{"models/x.mdl", "X"}});
    std::string cwd = Scratch();
    for (char& c : cwd)
        if (c == '\\')
            c = '/';
    std::string upper = cwd;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::string back = cwd;
    for (char& c : back)
        if (c == '/')
            c = '\\';
    const std::string paths[] = {cwd + "/models/x.mdl", upper + "/models/x.mdl", back + "\\models\\x.mdl",
                                 cwd + "//models/x.mdl"};
    for (const std::string& path : paths)
    {
        WexlaFileHandle_t hFile = Fs().WexlaOpenFile(path.c_str(), "rb", nullptr);
        printf("%s ", (hFile & kArchive) ? ReadToEnd(hFile).c_str() : "disk");
        Fs().WexlaCloseFile(hFile, nullptr);
    }
}

TEST_F(StdioTest, WorkingDirectoryIsStrippedInAnyCase)
{
    EXPECT_EQ("X X X X ", RunFresh("FreshWorkingDirectoryPrefix"));
}

TEST_F(StdioTest, ArchivePathsAreNormalised)
{
    MountFiles(TestInfoName() + "/a", {{"models/x.mdl", "X"}, {"a/b/c.txt", "C"}});
    const struct
    {
        const char* pszPath;
        const char* pszContent;
    } cases[] = {
        {"models/x.mdl", "X"},         {"./models/x.mdl", "X"},       {".\\models\\x.mdl", "X"},
        {"models//x.mdl", "X"},        {"models\\\\x.mdl", "X"},      {"models/./x.mdl", "X"},
        {"models/sub/../x.mdl", "X"},  {"MODELS\\X.MDL", "X"},        {"a/b/../b/./c.txt", "C"},
        {"./a//b\\c.txt", "C"},
    };
    for (const auto& c : cases)
    {
        TWexlaError error;
        WexlaFileHandle_t hFile = Fs().WexlaOpenFile(c.pszPath, "rb", &error);
        EXPECT_EQ(kArchive, hFile & (kArchive | kText)) << c.pszPath;
        EXPECT_EQ(c.pszContent, ReadToEnd(hFile)) << c.pszPath;
        EXPECT_EQ(0, Fs().WexlaCloseFile(hFile, &error));
    }
    TWexlaError error;
    EXPECT_EQ(0u, Fs().WexlaOpenFile("models/y.mdl", "rb", &error));
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
}

TEST_F(StdioTest, ReadsAcrossPreloadChunkAndDirectoryBytes)
{
    QarPackOptions options;
    options.nPreloadBytes = 16;
    options.nInDirectoryMaxSize = 100;
    options.nChunkSize = 64 * 1024;
    const FileList files = {
        {"big/one.bin", Pattern(150000, 1)},  // preload, then chunk bytes
        {"big/two.bin", Pattern(70000, 2)},   // in the next chunk file
        {"small/in_dir.txt", Pattern(90, 3)}, // in the directory file
        {"small/short.txt", Pattern(10, 4)},  // preload only
        {"small/empty.txt", ""},
    };
    MountOnly({Pack(TestInfoName() + "/a", files, options)});
    for (size_t nPiece : {1u, 7u, 16u, 4096u, 200000u})
    {
        for (const auto& file : files)
        {
            WexlaFileHandle_t hFile = Fs().WexlaOpenFile(file.first.c_str(), "rb", nullptr);
            ASSERT_NE(0u, hFile & kArchive) << file.first;
            EXPECT_TRUE(file.second == ReadToEnd(hFile, nPiece)) << file.first << " in pieces of " << nPiece;
            Fs().WexlaCloseFile(hFile, nullptr);
        }
    }
}

TEST_F(StdioTest, TextModeCollapsesCrLfInPlace)
{
    MountFiles(TestInfoName() + "/a", {{"t/mixed.txt", "a\r\nb\r\r\nc\r"},
                                       {"t/split.txt", "ab\r\ncd"},
                                       {"t/crlf.txt", "\r\nx"},
                                       {"t/crx.txt", "\rx"},
                                       {"t/cr.txt", "\r"}});
    const struct
    {
        const char* pszPath;
        const char* pszMode;
        std::vector<uint32_t> reads; // bytes asked per read
        std::vector<std::string> expected;
        std::vector<int32_t> positions; // after each read
    } cases[] = {
        // Every CR LF inside a read becomes LF; CRs on their own stay.
        {"t/mixed.txt", "rt", {64}, {"a\nb\r\nc\r"}, {9}},
        {"t/mixed.txt", "rb", {64}, {"a\r\nb\r\r\nc\r"}, {9}},
        // A CR that ends a read keeps its LF for the next read.
        {"t/split.txt", "r", {3, 3}, {"ab\r", "\ncd"}, {3, 6}},
        // A one-byte read of CR takes its LF along.
        {"t/crlf.txt", "r", {1, 1}, {"\n", "x"}, {2, 3}},
        // ... and leaves any other byte unread.
        {"t/crx.txt", "r", {1, 1}, {"\r", "x"}, {1, 2}},
        // A CR that is the last byte of the file stays.
        {"t/cr.txt", "r", {1}, {"\r"}, {1}},
    };
    for (const auto& c : cases)
    {
        WexlaFileHandle_t hFile = Fs().WexlaOpenFile(c.pszPath, c.pszMode, nullptr);
        for (size_t i = 0; i < c.reads.size(); ++i)
        {
            char buf[64] = {};
            uint32_t n = Fs().WexlaReadFile(buf, 1, c.reads[i], hFile, nullptr);
            EXPECT_EQ(c.expected[i], std::string(buf, n)) << c.pszPath << " read " << i;
            EXPECT_EQ(c.positions[i], Fs().WexlaTellFile(hFile, nullptr)) << c.pszPath << " read " << i;
        }
        Fs().WexlaCloseFile(hFile, nullptr);
    }
}

TEST_F(StdioTest, ReadCountsWholeElementsAndReportsEndOfFile)
{
    const std::string content = "0123456789";
    MountFiles(TestInfoName() + "/a", {{"ten.bin", content}});
    WriteFile("ten.bin.disk", content);
    const struct
    {
        const char* pszPath;
        uint32_t uSize, uCount, uExpected;
        int32_t eKind;
    } cases[] = {
        {"ten.bin", 4, 3, 2, eWexlaErrorEndOfFile},     // 10 bytes: 2 whole elements
        {"ten.bin", 5, 2, 2, eWexlaErrorNone},          // exactly the file
        {"ten.bin", 1, 4, 4, eWexlaErrorNone},
        {"ten.bin", 1, 20, 10, eWexlaErrorEndOfFile},
        {"ten.bin.disk", 4, 3, 2, eWexlaErrorEndOfFile}, // the same from the disk
        {"ten.bin.disk", 5, 2, 2, eWexlaErrorNone},
    };
    for (const auto& c : cases)
    {
        WexlaFileHandle_t hFile = Fs().WexlaOpenFile(c.pszPath, "rb", nullptr);
        ASSERT_NE(0u, hFile) << c.pszPath;
        char buf[32] = {};
        TWexlaError error;
        EXPECT_EQ(c.uExpected, Fs().WexlaReadFile(buf, c.uSize, c.uCount, hFile, &error)) << c.pszPath;
        EXPECT_EQ(c.eKind, error.eKind) << c.pszPath << " " << c.uSize << "x" << c.uCount;
        const size_t nDelivered = std::min<size_t>(content.size(), size_t(c.uSize) * c.uCount);
        EXPECT_EQ(content.substr(0, nDelivered), std::string(buf, nDelivered)) << c.pszPath;
        Fs().WexlaCloseFile(hFile, nullptr);
    }
    // An archive read of 3 elements of 4 leaves the position at the end.
    WexlaFileHandle_t hFile = Fs().WexlaOpenFile("ten.bin", "rb", nullptr);
    char buf[12];
    Fs().WexlaReadFile(buf, 4, 3, hFile, nullptr);
    EXPECT_EQ(10, Fs().WexlaTellFile(hFile, nullptr));
    // Element size times count past 32 bits neither wraps nor overruns.
    Fs().WexlaSeekFile(hFile, 0, 0, nullptr);
    EXPECT_EQ(0u, Fs().WexlaReadFile(buf, 0x10000, 0x10000, hFile, nullptr));
    EXPECT_EQ(10, Fs().WexlaTellFile(hFile, nullptr));
    Fs().WexlaCloseFile(hFile, nullptr);
}

TEST_F(StdioTest, SeeksClampOnArchiveFilesAndMapOriginsOnDisk)
{
    const std::string content = Pattern(100, 9);
    MountFiles(TestInfoName() + "/a", {{"hundred.bin", content}});
    WriteFile("hundred.disk", content);
    const struct
    {
        int nOrigin;
        int32_t nOffset;
        int32_t nArchivePosition; // from position 50
        int32_t nDiskPosition;    // -1: the C library refuses
    } cases[] = {
        {0, 30, 30, 30},      {0, -5, 0, -1},         {0, 500, 100, 500},   {1, -10, 40, 40},
        {1, -100, 0, -1},     {1, 70, 100, 120},      {2, -10, 90, 90},     {2, 5, 100, 105},
        {2, -500, 0, -1},     {7, -1, 99, 99},        {-3, -2, 98, 98},
        {1, INT32_MAX, 100, -2}, {1, INT32_MIN, 0, -1},
    };
    WexlaFileHandle_t hArchive = Fs().WexlaOpenFile("hundred.bin", "rb", nullptr);
    WexlaFileHandle_t hDisk = Fs().WexlaOpenFile("hundred.disk", "rb", nullptr);
    ASSERT_NE(0u, hArchive & kArchive);
    ASSERT_NE(0u, hDisk);
    ASSERT_EQ(0u, hDisk & kArchive);
    for (const auto& c : cases)
    {
        ASSERT_EQ(0, Fs().WexlaSeekFile(hArchive, 50, 0, nullptr));
        EXPECT_EQ(0, Fs().WexlaSeekFile(hArchive, c.nOffset, c.nOrigin, nullptr));
        EXPECT_EQ(c.nArchivePosition, Fs().WexlaTellFile(hArchive, nullptr))
            << "origin " << c.nOrigin << " offset " << c.nOffset;

        if (c.nDiskPosition == -2)
            continue; // past what a 32-bit C library position holds
        ASSERT_EQ(0, Fs().WexlaSeekFile(hDisk, 50, 0, nullptr));
        const int nResult = Fs().WexlaSeekFile(hDisk, c.nOffset, c.nOrigin, nullptr);
        EXPECT_EQ(c.nDiskPosition < 0, nResult != 0) << "origin " << c.nOrigin << " offset " << c.nOffset;
        EXPECT_EQ(c.nDiskPosition < 0 ? 50 : c.nDiskPosition, Fs().WexlaTellFile(hDisk, nullptr))
            << "origin " << c.nOrigin << " offset " << c.nOffset;
    }
    // A read after a seek starts there.
    Fs().WexlaSeekFile(hArchive, -4, 2, nullptr);
    EXPECT_EQ(content.substr(96), ReadToEnd(hArchive));
    Fs().WexlaCloseFile(hArchive, nullptr);
    Fs().WexlaCloseFile(hDisk, nullptr);
}

TEST_F(StdioTest, GetcTellAndSize)
{
    const std::string content("A\xE9\0Z", 4);
    MountFiles(TestInfoName() + "/a", {{"bytes.bin", content}});
    WriteFile("bytes.disk", content);

    WexlaFileHandle_t hArchive = Fs().WexlaOpenFile("bytes.bin", "rb", nullptr);
    WexlaFileHandle_t hDisk = Fs().WexlaOpenFile("bytes.disk", "rb", nullptr);
    // Archive bytes come back signed, and 0 at the end; disk bytes as the C
    // library gives them, -1 at the end.
    const int archiveExpected[] = {65, -23, 0, 90, 0, 0};
    const int diskExpected[] = {65, 233, 0, 90, -1, -1};
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(archiveExpected[i], Fs().WexlaGetc(hArchive, nullptr)) << i;
        EXPECT_EQ(diskExpected[i], Fs().WexlaGetc(hDisk, nullptr)) << i;
    }
    EXPECT_EQ(4, Fs().WexlaTellFile(hArchive, nullptr));
    EXPECT_EQ(4, Fs().WexlaTellFile(hDisk, nullptr));

    // Size leaves the position where it was.
    Fs().WexlaSeekFile(hArchive, 1, 0, nullptr);
    Fs().WexlaSeekFile(hDisk, 1, 0, nullptr);
    EXPECT_EQ(4, Fs().WexlaSizeFile(hArchive, nullptr));
    EXPECT_EQ(4, Fs().WexlaSizeFile(hDisk, nullptr));
    EXPECT_EQ(1, Fs().WexlaTellFile(hArchive, nullptr));
    EXPECT_EQ(1, Fs().WexlaTellFile(hDisk, nullptr));
    Fs().WexlaCloseFile(hArchive, nullptr);
    Fs().WexlaCloseFile(hDisk, nullptr);

    // The size out of the extended open, for both kinds; an absent one is fine.
    for (const char* pszPath : {"bytes.bin", "bytes.disk"})
    {
        uint32_t uSize = 77;
        WexlaFileHandle_t hFile = Fs().WexlaOpenFileEx(pszPath, "rb", &uSize, nullptr);
        EXPECT_EQ(4u, uSize) << pszPath;
        Fs().WexlaCloseFile(hFile, nullptr);
        hFile = Fs().WexlaOpenFileEx(pszPath, "rb", nullptr, nullptr);
        EXPECT_NE(0u, hFile) << pszPath;
        Fs().WexlaCloseFile(hFile, nullptr);
    }
    uint32_t uSize = 77;
    TWexlaError error;
    EXPECT_EQ(0u, Fs().WexlaOpenFileEx("missing.bin", "rb", &uSize, &error));
    EXPECT_EQ(0u, uSize);
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
}

TEST_F(StdioTest, WriteModesGoToTheDiskEvenForArchivedPaths)
{
    MountFiles(TestInfoName() + "/a", {{"data/w.txt", "archived"}});
    MakeDirs(ScratchPath("data"));
    for (const char* pszMode : {"w", "wb", "a", "ab"})
    {
        RemoveAll(ScratchPath("data/w.txt"));
        TWexlaError error;
        WexlaFileHandle_t hFile = Fs().WexlaOpenFile("data/w.txt", pszMode, &error);
        ASSERT_NE(0u, hFile) << pszMode;
        EXPECT_EQ(0u, hFile & kArchive) << pszMode;
        EXPECT_EQ(5u, Fs().WexlaWriteFile("hello", 1, 5, hFile, &error)) << pszMode;
        EXPECT_EQ(0, Fs().WexlaCloseFile(hFile, &error)) << pszMode;
        EXPECT_EQ("hello", ReadFile(ScratchPath("data/w.txt"))) << pszMode;
    }
    // Upper-case write modes are write modes too: the archive is not asked
    // (the C library may refuse the letter itself).
    for (const char* pszMode : {"W", "A"})
    {
        WexlaFileHandle_t hFile = Fs().WexlaOpenFile("data/w.txt", pszMode, nullptr);
        EXPECT_EQ(0u, hFile & kArchive) << pszMode;
        Fs().WexlaCloseFile(hFile, nullptr);
    }
    // Reading still comes from the archive, also for "r+".
    for (const char* pszMode : {"rb", "r+"})
    {
        WexlaFileHandle_t hFile = Fs().WexlaOpenFile("data/w.txt", pszMode, nullptr);
        EXPECT_EQ(kArchive, hFile & (kArchive | kText)) << pszMode;
        EXPECT_EQ("archived", ReadToEnd(hFile)) << pszMode;
        Fs().WexlaCloseFile(hFile, nullptr);
    }
    // A write open that cannot create the file.
    TWexlaError error;
    EXPECT_EQ(0u, Fs().WexlaOpenFile("no_such_folder/x.txt", "w", &error));
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
}

TEST_F(StdioTest, WriteSideCallsOnPlainStreams)
{
    WexlaFileHandle_t hFile = Fs().WexlaOpenFile("out.txt", "wb", nullptr);
    ASSERT_NE(0u, hFile);
    TWexlaError error;
    EXPECT_EQ(0, Fs().WexlaSetvBuf(hFile, nullptr, 0, 4096, &error));
    EXPECT_EQ(-1, Fs().WexlaSetvBuf(hFile, nullptr, 2, 4096, &error));
    EXPECT_EQ(0, Fs().WexlaSetvBuf(hFile, nullptr, 1, 0, &error));
    EXPECT_EQ('<', Fs().WexlaPutc('<', hFile, &error));
    EXPECT_EQ(11, Fs().WexlaPrintFile(hFile, &error, "%d-%s-%05.1f", 42, "ab", 2.5));
    EXPECT_EQ(0, Fs().WexlaPrintFile(hFile, &error, "%s", ""));
    const char* pszEmptyFormat = "";
    EXPECT_EQ(0, Fs().WexlaPrintFile(hFile, &error, pszEmptyFormat));
    const std::string longText(10000, 'q');
    EXPECT_EQ(10000, Fs().WexlaPrintFile(hFile, &error, "%s", longText.c_str()));
    EXPECT_EQ(2u, Fs().WexlaWriteFile("!!>", 1, 2, hFile, &error));
    EXPECT_EQ(0, Fs().WexlaFlushFile(hFile, &error));
    EXPECT_EQ("<42-ab-002.5" + longText + "!!", ReadFile(ScratchPath("out.txt")));
    EXPECT_EQ(0, Fs().WexlaCloseFile(hFile, &error));

    // A temporary file reads back what was written to it.
    WexlaFileHandle_t hTemp = Fs().WexlaOpenTmpFile(&error);
    if (hTemp != 0) // the C library may have no place for it
    {
        EXPECT_EQ(0u, hTemp & kArchive);
        EXPECT_EQ(3u, Fs().WexlaWriteFile("tmp", 1, 3, hTemp, nullptr));
        Fs().WexlaSeekFile(hTemp, 0, 0, nullptr);
        EXPECT_EQ("tmp", ReadToEnd(hTemp));
        EXPECT_EQ(0, Fs().WexlaCloseFile(hTemp, nullptr));
    }
}

// Write-side calls on an archive handle report the assertion and touch no
// stream; the flush flushes every plain stream instead.
FS_FRESH_SCENARIO(FreshWriteSideOnArchiveHandle)
{
    MountFiles("ws/a", {{"ro.txt", "read-only"}});
    const FsApi& fs = Fs();
    WexlaFileHandle_t hPlain = fs.WexlaOpenFile("pending.txt", "wb", nullptr);
    fs.WexlaWriteFile("unflushed", 1, 9, hPlain, nullptr);
    WexlaFileHandle_t hFile = fs.WexlaOpenFile("ro.txt", "rb", nullptr);
    printf("[write %u]\n", fs.WexlaWriteFile("xx", 1, 2, hFile, nullptr));
    printf("[putc %d]\n", fs.WexlaPutc('x', hFile, nullptr));
    printf("[print %d]\n", fs.WexlaPrintFile(hFile, nullptr, "%s", "xx"));
    printf("[setvbuf %d]\n", fs.WexlaSetvBuf(hFile, nullptr, 0, 512, nullptr));
    printf("[flush %d]\n", fs.WexlaFlushFile(hFile, nullptr));
    printf("[plain %s]\n", ReadFile("pending.txt").c_str());
    printf("[content %s]\n", ReadToEnd(hFile).c_str());
    fs.WexlaCloseFile(hPlain, nullptr);
}

TEST_F(StdioTest, WriteSideCallsOnArchiveHandlesTouchNoStream)
{
    const std::string out = RunFresh("FreshWriteSideOnArchiveHandle");
    for (const char* pszLine : {"[write 0]", "[putc -1]", "[print 0]", "[setvbuf -1]", "[flush 0]",
                                "[plain unflushed]", "[content read-only]"})
        EXPECT_NE(std::string::npos, out.find(pszLine)) << pszLine << " in\n" << out;
    size_t nAssertions = 0;
    for (size_t nPos = 0; (nPos = out.find("Assertion Failed: !(hFile & QAR_FILE_HANDLE_FLAG)", nPos)) !=
                          std::string::npos;
         ++nPos)
        ++nAssertions;
    EXPECT_EQ(5u, nAssertions) << out;
}

TEST_F(StdioTest, HandlesInNeitherTableFailWithoutTouchingMemory)
{
    const std::string base = MountFiles(TestInfoName() + "/a", {{"f.txt", "file"}});
    WriteFile("plain.txt", "plain");
    WexlaFileHandle_t hLivePlain = Fs().WexlaOpenFile("plain.txt", "rb", nullptr);
    WexlaFileHandle_t hClosedPlain = Fs().WexlaOpenFile("plain.txt", "rb", nullptr);
    Fs().WexlaCloseFile(hClosedPlain, nullptr);
    // An open handle that the unmount below invalidates.
    WexlaFileHandle_t hUnmounted = Fs().WexlaOpenFile("f.txt", "rb", nullptr);
    WexlaFileHandle_t hClosedArchive = Fs().WexlaOpenFile("f.txt", "rt", nullptr);
    Fs().WexlaCloseFile(hClosedArchive, nullptr);
    ASSERT_NE(0u, hUnmounted & kArchive);
    Fs().WexlaUnmountAppFilesystem(nullptr);

    const WexlaFileHandle_t handles[] = {0,          0x3FFFFFFFu,  12345,       hClosedPlain, 0x40000000u | 999,
                                         0x60001234u, 0x80000001u, 0xC0000000u, hClosedArchive, hUnmounted};
    for (WexlaFileHandle_t hFile : handles)
    {
        const bool bArchive = (hFile & kArchive) != 0;
        SCOPED_TRACE(testing::Message() << "handle " << std::hex << hFile);
        char buf[8] = "intact";
        TWexlaError error;
        EXPECT_EQ(0u, Fs().WexlaReadFile(buf, 1, 4, hFile, &error));
        EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
        EXPECT_STREQ("intact", buf);
        EXPECT_EQ(-1, Fs().WexlaSeekFile(hFile, 1, 0, &error));
        EXPECT_EQ(-1, Fs().WexlaTellFile(hFile, &error));
        EXPECT_EQ(-1, Fs().WexlaSizeFile(hFile, &error));
        EXPECT_EQ(bArchive ? 0 : -1, Fs().WexlaGetc(hFile, &error));
        if (!bArchive)
        {
            // The write side on an archive handle is covered above.
            EXPECT_EQ(0u, Fs().WexlaWriteFile("x", 1, 1, hFile, &error));
            EXPECT_EQ(-1, Fs().WexlaPutc('x', hFile, &error));
            EXPECT_EQ(0, Fs().WexlaPrintFile(hFile, &error, "x"));
            EXPECT_EQ(-1, Fs().WexlaSetvBuf(hFile, nullptr, 0, 512, &error));
            EXPECT_EQ(0, Fs().WexlaFlushFile(hFile, &error));
        }
        // Absent error records are never written through.
        EXPECT_EQ(0u, Fs().WexlaReadFile(buf, 1, 4, hFile, nullptr));
        EXPECT_EQ(-1, Fs().WexlaSizeFile(hFile, nullptr));
        EXPECT_EQ(bArchive ? 0 : -1, Fs().WexlaCloseFile(hFile, nullptr));
        EXPECT_EQ(bArchive ? 0 : -1, Fs().WexlaCloseFile(hFile, &error));
    }
    // Closing the bogus handles freed nothing: slot 0 stays reserved and the
    // live stream stays open.
    WexlaFileHandle_t hNext = Fs().WexlaOpenFile("plain.txt", "rb", nullptr);
    EXPECT_NE(0u, hNext);
    EXPECT_NE(hLivePlain, hNext);
    EXPECT_EQ("plain", ReadToEnd(hLivePlain));
    Fs().WexlaCloseFile(hNext, nullptr);
    Fs().WexlaCloseFile(hLivePlain, nullptr);
    // The handle invalidated by the unmount names the archive's file again
    // only after a new open hands its slot out.
    MountOnly({base});
    EXPECT_EQ(0x40000000u, Fs().WexlaOpenFile("f.txt", "rb", nullptr));
}

TEST_F(StdioTest, NullArgumentsAreRefused)
{
    TWexlaError error;
    EXPECT_EQ(0u, Fs().WexlaOpenFile(nullptr, "rb", &error));
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
    EXPECT_EQ(0u, Fs().WexlaOpenFile("x.txt", nullptr, &error));
    EXPECT_EQ(eWexlaErrorNotFound, error.eKind);
    EXPECT_EQ(0u, Fs().WexlaOpenFileEx(nullptr, nullptr, nullptr, nullptr));
    MountFiles(TestInfoName() + "/a", {{"f.txt", "file"}});
    WexlaFileHandle_t hFile = Fs().WexlaOpenFile("f.txt", "rb", nullptr);
    EXPECT_EQ(0u, Fs().WexlaReadFile(nullptr, 1, 4, hFile, &error));
    EXPECT_EQ(0, Fs().WexlaTellFile(hFile, nullptr));
    Fs().WexlaCloseFile(hFile, nullptr);
}

TEST_F(StdioTest, TraceLines)
{
    QarPackOptions options;
    const std::string base = Pack(TestInfoName() + "/a", {{"models/x.mdl", "XYZ"}}, options);
    WriteFile("plain.txt", "plain!");
    TraceCapture trace;
    MountOnly({base}, true);
    WexlaFileHandle_t hArchive = Fs().WexlaOpenFileEx("models/x.mdl", "rb", nullptr, nullptr);
    uint32_t uSize = 0;
    WexlaFileHandle_t hPlain = Fs().WexlaOpenFileEx("plain.txt", "rb", &uSize, nullptr);
    Fs().WexlaOpenFile("missing.txt", "rb", nullptr);
    Fs().WexlaSizeFile(hArchive, nullptr);
    Fs().WexlaSizeFile(0x40000100u, nullptr);
    char buf[4];
    Fs().WexlaReadFile(buf, 1, 3, hArchive, nullptr); // reads do not trace
    Fs().WexlaCloseFile(hArchive, nullptr);
    Fs().WexlaCloseFile(hPlain, nullptr);

    std::string dirFile = base + "_dir.qar";
    for (char& c : dirFile)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    // Tracing was off when the mount began: its own line is not written.
    const std::vector<std::string> expected = {
        "Mounting " + dirFile,
        "open file models/x.mdl, mode rb, size 3, handle " + std::to_string(hArchive),
        "open file plain.txt, mode rb, size 6, handle " + std::to_string(hPlain),
        "open file missing.txt, mode rb, size 0, handle 0",
        "size handle " + std::to_string(hArchive) + ", size 3",
        "size handle " + std::to_string(0x40000100u) + ", size 4294967295",
        "close file handle " + std::to_string(hArchive),
        "close file handle " + std::to_string(hPlain),
    };
    std::vector<std::string> lines = trace.Lines();
    // The first mount of the process also traces the working directory.
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& s) { return s.rfind("Current working dir: ", 0) == 0; }),
                lines.end());
    EXPECT_EQ(expected, lines);
    MountOnly({}, false);
}

// Several threads read different archive files at once through the entry
// points; every byte is checked.
TEST_F(StdioTest, ThreadsReadDifferentArchiveFilesAtOnce)
{
    QarPackOptions options;
    options.nPreloadBytes = 32;
    options.nChunkSize = 256 * 1024;
    FileList files;
    for (int i = 0; i < 12; ++i)
        files.push_back({"t/file" + std::to_string(i) + ".bin", Pattern(20000 + 37000 * i, 100 + i)});
    MountOnly({Pack(TestInfoName() + "/a", files, options)});

    constexpr int kThreads = 4;
    std::atomic<int> nFailures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 4; ++round)
            {
                for (size_t i = t; i < files.size(); i += kThreads)
                {
                    WexlaFileHandle_t hFile = Fs().WexlaOpenFile(files[i].first.c_str(), "rb", nullptr);
                    // Pieces of changing sizes cross preload, cache blocks and chunks.
                    std::string got;
                    std::vector<char> buf(70000);
                    uint32_t nPiece = 1 + static_cast<uint32_t>(round * 9973 + t * 31);
                    for (;;)
                    {
                        uint32_t n = Fs().WexlaReadFile(buf.data(), 1, nPiece, hFile, nullptr);
                        got.append(buf.data(), n);
                        if (n < nPiece)
                            break;
                        nPiece = nPiece * 7 % 65536 + 1;
                    }
                    if (got != files[i].second)
                        ++nFailures;
                    if (Fs().WexlaCloseFile(hFile, nullptr) != 0)
                        ++nFailures;
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(0, nFailures.load());
}

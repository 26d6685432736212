// Malformed directory files: the store must stay inside what it read, keep
// the complete entries before a fault, and never crash.
#include "qarlib/packedstore.h"
#include "qarlib/qarformat.h"
#include "tests/host/qar_fixture.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

using namespace qartest;

namespace
{
constexpr int kAnyStatus = -1;

std::string EntryA()
{
    return Entry(0, "", {{0, 0, 1}});
}
std::string EntryB()
{
    return Entry(0, "", {{0, 1, 1}});
}
// d/a.txt and d/b.txt, reading "0" and "1" from chunk 0.
std::string TwoFileTree()
{
    return Str("txt") + Str("d") + Str("a") + EntryA() + Str("b") + EntryB() + std::string(3, '\0');
}
// Where b's entry record starts in TwoFileTree.
size_t EntryBStart()
{
    return (Str("txt") + Str("d") + Str("a") + EntryA() + Str("b")).size();
}
} // namespace

TEST(QarFormat, MalformedDirectoryFilesAreReadSafely)
{
    const std::string tree = TwoFileTree();
    const uint32_t nTree = static_cast<uint32_t>(tree.size());
    struct Case
    {
        const char* pszName;
        std::string bytes; // the directory file
        int nStatus;       // EPackedStoreLoad or kAnyStatus
        bool bFindsA;
        bool bFindsB;
    } cases[] = {
        {"valid v2", HeaderV2(nTree) + tree, QAR_LOAD_OK, true, true},
        {"valid headerless", tree, QAR_LOAD_OK, true, true},
        {"empty file", "", QAR_LOAD_OK, false, false},
        {"one non-zero byte", "x", QAR_LOAD_TREE_TRUNCATED, false, false},
        {"truncated v2 header", HeaderV2(nTree).substr(0, 20), kAnyStatus, false, false},
        {"version 1 shorter than 28 bytes", HeaderV1(3) + std::string(3, '\0'), kAnyStatus, false, false},
        {"tree size past the file end", HeaderV2(nTree + 1000) + tree, QAR_LOAD_TREE_TRUNCATED, true, true},
        {"tree size past the end, tree cut", HeaderV2(nTree) + tree.substr(0, EntryBStart() + 3),
         QAR_LOAD_TREE_TRUNCATED, true, false},
        {"negative tree size", HeaderV2(0xFFFFFFF0u) + tree, QAR_LOAD_BAD_TREE_SIZE, false, false},
        {"tree size 2 GiB", HeaderV2(0x7FFFFFFFu) + tree, QAR_LOAD_TREE_TRUNCATED, true, true},
        {"tree size 0", HeaderV2(0) + tree, QAR_LOAD_OK, false, false},
        {"version 1 tree size past the end", HeaderV1(nTree + 5) + tree + std::string(2, '\0'),
         QAR_LOAD_TREE_TRUNCATED, true, true},
        {"entry record cut short", tree.substr(0, EntryBStart() + 5), QAR_LOAD_TREE_TRUNCATED, true, false},
        {"cut before the preload count", tree.substr(0, EntryBStart() + 4), QAR_LOAD_TREE_TRUNCATED, true, false},
        {"unterminated name", Str("txt") + Str("d") + Str("a") + EntryA() + "b", QAR_LOAD_TREE_TRUNCATED, true,
         false},
        {"unterminated extension", "txt", QAR_LOAD_TREE_TRUNCATED, false, false},
        {"no list terminators", Str("txt") + Str("d") + Str("a") + EntryA(), QAR_LOAD_TREE_TRUNCATED, true, false},
        {"part list without terminator",
         Str("txt") + Str("d") + Str("a") + U32(0) + U16(0) + U16(0) + U32(0) + U32(1) + U16(0),
         QAR_LOAD_TREE_TRUNCATED, false, false},
        {"part cut inside", Str("txt") + Str("d") + Str("a") + U32(0) + U16(0) + U16(0) + U32(0),
         QAR_LOAD_TREE_TRUNCATED, false, false},
        {"preload count past the end",
         Str("txt") + Str("d") + Str("a") + U32(0) + U16(500) + U16(0xFFFF) + "abc", QAR_LOAD_TREE_TRUNCATED,
         false, false},
        {"all 0xFF", std::string(64, '\xFF'), QAR_LOAD_TREE_TRUNCATED, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        TempDir dir;
        WriteFileBytes(dir.Path("p_dir.qar"), c.bytes);
        WriteFileBytes(dir.Path("p_000.qar"), "01");
        testsupport::SpewCapture capture;
        CPackedStore store(dir.Path("p").c_str(), nullptr);
        if (c.nStatus != kAnyStatus)
        {
            EXPECT_EQ(store.GetLoadStatus(), c.nStatus) << PackedStoreLoadText(store.GetLoadStatus());
        }
        EXPECT_EQ(ReadAll(store, "d/a.txt"), c.bFindsA ? "0" : "");
        EXPECT_EQ(ReadAll(store, "d/b.txt"), c.bFindsB ? "1" : "");
        EXPECT_EQ(store.OpenFile("d/a.txt").IsValid(), c.bFindsA);
        EXPECT_EQ(store.OpenFile("d/b.txt").IsValid(), c.bFindsB);

        // Listing and searching see the same complete entries.
        std::vector<std::string> paths;
        store.GetFileList(paths, true);
        EXPECT_EQ(paths.size(), static_cast<size_t>(c.bFindsA) + static_cast<size_t>(c.bFindsB));
        std::vector<std::string> dirs, files;
        store.FindEntries("d/*", dirs, files);
        EXPECT_EQ(files.size(), paths.size());
        EXPECT_EQ(store.DirectoryExists("d"), c.bFindsA || c.bFindsB);
        EXPECT_TRUE(capture.AssertionMessages().empty());
    }
}

TEST(QarFormat, OffsetsBeyondTheDataReadNothingAndReport)
{
    struct Case
    {
        const char* pszName;
        Part part;
    } cases[] = {
        {"offset near 4 GiB", {0, 0xFFFFFFF0u, 5}},
        {"offset just below 2 GiB", {0, 0x7FFFFFFEu, 10}},
        {"length near 4 GiB", {0, 0, 0xFFFFFFFFu}},
        {"in-directory data of a headerless tree", {0x7FFF, 0, 4}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        TempDir dir;
        WriteFileBytes(dir.Path("p_dir.qar"), OneFileTree("txt", "d", "f", Entry(0, "PRE", {c.part})));
        WriteFileBytes(dir.Path("p_000.qar"), "0123456789");
        CPackedStore store(dir.Path("p").c_str(), nullptr);
        testsupport::SpewCapture capture;
        CPackedFileHandle h = store.OpenFile("d/f.txt");
        ASSERT_TRUE(h.IsValid());
        EXPECT_GT(h.nSize, 0);
        char buf[64];
        const int32_t nGot = store.ReadData(h, buf, sizeof(buf));
        ASSERT_GE(nGot, 3);
        EXPECT_EQ(std::string(buf, 3), "PRE");
        if (c.part.nOffset == 0 && c.part.nArchiveIndex == 0)
            EXPECT_EQ(std::string(buf + 3, 10), "0123456789"); // the bytes that are there
        else
            EXPECT_EQ(nGot, 3);
        EXPECT_EQ(capture.AssertionMessages(), std::vector<std::string>{"Assertion Failed: nRead == nNumBytes"});
    }
}

TEST(QarFormat, HeaderFormsAreToldApartByTheFirst28Bytes)
{
    const std::string v2 = HeaderV2(100, 7);
    const auto* p = reinterpret_cast<const unsigned char*>(v2.data());
    QarDirectoryHeader h = QarParseDirectoryHeader(p, 28, 500);
    EXPECT_EQ(h.eForm, QarDirectoryHeader::FORM_V2);
    EXPECT_EQ(h.nHeaderSize, 28);
    EXPECT_EQ(h.nTreeSize, 100);
    EXPECT_EQ(h.nInDirectoryDataSize, 7);

    h = QarParseDirectoryHeader(p, 27, 27);
    EXPECT_EQ(h.eForm, QarDirectoryHeader::FORM_HEADERLESS);
    EXPECT_EQ(h.nTreeSize, 27);

    const std::string v1 = HeaderV1(100) + std::string(16, '\0');
    h = QarParseDirectoryHeader(reinterpret_cast<const unsigned char*>(v1.data()), 28, 500);
    EXPECT_EQ(h.eForm, QarDirectoryHeader::FORM_V1);
    EXPECT_EQ(h.nHeaderSize, 12);
    EXPECT_EQ(h.nInDirectoryDataSize, 500 - 100 - 12);

    const std::string v3 = HeaderV2(100, 0, 3);
    h = QarParseDirectoryHeader(reinterpret_cast<const unsigned char*>(v3.data()), 28, 500);
    EXPECT_EQ(h.eForm, QarDirectoryHeader::FORM_UNKNOWN_VERSION);
    EXPECT_EQ(h.nVersion, 3);

    std::string noMagic = v2;
    noMagic[0] = 'x';
    h = QarParseDirectoryHeader(reinterpret_cast<const unsigned char*>(noMagic.data()), 28, 500);
    EXPECT_EQ(h.eForm, QarDirectoryHeader::FORM_HEADERLESS);
}

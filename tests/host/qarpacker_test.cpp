// The packer: what it refuses, how it lays data out, and the CRC it records.
#include "qarlib/crc32.h"
#include "qarlib/packedstore.h"
#include "qarlib/qarformat.h"
#include "qarlib/qarpacker.h"
#include "tests/host/qar_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qartest;

TEST(QarPacker, Crc32MatchesPublishedCheckValues)
{
    EXPECT_EQ(QarCrc32(0, "", 0), 0u);
    EXPECT_EQ(QarCrc32(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(QarCrc32(0, "The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
    // Continuing over pieces gives the same value as one pass.
    EXPECT_EQ(QarCrc32(QarCrc32(0, "12345", 5), "6789", 4), 0xCBF43926u);
}

TEST(QarPacker, RefusesPathsTheFormatCannotHold)
{
    const char* bad[] = {
        "",           "/abs.txt",     "dir/",        "a//b.txt", "./a.txt",  "a/../b.txt", "c:/x.txt",
        ".hidden",    "name.",        "dir/.txt",    " dir/a.txt", "a. b",
    };
    for (const char* psz : bad)
    {
        CQarPacker packer;
        std::string error;
        EXPECT_FALSE(packer.AddFile(psz, "x", &error)) << psz;
        EXPECT_NE(error.find(psz), std::string::npos) << error;
    }
    CQarPacker packer;
    std::string error;
    EXPECT_TRUE(packer.AddFile("Dir\\Name.TXT", "x", &error)) << error;
    EXPECT_FALSE(packer.AddFile("dir/name.txt", "y", &error)); // same file in another case
    EXPECT_TRUE(packer.AddFile(std::string(258, 'd') + "/" + std::string(255, 'f') + ".txt", "x", &error)) << error;
    EXPECT_FALSE(packer.AddFile(std::string(259, 'd') + "/f.txt", "x", &error));
    EXPECT_FALSE(packer.AddDiskFile("big.bin", "/nonexistent", 0x7FFFFFFF, &error));
}

TEST(QarPacker, ChunksAreFilledInOrderAndBigFilesGetTheirOwn)
{
    TempDir dir;
    QarPackOptions options;
    options.nChunkSize = 1000;
    const std::string base = Pack(dir, "pak",
                                  {{"a.bin", Pattern(600, 1)},
                                   {"b.bin", Pattern(300, 2)},
                                   {"c.bin", Pattern(200, 3)},
                                   {"d.bin", Pattern(5000, 4)},
                                   {"e.bin", Pattern(10, 5)}},
                                  options);
    CPackedStore store(base.c_str(), nullptr);
    struct Expect
    {
        const char* pszPath;
        int32_t nArchiveIndex;
        uint32_t nOffset;
    } expects[] = {{"a.bin", 0, 0}, {"b.bin", 0, 600}, {"c.bin", 1, 0}, {"d.bin", 2, 0}, {"e.bin", 3, 0}};
    for (const Expect& e : expects)
    {
        const CPackedFileHandle h = store.OpenFile(e.pszPath);
        EXPECT_EQ(h.nArchiveIndex, e.nArchiveIndex) << e.pszPath;
        EXPECT_EQ(h.nOffset, e.nOffset) << e.pszPath;
    }
    EXPECT_EQ(std::filesystem::file_size(base + "_002.qar"), 5000u);
    EXPECT_FALSE(std::filesystem::exists(base + "_004.qar"));
}

TEST(QarPacker, TinyVersionOneFileIsPaddedSoItIsNotReadAsHeaderless)
{
    TempDir dir;
    QarPackOptions options;
    options.eForm = EQarHeaderForm::Version1;
    options.nPreloadBytes = 1;
    const std::string base = Pack(dir, "p", {{"a", "z"}}, options);
    EXPECT_GE(std::filesystem::file_size(base + "_dir.qar"), 28u);
    CPackedStore store(base.c_str(), nullptr);
    EXPECT_EQ(ReadAll(store, "a"), "z");
}

TEST(QarPacker, RefusesLayoutsTheReaderCannotServe)
{
    struct Case
    {
        const char* pszName;
        QarPackOptions options;
        int nFiles;
    } cases[] = {
        {"in-directory data without a header", {200 << 20, 0, 10, EQarHeaderForm::Headerless}, 1},
        {"more than 512 chunk files", {1, 0, -1, EQarHeaderForm::Version2}, 513},
        {"chunk 511 beside in-directory data", {1, 0, 0, EQarHeaderForm::Version2}, 512},
        {"chunk size 0", {0, 0, -1, EQarHeaderForm::Version2}, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        TempDir dir;
        CQarPacker packer(c.options);
        std::string error;
        for (int i = 0; i < c.nFiles; ++i)
            ASSERT_TRUE(packer.AddFile("f" + std::to_string(i) + ".bin", "xy", &error));
        EXPECT_FALSE(packer.Write(dir.Path("p"), &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(QarPacker, LargeFilesStartOnA4096ByteBoundary)
{
    TempDir dir;
    const std::string big = Pattern(70000, 2);
    const std::string base = Pack(dir, "pak", {{"a.bin", Pattern(100, 1)}, {"b.bin", big}, {"c.bin", "tail"}});
    CPackedStore store(base.c_str(), nullptr);
    EXPECT_EQ(store.OpenFile("b.bin").nOffset, 4096u);
    EXPECT_EQ(store.OpenFile("c.bin").nOffset, 4096u + 70000u); // small files are not aligned
    EXPECT_TRUE(ReadAll(store, "b.bin") == big);
    EXPECT_EQ(ReadAll(store, "c.bin"), "tail");
    EXPECT_EQ(std::filesystem::file_size(base + "_000.qar"), 4096u + 70000u + 4u);
}

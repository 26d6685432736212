// Reads of chunk data: whatever the order and the size of the pieces, the
// bytes, positions and assertion reports are those of the files. Underneath,
// scattered reads read no more than they deliver, sequential runs of small
// reads are served from loaded blocks, large reads go straight to the
// caller, and two sequential readers sharing one block buffer do not thrash.
#include "core/platform.h"
#include "qarlib/packedstore.h"
#include "tests/host/qar_fixture.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace qartest;

namespace
{
constexpr int32_t kBlock = CPackedStoreReadCache::BLOCK_SIZE;

// nFiles files of 0 to 20,000 bytes, every 50th of about 1.2 MiB (crossing
// block boundaries), in one folder so that archive order is name order.
FileList ManyFiles(int nFiles)
{
    FileList files;
    for (int i = 0; i < nFiles; ++i)
    {
        size_t nSize = static_cast<size_t>((i * 7919) % 20001);
        if (i % 50 == 25)
            nSize = 1200000 + static_cast<size_t>(i);
        char szName[32];
        snprintf(szName, sizeof(szName), "d/f%04d.bin", i);
        files.push_back({szName, Pattern(nSize, static_cast<uint32_t>(i))});
    }
    return files;
}

// ManyFiles without the large ones.
FileList SmallFiles(int nFiles)
{
    FileList files = ManyFiles(nFiles);
    files.erase(std::remove_if(files.begin(), files.end(), [](const auto& f) { return f.second.size() > 30000; }),
                files.end());
    return files;
}

// The files in the order of their chunk data.
FileList ArchiveOrder(CPackedStore& store, FileList files)
{
    std::sort(files.begin(), files.end(), [&](const auto& a, const auto& b) {
        const CPackedFileHandle ha = store.OpenFile(a.first.c_str());
        const CPackedFileHandle hb = store.OpenFile(b.first.c_str());
        return std::make_pair(ha.nArchiveIndex, ha.nOffset) < std::make_pair(hb.nArchiveIndex, hb.nOffset);
    });
    return files;
}

// Every nStride-th file, cycling: with a stride coprime to the count, each
// file once and no two neighbours in a row.
FileList Strided(const FileList& files, size_t nStride)
{
    FileList out;
    for (size_t i = 0; i < files.size(); ++i)
        out.push_back(files[(i * nStride) % files.size()]);
    return out;
}

// Reads the file from its start in pieces of nPiece bytes (0: whole),
// checking each read's count, bytes and position. Returns the bytes read.
int64_t ReadInPieces(CPackedStore& store, const std::string& path, const std::string& content, int32_t nPiece)
{
    CPackedFileHandle h = store.OpenFile(path.c_str());
    EXPECT_TRUE(h.IsValid()) << path;
    const int32_t nSize = static_cast<int32_t>(content.size());
    const int32_t nAsk = nPiece > 0 ? nPiece : nSize + 1;
    std::string buffer(static_cast<size_t>(nAsk), '\0');
    int32_t nAt = 0;
    do
    {
        const int32_t nWant = std::min(nAsk, nSize - nAt);
        const int32_t nGot = store.ReadData(h, &buffer[0], nAsk);
        if (nGot != nWant || buffer.compare(0, static_cast<size_t>(nGot), content, static_cast<size_t>(nAt),
                                            static_cast<size_t>(nWant)) != 0)
        {
            ADD_FAILURE() << path << " at " << nAt << ": got " << nGot << " of " << nWant;
            return nAt;
        }
        nAt += nGot;
        EXPECT_EQ(h.nPosition, nAt);
    } while (nAt < nSize);
    EXPECT_EQ(store.ReadData(h, &buffer[0], nAsk), 0);
    return nAt;
}

int64_t ChunkBytes(const FileList& files, uint16_t nPreload)
{
    int64_t n = 0;
    for (const auto& f : files)
        n += f.second.size() > nPreload ? static_cast<int64_t>(f.second.size() - nPreload) : 0;
    return n;
}
} // namespace

TEST(ReadCache, EveryOrderAndPieceSizeReadsTheSameBytes)
{
    const FileList files = ManyFiles(200);
    struct Case
    {
        const char* pszName;
        bool bScattered;
        int32_t nPiece; // 0: whole files
        int nBlockLimit;
        uint16_t nPreload;
        int64_t nInDirectoryMaxSize;
    } cases[] = {
        {"archive order, whole, limit 1", false, 0, 1, 0, -1},
        {"archive order, whole, limit 64, preload and in-directory data", false, 0, 64, 16, 3000},
        {"scattered, whole, limit 1", true, 0, 1, 0, -1},
        {"archive order, pieces of 1000", false, 1000, 1, 0, -1},
        {"scattered, pieces of 777, preload", true, 777, 2, 100, -1},
        {"archive order, pieces of 70000", false, 70000, 1, 0, -1},
        {"archive order, pieces of 65535 and in-directory data", false, 65535, 1, 7, 15000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        TempDir dir;
        QarPackOptions options;
        options.nPreloadBytes = c.nPreload;
        options.nInDirectoryMaxSize = c.nInDirectoryMaxSize;
        const std::string base = Pack(dir, "pak", files, options);
        CPackedStore store(base.c_str(), nullptr);
        store.GetReadCache().SetBlockLimit(c.nBlockLimit);
        const FileList order = c.bScattered ? Strided(files, 37) : ArchiveOrder(store, files);
        for (const auto& f : order)
            ReadInPieces(store, f.first, f.second, c.nPiece);
    }
}

TEST(ReadCache, ReadsAtBlockBoundariesAndOfExactlyOneBlock)
{
    const std::string content = Pattern(3 * kBlock + 500, 5);
    TempDir dir;
    const std::string base = Pack(dir, "pak", {{"big.bin", content}});
    struct Case
    {
        int32_t nPosition;
        int32_t nCount;
    } cases[] = {
        {0, kBlock},          {kBlock, kBlock},         {kBlock - 1, 2},
        {kBlock - 10, 65535}, {kBlock - 10, 65536},     {2 * kBlock - 65535, 65535},
        {3 * kBlock, 500},    {3 * kBlock + 400, 1000}, {kBlock / 2, kBlock},
    };
    for (bool bAfterSequentialRun : {false, true})
    {
        for (const Case& c : cases)
        {
            SCOPED_TRACE(testing::Message() << c.nPosition << "+" << c.nCount << " after run " << bAfterSequentialRun);
            CPackedStore store(base.c_str(), nullptr);
            store.GetReadCache().SetBlockLimit(1);
            CPackedFileHandle h = store.OpenFile("big.bin");
            std::string buffer(static_cast<size_t>(c.nCount), '\0');
            if (bAfterSequentialRun)
            {
                // Three small reads in a row leading up to the position load
                // the block that starts at the third.
                char scratch[100];
                h.nPosition = std::max(0, c.nPosition - 300);
                for (int i = 0; i < 3 && h.nPosition < c.nPosition; ++i)
                    store.ReadData(h, scratch, std::min(100, c.nPosition - h.nPosition));
            }
            h.nPosition = c.nPosition;
            const int32_t nWant = std::min<int32_t>(c.nCount, static_cast<int32_t>(content.size()) - c.nPosition);
            ASSERT_EQ(store.ReadData(h, &buffer[0], c.nCount), nWant);
            EXPECT_TRUE(buffer.compare(0, static_cast<size_t>(nWant), content, static_cast<size_t>(c.nPosition),
                                       static_cast<size_t>(nWant)) == 0);
            EXPECT_EQ(h.nPosition, c.nPosition + nWant);
        }
    }
}

TEST(ReadCache, ScatteredReadsReadOnlyWhatTheyDeliver)
{
    const FileList files = SmallFiles(151);
    TempDir dir;
    const std::string base = Pack(dir, "pak", files);
    CPackedStore store(base.c_str(), nullptr);
    store.GetReadCache().SetBlockLimit(1);
    for (const auto& f : Strided(ArchiveOrder(store, files), 11))
        ReadInPieces(store, f.first, f.second, 0);
    EXPECT_EQ(store.GetChunkBytesRead(), ChunkBytes(files, 0));
}

TEST(ReadCache, SequentialSmallReadsAreServedFromLoadedBlocks)
{
    const FileList files = SmallFiles(400);
    TempDir dir;
    const std::string base = Pack(dir, "pak", files);
    CPackedStore store(base.c_str(), nullptr);
    store.GetReadCache().SetBlockLimit(1);
    const FileList order = ArchiveOrder(store, files);
    for (const auto& f : order)
        ReadInPieces(store, f.first, f.second, 0);
    // Each block starts at a read that does not fit into the one before, so
    // blocks overlap by less than one file; the last one runs past the data.
    const int64_t nDelivered = ChunkBytes(files, 0);
    EXPECT_GE(store.GetChunkBytesRead(), nDelivered);
    EXPECT_LE(store.GetChunkBytesRead(), nDelivered + 2 * kBlock);

    // The last file comes from the block now: not read again, and a change
    // on disk does not show.
    const int64_t nBefore = store.GetChunkBytesRead();
    const auto& last = order.back();
    const std::string changed = Pattern(std::filesystem::file_size(base + "_000.qar"), 99);
    WriteFileBytes(base + "_000.qar", changed);
    EXPECT_EQ(ReadAll(store, last.first.c_str()), last.second);
    EXPECT_EQ(store.GetChunkBytesRead(), nBefore);
    // A fresh store reads the changed bytes.
    CPackedStore fresh(base.c_str(), nullptr);
    EXPECT_NE(ReadAll(fresh, last.first.c_str()), last.second);
}

TEST(ReadCache, LargeReadsGoStraightToTheCaller)
{
    const std::string content = Pattern(3 * kBlock + 12345, 8);
    TempDir dir;
    const std::string base = Pack(dir, "pak", {{"big.bin", content}});
    for (int32_t nPiece : {0, CPackedStoreReadCache::DIRECT_READ_SIZE, kBlock})
    {
        SCOPED_TRACE(nPiece);
        CPackedStore store(base.c_str(), nullptr);
        store.GetReadCache().SetBlockLimit(1);
        ReadInPieces(store, "big.bin", content, nPiece);
        EXPECT_EQ(store.GetChunkBytesRead(), static_cast<int64_t>(content.size()));
    }
}

TEST(ReadCache, TwoSequentialReadersSharingOneBlockDoNotThrash)
{
    // Two chunk files of small files, read in archive order one file from
    // each in turn, through a single block buffer.
    const FileList files = SmallFiles(500);
    TempDir dir;
    QarPackOptions options;
    options.nChunkSize = 3 * kBlock;
    const std::string base = Pack(dir, "pak", files, options);
    CPackedStore store(base.c_str(), nullptr);
    store.GetReadCache().SetBlockLimit(1);
    FileList chunks[2];
    for (const auto& f : ArchiveOrder(store, files))
    {
        const int32_t nIndex = store.OpenFile(f.first.c_str()).nArchiveIndex;
        ASSERT_LT(nIndex, 2);
        chunks[nIndex].push_back(f);
    }
    ASSERT_FALSE(chunks[1].empty());
    for (size_t i = 0; i < std::max(chunks[0].size(), chunks[1].size()); ++i)
        for (const FileList& chunk : chunks)
            if (i < chunk.size())
                ReadInPieces(store, chunk[i].first, chunk[i].second, 0);
    // Loading a block for every turn would read about 1 MiB per file.
    const int64_t nDelivered = ChunkBytes(files, 0);
    EXPECT_LE(store.GetChunkBytesRead(), 2 * nDelivered + 2 * kBlock);
}

TEST(ReadCache, ShortChunkFileDeliversWhatItHoldsOnEveryPath)
{
    const std::string content = Pattern(6000, 4);
    TempDir dir;
    const std::string base = Pack(dir, "pak", {{"f.bin", content}});
    std::filesystem::resize_file(base + "_000.qar", 4000);
    for (int nLimit : {1, 64})
    {
        for (int32_t nPiece : {1000, 1500, 4096, 6000, 70000})
        {
            SCOPED_TRACE(testing::Message() << "limit " << nLimit << ", pieces of " << nPiece);
            CPackedStore store(base.c_str(), nullptr);
            store.GetReadCache().SetBlockLimit(nLimit);
            testsupport::SpewCapture capture;
            CPackedFileHandle h = store.OpenFile("f.bin");
            std::string buffer(static_cast<size_t>(nPiece), '\0');
            std::string got;
            size_t nShort = 0;
            for (int i = 0; i < 10; ++i)
            {
                const int32_t nAt = h.nPosition;
                const int32_t nWant = std::min(nPiece, 6000 - nAt);
                const int32_t nExpected = std::max(0, std::min(nWant, 4000 - nAt));
                const int32_t n = store.ReadData(h, &buffer[0], nPiece);
                ASSERT_EQ(n, nExpected) << "at " << nAt;
                ASSERT_EQ(h.nPosition, nAt + n);
                got.append(buffer, 0, static_cast<size_t>(n));
                nShort += n != nWant ? 1 : 0;
                if (nWant == 0)
                    break;
            }
            EXPECT_EQ(got, content.substr(0, 4000));
            const std::vector<std::string> expected(nShort, "Assertion Failed: nRead == nNumBytes");
            EXPECT_EQ(capture.AssertionMessages(), expected);
        }
    }
}

TEST(ReadCache, BlockLimitIsClamped)
{
    CPackedStore store(nullptr, nullptr);
    CPackedStoreReadCache& cache = store.GetReadCache();
    EXPECT_EQ(cache.GetBlockLimit(), 64);
    cache.SetBlockLimit(0);
    EXPECT_EQ(cache.GetBlockLimit(), 1);
    cache.SetBlockLimit(1000);
    EXPECT_EQ(cache.GetBlockLimit(), 64);
}

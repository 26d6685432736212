// Several threads reading many files through one store, every byte checked:
// from several chunk files, and all from one chunk file (threads then share
// its file and the block buffers). Also run under ThreadSanitizer.
#include "qarlib/packedstore.h"
#include "tests/host/qar_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

using namespace qartest;

namespace
{
FileList StressFiles()
{
    FileList files;
    std::mt19937 rng(7);
    for (int i = 0; i < 160; ++i)
    {
        size_t nSize = rng() % 40000;
        if (i % 40 == 0)
            nSize = 1500000 + rng() % 100000; // crosses 1 MiB blocks
        files.push_back({"dir" + std::to_string(i % 9) + "/file" + std::to_string(i) + ".bin",
                         Pattern(nSize, static_cast<uint32_t>(i))});
    }
    return files;
}

// Reads file i from a random position to its end in pieces of random size;
// false when a byte, a count or the position is wrong.
bool ReadRestInPieces(CPackedStore& store, const std::pair<std::string, std::string>& file, std::mt19937& rng,
                      int64_t& nBytes)
{
    const std::string& expected = file.second;
    CPackedFileHandle h = store.OpenFile(file.first.c_str());
    if (!h.IsValid())
        return false;
    const int32_t nStart = expected.empty() ? 0 : static_cast<int32_t>(rng() % expected.size());
    h.nPosition = nStart;
    std::string buffer(expected.size(), '\0');
    int32_t nAt = nStart;
    while (nAt < h.nSize)
    {
        const int32_t nWant = 1 + static_cast<int32_t>(rng() % 300000);
        const int32_t nGot = store.ReadData(h, &buffer[static_cast<size_t>(nAt)], nWant);
        if (nGot <= 0)
            break;
        nAt += nGot;
    }
    nBytes += nAt - nStart;
    return nAt == h.nSize && h.nPosition == nAt &&
           buffer.compare(static_cast<size_t>(nStart), std::string::npos, expected, static_cast<size_t>(nStart),
                          std::string::npos) == 0;
}

// Reads the whole file at once.
bool ReadWhole(CPackedStore& store, const std::pair<std::string, std::string>& file, int64_t& nBytes)
{
    const std::string got = ReadAll(store, file.first.c_str());
    nBytes += static_cast<int64_t>(got.size());
    return got == file.second;
}

// Runs nThreads threads over the files. Each thread reads them all, in
// pieces from random positions in its own random order, or (bWholeInOrder
// and an odd thread number) whole in archive order, so that sequential and
// scattered readers meet on the same chunk file. Returns the wrong files.
int ReadFromThreads(CPackedStore& store, const FileList& files, unsigned nThreads, bool bWholeInOrder,
                    int64_t& nBytesTotal)
{
    FileList archiveOrder = files;
    std::sort(archiveOrder.begin(), archiveOrder.end(), [&](const auto& a, const auto& b) {
        const CPackedFileHandle ha = store.OpenFile(a.first.c_str());
        const CPackedFileHandle hb = store.OpenFile(b.first.c_str());
        return std::make_pair(ha.nArchiveIndex, ha.nOffset) < std::make_pair(hb.nArchiveIndex, hb.nOffset);
    });
    std::atomic<int> nBad{0};
    std::atomic<int64_t> nBytes{0};
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < nThreads; ++t)
    {
        threads.emplace_back([&, t] {
            std::mt19937 rng(t + 1);
            int64_t nMine = 0;
            if (bWholeInOrder && t % 2 == 1)
            {
                for (const auto& file : archiveOrder)
                    nBad += ReadWhole(store, file, nMine) ? 0 : 1;
            }
            else
            {
                std::vector<size_t> order(files.size());
                for (size_t i = 0; i < order.size(); ++i)
                    order[i] = i;
                std::shuffle(order.begin(), order.end(), rng);
                for (size_t i : order)
                    nBad += ReadRestInPieces(store, files[i], rng, nMine) ? 0 : 1;
            }
            nBytes += nMine;
        });
    }
    for (auto& th : threads)
        th.join();
    nBytesTotal = nBytes.load();
    return nBad.load();
}
} // namespace

TEST(PackedStoreStress, ThreadsReadEveryByteCorrectly)
{
    const FileList files = StressFiles();
    TempDir dir;
    QarPackOptions options;
    options.nChunkSize = 1 << 20; // several chunk files
    options.nPreloadBytes = 16;
    options.nInDirectoryMaxSize = 100;
    const std::string base = Pack(dir, "pak", files, options);

    for (int nBlockLimit : {1, 64})
    {
        SCOPED_TRACE(nBlockLimit);
        CPackedStore store(base.c_str(), nullptr);
        store.GetReadCache().SetBlockLimit(nBlockLimit);
        int64_t nBytes = 0;
        EXPECT_EQ(ReadFromThreads(store, files, 4, false, nBytes), 0);
        EXPECT_GT(nBytes, 0);
    }
}

TEST(PackedStoreStress, TwoAndFourThreadsOnOneChunkFileReadEveryByteCorrectly)
{
    const FileList files = StressFiles();
    TempDir dir;
    QarPackOptions options;
    options.nPreloadBytes = 8;
    const std::string base = Pack(dir, "pak", files, options);
    for (unsigned nThreads : {2u, 4u})
    {
        for (int nBlockLimit : {1, 2, 64})
        {
            SCOPED_TRACE(testing::Message() << nThreads << " threads, block limit " << nBlockLimit);
            CPackedStore store(base.c_str(), nullptr);
            store.GetReadCache().SetBlockLimit(nBlockLimit);
            ASSERT_EQ(store.OpenFile(files.back().first.c_str()).nArchiveIndex, 0);
            int64_t nBytes = 0;
            EXPECT_EQ(ReadFromThreads(store, files, nThreads, true, nBytes), 0);
            EXPECT_GT(nBytes, 0);
        }
    }
}

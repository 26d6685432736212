// Several threads reading many files from several chunk files through one
// store, every byte checked. Also run under ThreadSanitizer.
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
        std::atomic<int> nBad{0};
        std::atomic<int64_t> nBytes{0};
        std::vector<std::thread> threads;
        for (unsigned t = 0; t < 4; ++t)
        {
            threads.emplace_back([&, t] {
                std::mt19937 rng(t + 1);
                std::vector<size_t> order(files.size());
                for (size_t i = 0; i < order.size(); ++i)
                    order[i] = i;
                std::shuffle(order.begin(), order.end(), rng);
                std::string buffer;
                for (size_t i : order)
                {
                    const std::string& expected = files[i].second;
                    CPackedFileHandle h = store.OpenFile(files[i].first.c_str());
                    if (!h.IsValid())
                    {
                        ++nBad;
                        continue;
                    }
                    // Start somewhere, read to the end in pieces of random size.
                    const int32_t nStart =
                        expected.empty() ? 0 : static_cast<int32_t>(rng() % expected.size());
                    h.nPosition = nStart;
                    buffer.assign(expected.size(), '\0');
                    int32_t nAt = nStart;
                    while (nAt < h.nSize)
                    {
                        const int32_t nWant = 1 + static_cast<int32_t>(rng() % 300000);
                        const int32_t nGot = store.ReadData(h, &buffer[static_cast<size_t>(nAt)], nWant);
                        if (nGot <= 0)
                            break;
                        nAt += nGot;
                    }
                    if (nAt != h.nSize || h.nPosition != nAt ||
                        buffer.compare(static_cast<size_t>(nStart), std::string::npos, expected,
                                       static_cast<size_t>(nStart), std::string::npos) != 0)
                        ++nBad;
                    nBytes += nAt;
                }
            });
        }
        for (auto& th : threads)
            th.join();
        EXPECT_EQ(nBad.load(), 0);
        EXPECT_GT(nBytes.load(), 0);
    }
}

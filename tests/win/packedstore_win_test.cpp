// The packed store over the Windows platform layer: an archive packed and
// read back in this build (binary mode, 32-bit file offsets), chunk files
// read by several threads at once through overlapped positional reads, and
// chunk files shorter than the tree says.
#include "qarlib/packedstore.h"
#include "qarlib/qarpacker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::string Bytes(size_t n, unsigned nSeed)
{
    std::string s(n, '\0');
    unsigned x = nSeed * 2654435761u + 1u;
    for (size_t i = 0; i < n; ++i)
    {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(x >> 24); // includes CR, LF and 0x1A bytes
    }
    return s;
}

std::string ReadAll(CPackedStore& store, const char* pszPath)
{
    CPackedFileHandle h = store.OpenFile(pszPath);
    if (!h.IsValid())
        return "(not found)";
    std::string s(static_cast<size_t>(h.nSize), '\0');
    const int32_t n = store.ReadData(h, s.empty() ? nullptr : &s[0], h.nSize);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}
} // namespace

TEST(PackedStoreWin, PacksAndReadsBackThroughTheWindowsRuntime)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "wexla_qar_win_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"Materials\\Brick.txt", Bytes(1000, 1)},
        {"sound/big.wav", Bytes(2500000, 2)},
        {"readme", "\r\n\x1a text-mode bytes \r\n"},
    };
    QarPackOptions options;
    options.nPreloadBytes = 8;
    options.nInDirectoryMaxSize = 64;
    options.nChunkSize = 1 << 20;
    CQarPacker packer(options);
    std::string error;
    for (const auto& f : files)
        ASSERT_TRUE(packer.AddFile(f.first, f.second, &error)) << error;
    const std::string base = (dir / "pak01").string();
    ASSERT_TRUE(packer.Write(base, &error)) << error;

    for (int nLimit : {1, 64})
    {
        CPackedStore store(base.c_str(), nullptr);
        store.GetReadCache().SetBlockLimit(nLimit);
        ASSERT_EQ(store.GetLoadStatus(), QAR_LOAD_OK);
        for (const auto& f : files)
            EXPECT_TRUE(ReadAll(store, f.first.c_str()) == f.second) << f.first;
        EXPECT_TRUE(store.DirectoryExists("MATERIALS"));
        std::vector<std::string> directories, names;
        store.FindEntries("sound/*.wav", directories, names);
        EXPECT_EQ(names, std::vector<std::string>{"big.wav"});
    }
    fs::remove_all(dir);
}

namespace
{
// A folder of its own under the temporary folder, removed at the end.
struct ScratchDir
{
    std::filesystem::path path;
    explicit ScratchDir(const char* pszName) : path(std::filesystem::temp_directory_path() / pszName)
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
};

std::string PackFiles(const ScratchDir& dir, const std::vector<std::pair<std::string, std::string>>& files)
{
    CQarPacker packer;
    std::string error;
    for (const auto& f : files)
        EXPECT_TRUE(packer.AddFile(f.first, f.second, &error)) << error;
    const std::string base = (dir.path / "pak").string();
    EXPECT_TRUE(packer.Write(base, &error)) << error;
    return base;
}
} // namespace

TEST(PackedStoreWin, ThreadsShareOneChunkFileAndReadEveryByte)
{
    ScratchDir dir("wexla_qar_win_threads");
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 120; ++i)
        files.push_back({"d/f" + std::to_string(i) + ".bin",
                         Bytes(i % 30 == 0 ? 1300000 : static_cast<size_t>(i * 397 % 20000), static_cast<unsigned>(i))});
    const std::string base = PackFiles(dir, files);
    for (unsigned nThreads : {2u, 4u})
    {
        CPackedStore store(base.c_str(), nullptr);
        store.GetReadCache().SetBlockLimit(1);
        std::atomic<int> nBad{0};
        std::vector<std::thread> threads;
        for (unsigned t = 0; t < nThreads; ++t)
        {
            threads.emplace_back([&, t] {
                // Odd threads read in archive (name) order, even ones from the back.
                for (size_t n = 0; n < files.size(); ++n)
                {
                    const auto& f = files[t % 2 ? n : files.size() - 1 - n];
                    nBad += ReadAll(store, f.first.c_str()) == f.second ? 0 : 1;
                }
            });
        }
        for (auto& th : threads)
            th.join();
        EXPECT_EQ(nBad.load(), 0) << nThreads << " threads";
    }
}

TEST(PackedStoreWin, ShortChunkFileDeliversWhatItHolds)
{
    ScratchDir dir("wexla_qar_win_short");
    const std::string content = Bytes(5000, 4);
    const std::string base = PackFiles(dir, {{"f.bin", content}});
    std::filesystem::resize_file(base + "_000.qar", 3000);
    CPackedStore store(base.c_str(), nullptr);
    CPackedFileHandle h = store.OpenFile("f.bin");
    std::string buffer(5000, '\0');
    EXPECT_EQ(store.ReadData(h, &buffer[0], 5000), 3000);
    EXPECT_TRUE(buffer.compare(0, 3000, content, 0, 3000) == 0);
    EXPECT_EQ(h.nPosition, 3000);
    EXPECT_EQ(store.ReadData(h, &buffer[0], 5000), 0);
}

// The packed store over the Windows C runtime's stdio: an archive packed and
// read back in this build (binary mode, 32-bit file offsets).
#include "qarlib/packedstore.h"
#include "qarlib/qarpacker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
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

#include "tests/fs/fs_test_support.h"

#include "tests/common/test_pattern.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#if defined(_WIN32)
#include "tests/win/win_test_support.h"

#include <process.h>
#define FS_GETPID _getpid
#else
#include <unistd.h>
#define FS_GETPID getpid
#endif

namespace fstest
{
namespace
{
namespace stdfs = std::filesystem;

// The scratch folder: made and entered on first use, left and removed when
// the program ends.
struct ScratchFolder
{
    stdfs::path original;
    stdfs::path path;
    ScratchFolder()
    {
        original = stdfs::current_path();
        path = stdfs::temp_directory_path() / ("wexla_fs_" + std::to_string(FS_GETPID()));
        RemoveAll(path.string());
        stdfs::create_directories(path);
        stdfs::current_path(path);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        stdfs::current_path(original, ec);
        RemoveAll(path.string());
    }
};

ScratchFolder& TheScratch()
{
    static ScratchFolder s_scratch;
    return s_scratch;
}

std::string TestInfoNameOf()
{
    const auto* pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = pInfo ? std::string(pInfo->test_suite_name()) + "." + pInfo->name() : "fresh";
    for (char& c : name)
        if (c == '/')
            c = '_';
    return name;
}
} // namespace

std::string TestInfoName()
{
    return TestInfoNameOf();
}

std::string Scratch()
{
    return TheScratch().path.string();
}

std::string ScratchPath(const std::string& relative)
{
    return (TheScratch().path / stdfs::path(relative).make_preferred()).string();
}

void MakeDirs(const std::string& path)
{
    stdfs::create_directories(path);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    stdfs::path p(path);
    if (p.has_parent_path())
        stdfs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void RemoveAll(const std::string& path)
{
#if defined(_WIN32)
    wintest::RemoveTree(path); // also trees deeper than the short path limit
#else
    std::error_code ec;
    stdfs::remove_all(path, ec);
#endif
}

std::string Pack(const std::string& relativeBase, const FileList& files, const QarPackOptions& options)
{
    const std::string base = ScratchPath(relativeBase);
    stdfs::create_directories(stdfs::path(base).parent_path());
    CQarPacker packer(options);
    std::string error;
    for (const auto& file : files)
        EXPECT_TRUE(packer.AddFile(file.first, file.second, &error)) << error;
    EXPECT_TRUE(packer.Write(base, &error)) << error;
    return base;
}

std::string Pattern(size_t n, uint32_t nSeed)
{
    return testcommon::Pattern(n, nSeed);
}

void WriteMountList(const std::string& text)
{
    Scratch();
    WriteFile("wexla_qars.rmk", text);
}

std::string MountListText(const std::vector<std::string>& bases, const char* pszSpew)
{
    std::string text = "\"qars\"\n{\n";
    if (pszSpew)
        text += std::string("  \"spewfileio\" \"") + pszSpew + "\"\n";
    text += "  \"mount\"\n  {\n";
    int n = 0;
    for (const auto& base : bases)
        text += "    \"archive" + std::to_string(++n) + "\" \"" + base + "\"\n";
    text += "  }\n}\n";
    return text;
}

void MountOnly(const std::vector<std::string>& bases, bool bTrace)
{
    Fs().WexlaUnmountAppFilesystem(nullptr);
    WriteMountList(MountListText(bases, bTrace ? "true" : "false"));
    TWexlaError error;
    EXPECT_EQ(1, Fs().WexlaMountAppFilesystem(&error));
}

std::string ReadToEnd(WexlaFileHandle_t hFile, size_t nPiece)
{
    std::string out;
    std::vector<char> buf(nPiece);
    for (;;)
    {
        uint32_t n = Fs().WexlaReadFile(buf.data(), 1, static_cast<uint32_t>(nPiece), hFile, nullptr);
        out.append(buf.data(), n);
        if (n < nPiece)
            return out;
    }
}

void FsTest::SetUp()
{
    Scratch();
    RemoveAll("wexla_qars.rmk");
    Fs().WexlaUnmountAppFilesystem(nullptr);
    MakeDirs(ScratchPath(TestInfoName()));
}

void FsTest::TearDown()
{
    Fs().WexlaUnmountAppFilesystem(nullptr);
    RemoveAll("wexla_qars.rmk");
    RemoveAll(ScratchPath(TestInfoName()));
}
} // namespace fstest

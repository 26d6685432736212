// The qar command-line tool, run as a user runs it.
#include "qarlib/qarformat.h"
#include "tests/host/qar_fixture.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>

using namespace qartest;

namespace
{
struct ToolResult
{
    int nExit;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

ToolResult RunQar(const TempDir& dir, const std::vector<std::string>& args)
{
    std::string command = Quote(QAR_TOOL_PATH);
    for (const std::string& a : args)
        command += " " + Quote(a);
    command += " >" + Quote(dir.Path("stdout")) + " 2>" + Quote(dir.Path("stderr")) + " </dev/null";
    const int nStatus = system(command.c_str());
    return {WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1, ReadFileBytes(dir.Path("stdout")),
            ReadFileBytes(dir.Path("stderr"))};
}

// A source folder with a few files, packed by the tool into out/pak.
class QarToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::create_directories(m_dir.Path("src/Materials/Models"));
        WriteFileBytes(m_dir.Path("src/Materials/Brick.txt"), "brick");
        WriteFileBytes(m_dir.Path("src/Materials/Models/crate.mdl"), Pattern(300000, 1));
        WriteFileBytes(m_dir.Path("src/readme"), "hello");
        m_base = m_dir.Path("out/pak");
        const ToolResult r = RunQar(m_dir, {"pack", "--preload", "2", "--chunk-size", "100K", "--in-dir", "10",
                                            m_dir.Path("src"), m_base});
        ASSERT_EQ(r.nExit, 0) << r.err;
    }
    TempDir m_dir;
    std::string m_base;
};
} // namespace

TEST_F(QarToolTest, ListShowsPathSizePreloadIndexAndOffset)
{
    for (const std::string& name : {m_base, m_base + "_dir.qar"})
    {
        const ToolResult r = RunQar(m_dir, {"list", name});
        EXPECT_EQ(r.nExit, 0) << r.err;
        EXPECT_EQ(r.out, "materials/brick.txt\t5\t2\t32767\t3\n"
                         "materials/models/crate.mdl\t300000\t2\t0\t0\n"
                         "readme\t5\t2\t32767\t0\n");
    }
}

TEST_F(QarToolTest, CatFollowsTheLookupRules)
{
    ToolResult r = RunQar(m_dir, {"cat", m_base, "MATERIALS\\brick.TXT"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.out, "brick");
    r = RunQar(m_dir, {"cat", m_base + "_dir.qar", "materials/models/crate.mdl"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_TRUE(r.out == Pattern(300000, 1));
    r = RunQar(m_dir, {"cat", m_base, "materials/missing.txt"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no file materials/missing.txt"), std::string::npos) << r.err;
}

TEST_F(QarToolTest, ExtractWritesEveryFile)
{
    const ToolResult r = RunQar(m_dir, {"extract", m_base, m_dir.Path("x")});
    EXPECT_EQ(r.nExit, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(m_dir.Path("x/materials/brick.txt")), "brick");
    EXPECT_TRUE(ReadFileBytes(m_dir.Path("x/materials/models/crate.mdl")) == Pattern(300000, 1));
    EXPECT_EQ(ReadFileBytes(m_dir.Path("x/readme")), "hello");
}

TEST_F(QarToolTest, VerifyFindsChangedAndMissingData)
{
    ToolResult r = RunQar(m_dir, {"verify", m_base});
    EXPECT_EQ(r.nExit, 0) << r.err;
    EXPECT_EQ(r.out, "3 files checked, 0 problems\n");

    // One byte changed in the chunk file.
    {
        FILE* f = fopen((m_base + "_000.qar").c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        const int c = fgetc(f);
        fseek(f, 0, SEEK_SET);
        fputc(c ^ 0x55, f);
        fclose(f);
    }
    r = RunQar(m_dir, {"verify", m_base});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.err.find("materials/models/crate.mdl: checksum mismatch"), std::string::npos) << r.err;

    std::filesystem::remove(m_base + "_000.qar");
    r = RunQar(m_dir, {"verify", m_base});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.err.find("short read"), std::string::npos) << r.err;
}

TEST(QarTool, BadInputGivesOneLineErrorsAndExitCodes)
{
    TempDir dir;
    const std::string tree = OneFileTree("txt", "d", "f", Entry(0, "", {{0, 0, 1}}));
    WriteFileBytes(dir.Path("cut_dir.qar"), HeaderV2(static_cast<uint32_t>(tree.size())) + tree.substr(0, 12));
    WriteFileBytes(dir.Path("v9_dir.qar"), HeaderV2(static_cast<uint32_t>(tree.size()), 0, 9) + tree);
    WriteFileBytes(dir.Path("evil_dir.qar"), OneFileTree("txt", "..", "evil", Entry(0, "", {{0, 0, 1}})));
    WriteFileBytes(dir.Path("evil_000.qar"), "e");
    struct Case
    {
        std::vector<std::string> args;
        int nExit;
        const char* pszError; // expected in standard error
    } cases[] = {
        {{}, 2, "usage: qar COMMAND"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"list"}, 2, "usage: qar list ARCHIVE"},
        {{"pack", "--chunk-size", "lots", dir.Path(), dir.Path("x")}, 2, "bad option --chunk-size lots"},
        {{"pack", dir.Path("nofolder"), dir.Path("x")}, 1, "not a folder"},
        {{"list", dir.Path("missing")}, 1, "no such archive"},
        {{"list", dir.Path("cut")}, 1, "corrupt directory file"},
        {{"verify", dir.Path("v9")}, 1, "Unknown version 9 for qar"},
        {{"extract", dir.Path("evil"), dir.Path("out")}, 1, "refusing to write outside the output folder"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        const ToolResult r = RunQar(dir, c.args);
        EXPECT_EQ(r.nExit, c.nExit);
        EXPECT_NE(r.err.find(c.pszError), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("evil.txt")));
    const ToolResult help = RunQar(dir, {"--help"});
    EXPECT_EQ(help.nExit, 0);
    EXPECT_NE(help.out.find("qar pack"), std::string::npos);
}

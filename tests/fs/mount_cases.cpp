// Mounting through the mount list file and the mounting entry points.
#include "tests/fs/fs_test_support.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace fstest;

namespace
{
struct MountTest : FsTest
{
    // What the archives answer for the path: the file's content, or "disk"
    // when no archive has it.
    static std::string Answer(const char* pszPath)
    {
        WexlaFileHandle_t hFile = Fs().WexlaOpenFile(pszPath, "rb", nullptr);
        if (!(hFile & QAR_FILE_HANDLE_FLAG))
        {
            Fs().WexlaCloseFile(hFile, nullptr);
            return hFile ? "disk" : "none";
        }
        std::string content = ReadToEnd(hFile);
        Fs().WexlaCloseFile(hFile, nullptr);
        return content;
    }

    static int MountWithList(const std::string& text)
    {
        Fs().WexlaUnmountAppFilesystem(nullptr);
        WriteMountList(text);
        TWexlaError error;
        return Fs().WexlaMountAppFilesystem(&error);
    }

    static size_t CountStarting(const std::vector<std::string>& lines, const std::string& prefix)
    {
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& s) {
            return s.compare(0, prefix.size(), prefix) == 0;
        }));
    }
};
} // namespace

TEST_F(MountTest, TheArchiveMountedLastAnswersFirst)
{
    const std::string a = Pack(TestInfoName() + "/a", {{"same.txt", "from a"}, {"only_a.txt", "a"}});
    const std::string b = Pack(TestInfoName() + "/b", {{"same.txt", "from b"}, {"only_b.txt", "b"}});
    MountOnly({a, b});
    EXPECT_EQ("from b", Answer("same.txt"));
    EXPECT_EQ("a", Answer("only_a.txt"));
    EXPECT_EQ("b", Answer("only_b.txt"));
    MountOnly({b, a});
    EXPECT_EQ("from a", Answer("same.txt"));
}

TEST_F(MountTest, MountListSectionSkipsBlocksAndMissingArchives)
{
    const std::string a = Pack(TestInfoName() + "/a", {{"a.txt", "a"}});
    const std::string b = Pack(TestInfoName() + "/b", {{"b.txt", "b"}});
    const std::string c = Pack(TestInfoName() + "/c", {{"c.txt", "c"}});
    // The block child names archive c: it is skipped, and so is the archive
    // that does not exist. Key names do not matter.
    EXPECT_EQ(1, MountWithList("\"whatever\"\n{\n  \"mount\"\n  {\n    \"x\" \"" + a +
                               "\"\n    \"nested\" { \"y\" \"" + c + "\" }\n    \"x\" \"" + ScratchPath("nothing") +
                               "\"\n    \"z\" \"" + b + "\"\n  }\n}\n"));
    EXPECT_EQ("a", Answer("a.txt"));
    EXPECT_EQ("b", Answer("b.txt"));
    EXPECT_EQ("none", Answer("c.txt"));
}

TEST_F(MountTest, EmptyMountSectionMountsNothingAndSucceeds)
{
    EXPECT_EQ(1, MountWithList("\"qars\" { \"mount\" { } }"));
    EXPECT_EQ("none", Answer("a.txt"));
}

TEST_F(MountTest, SpewFileIoDecidesTracing)
{
    const std::string a = Pack(TestInfoName() + "/a", {{"a.txt", "a"}});
    const struct
    {
        const char* pszSpew; // null: key absent
        bool bTrace;
    } cases[] = {
        {"true", true}, {"TRUE", true}, {"1", true},  {"5", true},
        {"false", false}, {"False", false}, {"0", false}, {nullptr, false},
    };
    for (const auto& c : cases)
    {
        TraceCapture trace;
        EXPECT_EQ(1, MountWithList(MountListText({a}, c.pszSpew)));
        Fs().WexlaCloseFile(Fs().WexlaOpenFile("a.txt", "rb", nullptr), nullptr);
        const std::vector<std::string> lines = trace.Lines();
        EXPECT_EQ(c.bTrace ? 1u : 0u, CountStarting(lines, "open file a.txt")) << (c.pszSpew ? c.pszSpew : "absent");
    }
}

TEST_F(MountTest, ParseFailureFailsTheMount)
{
    const std::string a = Pack(TestInfoName() + "/a", {{"a.txt", "a"}});
    for (const std::string& text : {"\"qars\" { \"mount\" { \"x\" \"" + a + "\"", std::string("\"qars\" { \"mount\" }")})
    {
        EXPECT_EQ(0, MountWithList(text)) << text;
        EXPECT_EQ("none", Answer("a.txt")) << text;
    }
    // A readable list afterwards mounts again.
    EXPECT_EQ(1, MountWithList(MountListText({a})));
    EXPECT_EQ("a", Answer("a.txt"));
}

TEST_F(MountTest, SecondMountKeepsTheCurrentList)
{
    const std::string a = Pack(TestInfoName() + "/a", {{"a.txt", "a"}});
    const std::string b = Pack(TestInfoName() + "/b", {{"b.txt", "b"}});
    MountOnly({a}, true);
    WriteMountList(MountListText({b}, "true"));
    TraceCapture trace;
    EXPECT_EQ(1, Fs().WexlaMountAppFilesystem(nullptr));
    EXPECT_EQ(std::vector<std::string>{"WexlaMountAppFilesystem"}, trace.Lines());
    EXPECT_EQ("a", Answer("a.txt"));
    EXPECT_EQ("none", Answer("b.txt"));
    MountOnly({}, false);
}

TEST_F(MountTest, TheSameArchiveIsMountedOnceByItsFullPath)
{
#if !defined(_WIN32)
    GTEST_SKIP() << "an archive records its path with backslashes, which only Windows paths match";
#endif
    const std::string a = Pack(TestInfoName() + "/a", {{"a.txt", "a"}});
    std::string upper = a;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::string forward = a;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    TraceCapture trace;
    // Letter case does not matter; a different spelling (forward slashes)
    // opens the archive a second time.
    EXPECT_EQ(1, MountWithList(MountListText({a, upper, a, forward}, "1")));
    EXPECT_EQ(2u, CountStarting(trace.Lines(), "Mounting ")) << testing::PrintToString(trace.Lines());
    MountOnly({}, false);
}

TEST_F(MountTest, UnmountInvalidatesArchiveHandlesOnly)
{
    const std::string a = Pack(TestInfoName() + "/a", {{"a.txt", "archived a"}});
    WriteFile("plain.txt", "plain");
    MountOnly({a});
    WexlaFileHandle_t hArchive = Fs().WexlaOpenFile("a.txt", "rb", nullptr);
    WexlaFileHandle_t hPlain = Fs().WexlaOpenFile("plain.txt", "rb", nullptr);
    ASSERT_NE(0u, hArchive & QAR_FILE_HANDLE_FLAG);
    TWexlaError error;
    EXPECT_EQ(1, Fs().WexlaUnmountAppFilesystem(&error));
    EXPECT_EQ(eWexlaErrorNone, error.eKind);
    char buf[16];
    EXPECT_EQ(0u, Fs().WexlaReadFile(buf, 1, 4, hArchive, &error));
    EXPECT_EQ(-1, Fs().WexlaSizeFile(hArchive, nullptr));
    EXPECT_EQ("plain", ReadToEnd(hPlain));
    EXPECT_EQ("none", Answer("a.txt"));
    EXPECT_EQ(0, Fs().WexlaCloseFile(hPlain, nullptr));
    // Unmounting twice is harmless.
    EXPECT_EQ(1, Fs().WexlaUnmountAppFilesystem(nullptr));
}

TEST_F(MountTest, MountFilesystemBeforeStartupMountsNothing)
{
    // No client is bound here: the call must not reach for one.
    TWexlaError error;
    EXPECT_EQ(1, Fs().WexlaMountFilesystem(1234, "ignored", &error));
    EXPECT_EQ(eWexlaErrorNone, error.eKind);
    EXPECT_EQ(1, Fs().WexlaMountFilesystem(1234, nullptr, nullptr));
    EXPECT_EQ("none", Answer("a.txt"));
}

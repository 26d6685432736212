// Path and string tools: exact edge behaviour and argument-fault reports.
#include "util/strtools.h"

#include "core/platform.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

using testsupport::RunInChild;
using testsupport::SpewCapture;

namespace
{
// Runs an in-place routine on a copy of the text.
template <typename Fn>
std::string InPlace(const char* pszText, Fn fn)
{
    char buf[512];
    strcpy(buf, pszText);
    fn(buf);
    return buf;
}

struct ScopedCwd
{
    std::string old;
    explicit ScopedCwd(const char* pszDir)
    {
        char buf[4096];
        old = getcwd(buf, sizeof(buf));
        EXPECT_EQ(0, chdir(pszDir));
    }
    ~ScopedCwd() { EXPECT_EQ(0, chdir(old.c_str())); }
};
} // namespace

TEST(StrTools, CopyBounded)
{
    char buf[8];
    memset(buf, '#', sizeof(buf));
    V_CopyBounded(buf, "abcdef", 4);
    EXPECT_STREQ("abc", buf);
    V_CopyBounded(buf, "abcdef", 1);
    EXPECT_STREQ("", buf);
    strcpy(buf, "keep");
    V_CopyBounded(buf, "abcdef", 0);
    EXPECT_STREQ("keep", buf);
    V_CopyBounded(buf, "ab", 8);
    EXPECT_STREQ("ab", buf);
}

TEST(StrTools, AppendBounded)
{
    struct Case
    {
        const char* pszDest;
        const char* pszSrc;
        int nCapacity;
        int nMax;
        const char* pszExpected;
    };
    const Case cases[] = {
        {"abc", "def", 5, -1, "abcd"},
        {"abc", "def", 10, -1, "abcdef"},
        {"abc", "def", 10, 2, "abcde"},
        {"abc", "def", 10, 0, "abc"},
        {"abc", "def", 4, -1, "abc"}, // no room at all
        {"abc", "def", 3, -1, "abc"}, // destination already over capacity
    };
    for (const Case& c : cases)
    {
        char buf[32];
        strcpy(buf, c.pszDest);
        V_AppendBounded(buf, c.pszSrc, c.nCapacity, c.nMax);
        EXPECT_STREQ(c.pszExpected, buf) << c.pszDest << "+" << c.pszSrc << " cap " << c.nCapacity;
    }
}

TEST(StrTools, CompareNAndNoCase)
{
    EXPECT_EQ(0, V_CompareNoCaseN("Models", "MODELS", 0x7FFFFFFF));
    EXPECT_EQ(-1, V_CompareNoCaseN("a", "ab", 0x7FFFFFFF));
    EXPECT_EQ(1, V_CompareNoCaseN("ab", "a", 0x7FFFFFFF));
    EXPECT_EQ(0, V_CompareNoCaseN("abX", "ABy", 2));
    // Folding to upper case: '_' (0x5F) sorts below 'a' folded to 'A' (0x41)? No: above.
    EXPECT_EQ(1, V_CompareNoCaseN("_", "a", 1));
    EXPECT_EQ(0, V_CompareN("abc", "abd", 2));
    EXPECT_EQ(-1, V_CompareN("abc", "abd", 3));
    EXPECT_EQ(1, V_CompareN("a", "A", 1));
    EXPECT_EQ(0, V_CompareN("x", "y", 0));
    // Characters compare signed: a byte above 0x7F is smaller than 'a'.
    EXPECT_EQ(-1, V_CompareN("\xE9", "a", 1));
    EXPECT_EQ(-1, V_CompareNoCaseN("\xE9", "a", 1));
}

TEST(StrTools, FindNoCase)
{
    const char* pszText = "Materials/Models";
    EXPECT_EQ(pszText + 10, V_FindNoCase(pszText, "MODELS"));
    EXPECT_EQ(pszText, V_FindNoCase(pszText, "mat"));
    EXPECT_EQ(nullptr, V_FindNoCase(pszText, "modelsx"));
    EXPECT_EQ(nullptr, V_FindNoCase(pszText, ""));
    EXPECT_STREQ("ab", V_FindNoCase("aab", "ab"));
}

TEST(StrTools, LowerAndSeparators)
{
    EXPECT_EQ("abc\xC9z/1", InPlace("ABC\xC9Z/1", [](char* p) { V_LowerAscii(p); }));
    EXPECT_EQ("a\\b\\c", InPlace("a/b\\c", [](char* p) { V_SetSeparators(p, '\\'); }));
}

TEST(StrTools, CollapseDoubleSlashes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"\\\\server\\x", "\\\\server\\x"}, // a leading pair stays
        {"a//b", "a/b"},
        {"a///b", "a//b"}, // only one of a run of three goes
        {"a\\/b", "a/b"},
        {"ab//", "ab/"},
        {"//a", "//a"}, // position 0 is never removed
        {"", ""},
        {"/", "/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, InPlace(c.first, V_CollapseDoubleSlashes)) << c.first;
}

TEST(StrTools, RemoveDotSlashes)
{
    struct Case
    {
        const char* pszIn;
        bool bResult;
        const char* pszOut;
    };
    const Case cases[] = {
        {"", true, ""},
        {"a\\b\\..\\c", true, "a\\c"},
        {"a\\b\\..", true, "a"},
        {"a\\..\\c", true, "\\c"},
        {"a\\.\\.\\b", true, "a\\b"},
        {".\\a", true, "a"},
        {"..\\a", false, "..\\a"},
        {"\\..\\a", false, "\\..\\a"},
        {"a\\..", true, ""},
        {"a/b/./c/", true, "a\\b\\c\\"},
        {"a\\b\\.", true, "a\\b\\"},
        {"a\\b\\c\\..\\..\\d", true, "a\\d"},
        {"a\\..\\..\\b", false, "\\..\\b"},
        {"a\\..b\\c", true, "a\\..b\\c"}, // not a ".." segment
        {"C:\\y\\.\\z", true, "C:\\y\\z"},
    };
    for (const Case& c : cases)
    {
        char buf[256];
        strcpy(buf, c.pszIn);
        EXPECT_EQ(c.bResult, V_RemoveDotSlashes(buf, '\\')) << c.pszIn;
        EXPECT_STREQ(c.pszOut, buf) << c.pszIn;
    }
    EXPECT_EQ("a/c", InPlace("a\\b/../c", [](char* p) { V_RemoveDotSlashes(p, '/'); }));
}

TEST(StrTools, AppendSlash)
{
    EXPECT_EQ("a\\", InPlace("a", [](char* p) { V_AppendSlash(p, 3); }));
    EXPECT_EQ("a/", InPlace("a/", [](char* p) { V_AppendSlash(p, 3); }));
    EXPECT_EQ("", InPlace("", [](char* p) { V_AppendSlash(p, 1); }));
}

TEST(StrTools, AppendSlashWithoutRoomEndsTheProcess)
{
    auto r = RunInChild([] {
        char buf[3] = "ab";
        V_AppendSlash(buf, 3);
        printf("not reached");
    });
    EXPECT_EQ(1, r.nExitCode);
    EXPECT_EQ("V_AppendSlash: ran out of space on ab.", r.out);
}

TEST(StrTools, AppendSlashWithoutRoomUnderAReplacedOutputAppendsNothing)
{
    SpewCapture capture;
    char buf[3] = "ab";
    V_AppendSlash(buf, 3);
    EXPECT_STREQ("ab", buf);
    ASSERT_EQ(1u, capture.Entries().size());
    EXPECT_EQ(SPEW_ERROR, capture.Entries()[0].nKind);
}

TEST(StrTools, MakeAbsolutePath)
{
    struct Case
    {
        const char* pszPath;
        const char* pszBase;
        const char* pszExpected;
    };
    const Case cases[] = {
        {"../x", "C:\\a\\b", "C:\\a\\x"},
        {"C:/y/./z", nullptr, "C:\\y\\z"},
        {"\\abs\\p", "C:\\ignored", "\\abs\\p"},
        {"f.txt", "C:\\base\\", "C:\\base\\f.txt"},
    };
    for (const Case& c : cases)
    {
        char buf[260];
        V_MakeAbsolutePath(buf, sizeof(buf), c.pszPath, c.pszBase);
        EXPECT_STREQ(c.pszExpected, buf) << c.pszPath;
    }
}

TEST(StrTools, MakeAbsolutePathAgainstTheWorkingDirectory)
{
    ScopedCwd cwd("/tmp");
    char buf[260];
    V_MakeAbsolutePath(buf, sizeof(buf), "models\\x.mdl");
    EXPECT_STREQ("\\tmp\\models\\x.mdl", buf);
    // A relative base goes after the working directory.
    V_MakeAbsolutePath(buf, sizeof(buf), "x", "sub/dir");
    EXPECT_STREQ("\\tmp\\sub\\dir\\x", buf);
}

TEST(StrTools, MakeAbsolutePathReportsAnUnresolvableDotDot)
{
    SpewCapture capture;
    char buf[260];
    V_MakeAbsolutePath(buf, sizeof(buf), "..\\..\\x", "C:");
    EXPECT_EQ((std::vector<std::string>{"Assertion Failed: V_RemoveDotSlashes failed for \"\\..\\x\"."}),
              capture.AssertionMessages());
}

TEST(StrTools, IsAbsoluteAndComponents)
{
    EXPECT_TRUE(V_IsAbsolute("C:x"));
    EXPECT_TRUE(V_IsAbsolute("/a"));
    EXPECT_TRUE(V_IsAbsolute("\\a"));
    EXPECT_FALSE(V_IsAbsolute("a\\b"));

    EXPECT_STREQ("c.txt", V_LastComponent("a/b\\c.txt"));
    EXPECT_STREQ("", V_LastComponent("a/b/"));
    EXPECT_STREQ("abc", V_LastComponent("abc"));

    const std::pair<const char*, const char*> cuts[] = {
        {"a\\b\\c", "a\\b"}, {"a", "a"}, {"\\", "\\"}, {"\\a", ""}, {"ab", ""}, {"", ""}, {"a/", "a"},
    };
    for (const auto& c : cuts)
        EXPECT_EQ(c.second, InPlace(c.first, V_CutLastComponent)) << c.first;
}

TEST(StrTools, Extensions)
{
    EXPECT_EQ(nullptr, V_ExtensionOf("a.b\\c"));
    EXPECT_STREQ("gz", V_ExtensionOf("x.tar.gz"));
    EXPECT_EQ(nullptr, V_ExtensionOf("name."));
    EXPECT_EQ(nullptr, V_ExtensionOf("noext"));

    char buf[8] = "junk";
    V_CopyExtension("a/b.txt", buf, sizeof(buf));
    EXPECT_STREQ("txt", buf);
    V_CopyExtension("a/b", buf, sizeof(buf));
    EXPECT_STREQ("", buf);
    V_CopyExtension("a.longextension", buf, 4);
    EXPECT_STREQ("lon", buf);
}

TEST(StrTools, CopyBaseName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"dir/file.tar.gz", "file.tar"},
        {"dir.d\\file", "file"},
        {"file.", "file"},
        {"", ""},
        {"dir/", ""},
    };
    for (const auto& c : cases)
    {
        char buf[64] = "junk";
        V_CopyBaseName(c.first, buf, sizeof(buf));
        EXPECT_STREQ(c.second, buf) << c.first;
    }
    char small[4];
    V_CopyBaseName("abcdef.x", small, sizeof(small));
    EXPECT_STREQ("abc", small);
}

TEST(StrTools, CopyDirectory)
{
    struct Case
    {
        const char* pszPath;
        int nCapacity;
        bool bResult;
        const char* pszOut;
    };
    const Case cases[] = {
        {"a/b", 64, true, "a/"},
        {"a/b/", 64, true, "a/"},
        {"file.txt", 64, false, ""},
        {"", 64, false, ""},
        {"abc\\def\\g", 4, true, "abc"},
    };
    for (const Case& c : cases)
    {
        char buf[64] = "junk";
        EXPECT_EQ(c.bResult, V_CopyDirectory(c.pszPath, buf, c.nCapacity)) << c.pszPath;
        EXPECT_STREQ(c.pszOut, buf) << c.pszPath;
    }
    // In place: the same buffer as source and destination.
    EXPECT_EQ("x\\y\\", InPlace("x\\y\\z", [](char* p) { V_CopyDirectory(p, p, 64); }));
}

TEST(StrTools, FormatBounded)
{
    char buf[8];
    EXPECT_EQ(3, V_FormatBounded(buf, sizeof(buf), "%d", 123));
    EXPECT_STREQ("123", buf);
    EXPECT_EQ(7, V_FormatBounded(buf, sizeof(buf), "%s", "123456789"));
    EXPECT_STREQ("1234567", buf);

    auto checked = [](char* p, int n, bool* pb, const char* fmt, ...) {
        va_list args;
        va_start(args, fmt);
        int r = V_FormatBoundedChecked(p, n, fmt, args, pb);
        va_end(args);
        return r;
    };
    bool bCut = true;
    EXPECT_EQ(2, checked(buf, 8, &bCut, "%s", "ab"));
    EXPECT_FALSE(bCut);
    EXPECT_EQ(7, checked(buf, 8, &bCut, "%s", "12345678"));
    EXPECT_TRUE(bCut);
    EXPECT_EQ(7, checked(buf, 8, nullptr, "%s", "12345678"));
}

TEST(StrTools, Atoi)
{
    struct Case
    {
        const char* pszText;
        int nValue;
        int nEnd;
    };
    const Case cases[] = {
        {"-0x1F", -31, 5}, {"'A", 65, 2},   {"12ab", 12, 2}, {"+7", 7, 2},  {"0x", 0, 1},
        {"-0Xz", 0, 2},    {"abc", 0, 0},   {"-", 0, 0},     {"0xfF", 255, 4},
    };
    for (const Case& c : cases)
    {
        const char* pEnd = nullptr;
        EXPECT_EQ(c.nValue, V_atoi(c.pszText, &pEnd)) << c.pszText;
        EXPECT_EQ(c.nEnd, pEnd - c.pszText) << c.pszText;
    }
    EXPECT_EQ(42, V_atoi("42"));
}

TEST(StrTools, BytesToHex)
{
    const unsigned char bytes[] = {0x00, 0xAB, 0x7f};
    char buf[16];
    V_BytesToHex(bytes, 3, buf, sizeof(buf));
    EXPECT_STREQ("00ab7f", buf);

    SpewCapture capture;
    V_BytesToHex(bytes, 3, buf, 5);
    EXPECT_STREQ("00ab", buf);
    EXPECT_EQ((std::vector<std::string>{"Assertion Failed: outsize >= ( inputbytes * 2 ) + 1"}),
              capture.AssertionMessages());
}

TEST(StrTools, ArgumentFaultsAreReportedAndTheRoutineGoesOn)
{
    struct Case
    {
        const char* pszName;
        void (*pfn)();
        std::vector<std::string> expected;
    };
    static char s_buf[16];
    const Case cases[] = {
        {"CopyBounded", [] { V_CopyBounded(nullptr, nullptr, 4); },
         {"Assertion Failed: maxLen == 0 || pDest != NULL", "Assertion Failed: pSrc != NULL"}},
        {"AppendBounded", [] { V_AppendBounded(nullptr, nullptr, 4); },
         {"Assertion Failed: pDest != NULL", "Assertion Failed: pSrc != NULL"}},
        {"CompareN", [] { V_CompareN(nullptr, nullptr, -1); },
         {"Assertion Failed: count >= 0", "Assertion Failed: count == 0 || s1 != NULL",
          "Assertion Failed: count == 0 || s2 != NULL"}},
        {"CompareNoCaseN", [] { V_CompareNoCaseN(nullptr, nullptr, -1); },
         {"Assertion Failed: n >= 0", "Assertion Failed: n == 0 || s1 != NULL",
          "Assertion Failed: n == 0 || s2 != NULL"}},
        {"FindNoCase", [] { EXPECT_EQ(nullptr, V_FindNoCase(nullptr, nullptr)); },
         {"Assertion Failed: pStr != NULL", "Assertion Failed: pSearch != NULL"}},
        {"CopyBaseName", [] { V_CopyBaseName(nullptr, nullptr, 0); },
         {"Assertion Failed: maxlen >= 1", "Assertion Failed: in", "Assertion Failed: out"}},
        {"CopyDirectory", [] { EXPECT_FALSE(V_CopyDirectory("a/b", s_buf, 0)); },
         {"Assertion Failed: destSize >= 1"}},
        {"FormatBounded", [] { V_FormatBounded(nullptr, 0, nullptr); },
         {"Assertion Failed: bufferLen > 0", "Assertion Failed: pDest != NULL",
          "Assertion Failed: pFormat != NULL"}},
        {"FormatBoundedChecked",
         [] {
             bool b = false;
             va_list none{};
             V_FormatBoundedChecked(nullptr, 0, nullptr, none, &b);
             EXPECT_TRUE(b);
         },
         {"Assertion Failed: bufferLen > 0", "Assertion Failed: pFormat != NULL"}},
        {"Atoi", [] { EXPECT_EQ(0, V_atoi(nullptr)); }, {"NULL buffer passed to V_atoi()"}},
        {"BytesToHex", [] { V_BytesToHex(nullptr, 0, s_buf, 0); },
         {"Assertion Failed: outsize >= ( inputbytes * 2 ) + 1", "Assertion Failed: outsize >= 1"}},
    };
    for (const Case& c : cases)
    {
        SpewCapture capture;
        c.pfn();
        EXPECT_EQ(c.expected, capture.AssertionMessages()) << c.pszName;
    }
}

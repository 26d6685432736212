// The assertion dialog's ignore list and buttons, played through the host's
// stand-in for the dialog window.
#include "core/assert_dialog.h"
#include "core/dbg.h"
#include "core/platform.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(AssertIgnoreList, RecordsApplyByFileAnyCaseAndByLineRange)
{
    CAssertIgnoreList list;
    list.Add("C:\\src\\Whole.cpp", ASSERT_IGNORE_WHOLE_FILE, ASSERT_IGNORE_WHOLE_FILE, ASSERT_IGNORE_FOREVER);
    list.Add("range.cpp", 10, 12, ASSERT_IGNORE_FOREVER);
    list.Add("zero.cpp", 5, 5, 0); // a count of 0 ignores for ever as well
    struct Case
    {
        const char* pszSource;
        int nLine;
        bool bIgnored;
    };
    const Case cases[] = {
        {"c:\\SRC\\whole.cpp", 1, true}, {"C:\\src\\Whole.cpp", 99999, true},
        {"C:\\src\\Whole.cp", 1, false}, {"other.cpp", 1, false},
        {"range.cpp", 9, false},         {"range.cpp", 10, true},
        {"RANGE.CPP", 12, true},         {"range.cpp", 13, false},
        {"zero.cpp", 5, true},           {"zero.cpp", 5, true},
        {"", 1, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.bIgnored, list.Ignores(c.pszSource, c.nLine)) << c.pszSource << ":" << c.nLine;
    EXPECT_EQ(3u, list.Size());
}

TEST(AssertIgnoreList, CountsRunDownAndUsedUpRecordsAreRemovedMidWalk)
{
    CAssertIgnoreList list;
    list.Add("a.cpp", 7, 7, 3);
    // Count 3: lowered to 2 and 1 (ignored), then reaching 0 it is removed
    // and the assertion shows.
    EXPECT_TRUE(list.Ignores("a.cpp", 7));
    EXPECT_TRUE(list.Ignores("a.cpp", 7));
    EXPECT_FALSE(list.Ignores("a.cpp", 7));
    EXPECT_EQ(0u, list.Size());
    EXPECT_FALSE(list.Ignores("a.cpp", 7));

    // Newest first: a used-up counted record gives way to an older one for
    // ever; records that do not apply stay where they are.
    list.Add("b.cpp", ASSERT_IGNORE_WHOLE_FILE, ASSERT_IGNORE_WHOLE_FILE, ASSERT_IGNORE_FOREVER);
    list.Add("c.cpp", 1, 1, ASSERT_IGNORE_FOREVER);
    list.Add("b.cpp", 4, 4, 1);
    EXPECT_TRUE(list.Ignores("b.cpp", 4));
    EXPECT_EQ(2u, list.Size());
    EXPECT_TRUE(list.Ignores("c.cpp", 1));
}

TEST(AssertIgnoreList, LongSourceTextsMatchOnTheCharactersKept)
{
    const std::string source(600, 's');
    CAssertIgnoreList list;
    list.Add(source.c_str(), ASSERT_IGNORE_WHOLE_FILE, ASSERT_IGNORE_WHOLE_FILE, ASSERT_IGNORE_FOREVER);
    EXPECT_TRUE(list.Ignores(source.c_str(), 1));
    EXPECT_FALSE(list.Ignores(std::string(510, 's').c_str(), 1));
}

TEST(AssertDialogNumberField, AcceptsDecimalDigitsWithBlanksOnly)
{
    struct Case
    {
        const char* pszText;
        bool bValid;
        int nValue;
    };
    const Case cases[] = {
        {"5", true, 5},          {" 12 ", true, 12},  {"0", true, 0},
        {"2147483647", true, 2147483647},              {"2147483648", false, 0},
        {"", false, 0},          {"  ", false, 0},    {"-3", false, 0},
        {"+3", false, 0},        {"3x", false, 0},    {"x", false, 0},
        {"1 2", false, 0},
    };
    for (const Case& c : cases)
    {
        int n = -1;
        EXPECT_EQ(c.bValid, AssertDialog_ParseNumber(c.pszText, &n)) << '"' << c.pszText << '"';
        if (c.bValid)
        {
            EXPECT_EQ(c.nValue, n) << c.pszText;
        }
    }
    EXPECT_FALSE(AssertDialog_ParseNumber(nullptr, nullptr));
}

namespace
{
// The dialog, as the host plays it: each time it opens, the next scripted
// press (button and field text) is made; the dialog's texts are recorded.
struct Press
{
    int nButton;
    const char* pszField;
};
struct DialogScript
{
    std::vector<Press> presses;
    size_t nNext = 0;
    std::vector<std::string> shown; // "source:line:message lines times"
    std::vector<bool> closed;
};
DialogScript* g_pScript = nullptr;

void PlayDialog(CAssertDialog& dialog)
{
    DialogScript& s = *g_pScript;
    s.shown.push_back(std::string(dialog.Source()) + ":" + std::to_string(dialog.Line()) + ":" +
                      dialog.Message() + " " + std::to_string(dialog.LinesValue()) + " " +
                      std::to_string(dialog.TimesValue()));
    if (s.nNext < s.presses.size())
    {
        const Press& p = s.presses[s.nNext++];
        s.closed.push_back(dialog.OnButton(p.nButton, p.pszField));
    }
}

struct ScriptedDialog
{
    DialogScript script;
    explicit ScriptedDialog(std::vector<Press> presses)
    {
        script.presses = std::move(presses);
        g_pScript = &script;
        Plat_SetCommandLineForTesting("game.exe");
        Plat_SetAssertDialogForTesting(PlayDialog);
    }
    ~ScriptedDialog()
    {
        Plat_SetAssertDialogForTesting(nullptr);
        Plat_SetCommandLineForTesting(nullptr);
        g_pScript = nullptr;
    }
    size_t Shown() const { return script.shown.size(); }
};
} // namespace

TEST(AssertDialog, ButtonsDecideWhichLaterAssertionsShowTheDialogAgain)
{
    // Each case uses its own source file: the ignore list lives as long as
    // the process.
    struct Case
    {
        const char* pszName;
        Press press;
        bool bCloses;
        std::vector<std::pair<int, bool>> later; // line, shows the dialog
    };
    const Case cases[] = {
        {"file.cpp", {IDC_IGNORE_FILE, ""}, true, {{20, false}, {1, false}, {20, false}}},
        {"line.cpp", {IDC_IGNORE_LINE, ""}, true, {{20, false}, {21, true}, {20, false}}},
        // Lines value 3 on either side of line 20.
        {"nearby.cpp", {IDC_IGNORE_NEARBY, "3"}, true, {{17, false}, {23, false}, {16, true}, {24, true}}},
        {"nearby_bad.cpp", {IDC_IGNORE_NEARBY, "abc"}, false, {{20, true}}},
        {"nearby_zero.cpp", {IDC_IGNORE_NEARBY, "0"}, false, {{20, true}}},
        // Times value 3: this assertion and the next two.
        {"times.cpp", {IDC_IGNORE_TIMES, "3"}, true, {{20, false}, {20, false}, {20, true}, {21, true}}},
        {"times_one.cpp", {IDC_IGNORE_TIMES, "1"}, true, {{20, true}}},
        {"times_bad.cpp", {IDC_IGNORE_TIMES, "many"}, true, {{20, true}}},
        {"copy.cpp", {IDC_COPY, ""}, false, {{20, true}}}, // the window copies; the model stays open
        {"cancel.cpp", {IDC_ASSERT_CANCEL, ""}, false, {{20, true}}},
    };
    for (const Case& c : cases)
    {
        ScriptedDialog dialog({c.press});
        EXPECT_FALSE(ShouldBreakOnAssert(c.pszName, 20, "Assertion Failed: x"));
        ASSERT_EQ(1u, dialog.script.closed.size()) << c.pszName;
        EXPECT_EQ(c.bCloses, dialog.script.closed[0]) << c.pszName;
        for (const auto& later : c.later)
        {
            const size_t nBefore = dialog.Shown();
            EXPECT_FALSE(ShouldBreakOnAssert(c.pszName, later.first, "Assertion Failed: x"));
            EXPECT_EQ(later.second, dialog.Shown() > nBefore) << c.pszName << ":" << later.first;
        }
    }
}

TEST(AssertDialog, BreakAnswersTrueOnceAndTheFieldsRememberTheirValues)
{
    // A dialog of its own: the process's dialog remembers the values other
    // tests typed.
    CAssertDialog own;
    ScriptedDialog dialog({{IDC_BREAK, ""}, {IDC_IGNORE_NEARBY, "7"}, {IDC_IGNORE_TIMES, "4"}, {IDC_ASSERT_CANCEL, ""}});
    EXPECT_TRUE(own.Decide("brk.cpp", 3, "Assertion Failed: b"));
    EXPECT_FALSE(own.Decide("brk2.cpp", 100, "Assertion Failed: c")); // the flag is cleared
    EXPECT_FALSE(own.Decide("brk3.cpp", 1, "Assertion Failed: d"));
    EXPECT_FALSE(own.Decide("brk4.cpp", 1, "Assertion Failed: e"));
    ASSERT_EQ(4u, dialog.Shown());
    EXPECT_EQ("brk.cpp:3:Assertion Failed: b 5 1", dialog.script.shown[0]);
    EXPECT_EQ("brk2.cpp:100:Assertion Failed: c 5 1", dialog.script.shown[1]);
    EXPECT_EQ("brk3.cpp:1:Assertion Failed: d 7 1", dialog.script.shown[2]);
    EXPECT_EQ("brk4.cpp:1:Assertion Failed: e 7 4", dialog.script.shown[3]);
}

TEST(AssertDialog, NearbyLinesNearTheEndsOfTheLineNumbersStayInRange)
{
    ScriptedDialog dialog({{IDC_IGNORE_NEARBY, "2147483647"}});
    ShouldBreakOnAssert("edge.cpp", 5, "m");
    for (int nLine : {0, 1, 2147483647})
        EXPECT_FALSE(ShouldBreakOnAssert("edge.cpp", nLine, "m")) << nLine;
    EXPECT_EQ(1u, dialog.Shown());
}

TEST(AssertDialog, IgnoreAllDisablesAssertsForGood)
{
    CAssertDialog own;
    ScriptedDialog dialog({{IDC_IGNORE_ALL, ""}, {IDC_BREAK, ""}});
    EXPECT_FALSE(own.Decide("all.cpp", 1, "m"));
    EXPECT_FALSE(own.Decide("other.cpp", 2, "m"));
    EXPECT_FALSE(own.Decide("all.cpp", 1, "m"));
    EXPECT_EQ(1u, dialog.Shown());
}

TEST(AssertDialog, ClipboardTextNamesFileLineAndAssertion)
{
    static std::string s_text;
    static bool s_bFits = false;
    Plat_SetCommandLineForTesting("game.exe");
    Plat_SetAssertDialogForTesting([](CAssertDialog& dialog) {
        char sz[256];
        s_bFits = dialog.ClipboardText(sz, sizeof(sz));
        s_text = sz;
        char szSmall[8];
        EXPECT_FALSE(dialog.ClipboardText(szSmall, sizeof(szSmall)));
    });
    ShouldBreakOnAssert("C:\\src\\clip.cpp", 42, "Assertion Failed: p != 0");
    Plat_SetAssertDialogForTesting(nullptr);
    Plat_SetCommandLineForTesting(nullptr);
    EXPECT_TRUE(s_bFits);
    EXPECT_EQ("File: C:\\src\\clip.cpp\r\nLine: 42\r\nAssertion: Assertion Failed: p != 0\r\n", s_text);
}

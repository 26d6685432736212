// Conditional expressions of key-value text and the Windows version code.
#include "core/dbg.h"
#include "util/keyvalues_conditional.h"
#include "util/keyvaluessystem.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::SpewCapture;

TEST(KeyValuesConditional, ExpressionsEvaluateLeftToRight)
{
    // Expression texts as they follow the '[' of a conditional. The host's
    // version stand-in is Windows 10, so $VISTA and $WIN7 hold.
    struct Case
    {
        const char* pszExpression;
        bool bValue;
    } const cases[] = {
        {"$WIN32]", true},
        {"$win32]", true},
        {"$WINDOWS]", true},
        {"$WIN64]", false},
        {"$VISTA]", true},
        {"$WIN7]", true},
        {"$X360]", false},
        {"$PS3]", false},
        {"$OSX]", false},
        {"$POSIX]", false},
        {"$LINUX]", false},
        {"$LINUX32]", false},
        {"$LINUX64]", false},
        {"$0]", false},
        {"$1]", true},
        {"$]", false},
        {"$SOMETHINGELSE]", false},
        {"!$X360]", true},
        {"!$WIN32]", false},
        {"!!$X360]", true}, // a repeated '!' negates once
        {"! $X360]", true},
        {"$WIN32 && $X360]", false},
        {"$X360 || $WIN32]", true},
        {"$X360 || $WIN32 && $PS3]", false}, // equal precedence, left to right
        {"$WIN32 && $X360 || $WINDOWS]", true},
        {"$WIN32 && ($X360 || $WINDOWS)]", true},
        {"!($X360 || $PS3)]", true},
        {"((($WIN32)))]", true},
        {"  $WIN32  ]", true},
        {"1]", true},
        {"0]", false},
        {"007]", true},
        {"000]", false},
        {"99999999999999999999]", true},
        {"$WIN32]trailing", true},
    };
    SpewCapture spew;
    for (const Case& c : cases)
        EXPECT_EQ(c.bValue, EvaluateConditional(c.pszExpression)) << c.pszExpression;
    EXPECT_TRUE(spew.Entries().empty());
}

TEST(KeyValuesConditional, MalformedExpressionsPrintAMessageAndKeepTheValueSoFar)
{
    struct Case
    {
        const char* pszExpression;
        bool bValue;
        std::string message;
    } const cases[] = {
        {"x]", false, "Bad expression token: x"},
        {"]", false, "Bad expression token: ]"},
        {"$WIN32 |& $X360]", true, "Bad expression token: | &"},
        {"$WIN32 | $X360]", true, "Bad expression token: |  "},
        {"$X360 && ]", false, "Bad expression token: ]"},
        {"!]", true, "Bad expression token: ]"},
        {"(]", false, "Bad expression token: ]"},
    };
    for (const Case& c : cases)
    {
        SpewCapture spew;
        EXPECT_EQ(c.bValue, EvaluateConditional(c.pszExpression)) << c.pszExpression;
        ASSERT_EQ(1u, spew.Entries().size()) << c.pszExpression;
        EXPECT_EQ(SPEW_MESSAGE, spew.Entries()[0].nKind);
        EXPECT_EQ(c.message, spew.Entries()[0].text) << c.pszExpression;
    }
}

TEST(KeyValuesConditional, DeepParenthesesAndTextEndsAreSafe)
{
    SpewCapture spew;
    // Far deeper than any real file: refused without exhausting the stack.
    const std::string deep = std::string(100000, '(') + "$WIN32" + std::string(100000, ')') + "]";
    EXPECT_FALSE(EvaluateConditional(deep.c_str()));
    const std::string shallow = std::string(30, '(') + "$WIN32" + std::string(30, ')') + "]";
    EXPECT_TRUE(EvaluateConditional(shallow.c_str()));
    // Operators and parentheses at the very end of the text.
    EXPECT_TRUE(EvaluateConditional("$WIN32|"));
    EXPECT_FALSE(EvaluateConditional("("));
    EXPECT_FALSE(EvaluateConditional(""));
    EXPECT_FALSE(EvaluateConditional(nullptr));
}

TEST(KeyValuesConditional, UserDefinedSymbolsComeFromTheNamePool)
{
    KeyValuesSystem()->SetExpressionSymbol("$KVTEST_FEATURE", true);
    EXPECT_TRUE(EvaluateConditional("$kvtest_feature]"));
    EXPECT_FALSE(EvaluateConditional("!$KVTEST_FEATURE]"));
    KeyValuesSystem()->SetExpressionSymbol("$KVTEST_FEATURE", false);
    EXPECT_FALSE(EvaluateConditional("$KVTEST_FEATURE]"));
    // Built-in names are not looked up there.
    KeyValuesSystem()->SetExpressionSymbol("$X360", true);
    EXPECT_FALSE(EvaluateConditional("$X360]"));
    KeyValuesSystem()->SetExpressionSymbol("$X360", false);
}

namespace
{
struct FakeWindows
{
    int nMajor, nMinor;
};
FakeWindows g_fakeWindows;
bool FakeIsAtLeast(int nMajor, int nMinor)
{
    return g_fakeWindows.nMajor > nMajor ||
           (g_fakeWindows.nMajor == nMajor && g_fakeWindows.nMinor >= nMinor);
}
} // namespace

TEST(KeyValuesConditional, WindowsVersionCodes)
{
    struct Case
    {
        int nMajor, nMinor;
        bool bWorkstation;
        int nCode;
    } const cases[] = {
        {10, 0, true, 16}, {10, 0, false, 16}, {6, 4, true, 16},  {6, 3, true, 14},
        {6, 3, false, 15}, {6, 2, true, 13},   {6, 2, false, 12}, {6, 1, true, 10},
        {6, 1, false, 11}, {6, 0, true, 9},    {6, 0, false, 11}, {5, 2, true, 7},
        {5, 2, false, 8},  {5, 1, true, 7},    {5, 1, false, 8},  {5, 0, true, 6},
        {5, 0, false, 6},  {4, 10, true, 0},
    };
    for (const Case& c : cases)
    {
        g_fakeWindows = {c.nMajor, c.nMinor};
        EXPECT_EQ(c.nCode, WindowsVersionCodeFor(FakeIsAtLeast, c.bWorkstation))
            << c.nMajor << "." << c.nMinor << (c.bWorkstation ? " workstation" : " server");
    }
    // The host's stand-in answers as a Windows 10 workstation.
    EXPECT_EQ(16, WindowsVersionCode());
}

// The entry frame's error record writers and verbose tracing.
#include "wrapper/wexla_frame.h"

#include "core/platform.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using testsupport::DebugStreamCapture;
using testsupport::SpewCapture;

TEST(WexlaFrame, ClearWexlaErrorToleratesNullAndClearsOnlyTheFirstTextByte)
{
    EXPECT_EQ(nullptr, ClearWexlaError(nullptr));
    TWexlaError record;
    memset(&record, 'x', sizeof(record));
    EXPECT_EQ(&record, ClearWexlaError(&record));
    EXPECT_EQ(0, record.eKind);
    EXPECT_EQ(0, record.eDetailType);
    EXPECT_EQ(0, record.nDetailCode);
    EXPECT_EQ('\0', record.szText[0]);
    EXPECT_EQ('x', record.szText[1]);
}

TEST(WexlaFrame, SetWexlaErrorCopiesTheTextAndNulFillsTheField)
{
    TWexlaError record;
    memset(&record, 'x', sizeof(record));
    ClearWexlaError(&record);
    SetWexlaError(&record, "Could not find the client", eWexlaErrorFailed);
    EXPECT_EQ(1, record.eKind);
    EXPECT_EQ(0, record.eDetailType);
    EXPECT_STREQ("Could not find the client", record.szText);
    for (size_t i = strlen(record.szText); i < sizeof(record.szText); ++i)
        ASSERT_EQ('\0', record.szText[i]) << i;

    // A text as long as the field fills it whole (no room for a terminator).
    const std::string full(WEXLA_MAX_ERROR_TEXT, 'm');
    SetWexlaError(&record, full.c_str(), eWexlaErrorFailed);
    EXPECT_EQ(0, memcmp(record.szText, full.data(), full.size()));
}

TEST(WexlaFrame, TraceMessageWritesUpTo4095CharactersAndReportsCutOrEmptyLines)
{
    struct Case
    {
        size_t nLength;
        size_t nWritten;
        bool bAssertion;
    };
    const Case cases[] = {
        {10, 10, false},
        {4095, 4095, false},
        {4096, 4095, true},
        {6000, 4095, true},
        {0, 0, true},
    };
    for (const Case& c : cases)
    {
        SpewCapture spew;
        DebugStreamCapture debug;
        const std::string text(c.nLength, 't');
        TraceMessage("%s", text.c_str());
        const auto assertions = spew.AssertionMessages();
        if (c.bAssertion)
        {
            ASSERT_EQ(1u, assertions.size()) << c.nLength;
            EXPECT_EQ("Assertion Failed: len > 0", assertions[0]);
            EXPECT_EQ("platform (403) : Assertion Failed: len > 0\n", spew.Entries()[0].text);
        }
        else
        {
            EXPECT_TRUE(assertions.empty()) << c.nLength;
        }
        // The trace line itself is the last debugger text (after any assertion line).
        ASSERT_FALSE(debug.Lines().empty());
        EXPECT_EQ(std::string(c.nWritten, 't'), debug.Lines().back()) << c.nLength;
    }
}

TEST(WexlaFrame, CommandLineSwitchTurnsTracingOnAsACaseSensitiveSubstring)
{
    struct Case
    {
        const char* pszCommandLine;
        bool bExpected;
    };
    const Case cases[] = {
        {"game.exe -debugwexla2wrapper", true},
        {"game.exe -x-debugwexla2wrapperfoo", true},
        {"game.exe -DEBUGWEXLA2WRAPPER", false},
        {"game.exe", false},
    };
    for (const Case& c : cases)
    {
        bVerboseTrace = false;
        Plat_SetCommandLineForTesting(c.pszCommandLine);
        EnableVerboseTraceFromCommandLine();
        EXPECT_EQ(c.bExpected, bVerboseTrace) << c.pszCommandLine;
    }
    // Without the switch, the flag keeps the value it had.
    bVerboseTrace = true;
    EnableVerboseTraceFromCommandLine();
    EXPECT_TRUE(bVerboseTrace);
    bVerboseTrace = false;
    Plat_SetCommandLineForTesting(nullptr);
}

TEST(WexlaFrame, TraceMacroWritesOnlyWhileTracingIsOn)
{
    DebugStreamCapture debug;
    bVerboseTrace = false;
    WEXLA_TRACE("close file handle %u", 5u);
    EXPECT_TRUE(debug.Lines().empty());
    bVerboseTrace = true;
    WEXLA_TRACE("close file handle %u", 5u);
    bVerboseTrace = false;
    ASSERT_EQ(1u, debug.Lines().size());
    EXPECT_EQ("close file handle 5", debug.Lines()[0]);
}

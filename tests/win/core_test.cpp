// The core runtime's Windows platform layer: debugger lines of assertions and
// trace messages, and process-ending diagnostics judged from a child process
// by exit code and standard output (which must be flushed before the process
// is terminated, as it is a pipe here).
#include "core/dbg.h"
#include "tests/win/win_test_support.h"
#include "util/strtools.h"
#include "wrapper/wexla_frame.h"

#include <gtest/gtest.h>

#include <string>

using namespace wintest;

namespace
{
// Scenarios that end the process, run by the child (see win_test_main.cpp).
const ChildScenario kScenarios[] = {
    {"spew-error", [] { SpewError("archive %s is broken\n", "x.qar"); }},
    {"fatal-assert", [] { AssertFatal(2 + 2 == 5); }},
    {"append-slash", [] {
         char sz[3] = "ab";
         V_AppendSlash(sz, 3);
     }},
};
const ChildScenarioRegistration kRegistration(kScenarios, sizeof(kScenarios) / sizeof(kScenarios[0]));
} // namespace

TEST(CoreOnWindows, ProcessEndingDiagnosticsFlushTheirOutputAndExitWith1)
{
    struct Case
    {
        const char* pszScenario;
        const char* pszOutputPart;
    };
    const Case cases[] = {
        {"spew-error", "archive x.qar is broken\n"},
        {"fatal-assert", "Fatal Assertion Failed: 2 + 2 == 5\n"},
        {"append-slash", "V_AppendSlash: ran out of space on ab."},
    };
    for (const Case& c : cases)
    {
        const ChildResult r = RunChildScenario(c.pszScenario);
        EXPECT_EQ(1u, r.nExitCode) << c.pszScenario;
        EXPECT_NE(std::string::npos, r.out.find(c.pszOutputPart)) << c.pszScenario << ": " << r.out;
        EXPECT_EQ(std::string::npos, r.out.find("not reached")) << c.pszScenario;
    }
}

TEST(CoreOnWindows, AssertionLineReachesTheDebuggerStream)
{
    SpewOutputFunc([](SpewType_t, const char*) { return SPEW_CONTINUE; });
    DebugStreamCapture capture;
    ReportAssertion("Assertion Failed: y", false, "C:\\dev\\Src\\util\\x.cpp", 3, 0);
    SpewOutputFunc(nullptr);
    const auto lines = capture.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("\\Src\\util\\x.cpp (3) : Assertion Failed: y\n", lines[0]);
}

TEST(CoreOnWindows, TraceMessageIsOneDebuggerTextWithoutLineEnd)
{
    DebugStreamCapture capture;
    TraceMessage("open file %s, mode %s, size %u, handle %u", "a.txt", "rb", 12u, 0x40000000u);
    const auto lines = capture.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("open file a.txt, mode rb, size 12, handle 1073741824", lines[0]);
}

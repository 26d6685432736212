// The trace log file: every debugger-stream text appended as one whole line,
// from any thread, and nothing changed when it cannot be opened.
#include "core/platform.h"
#include "core/trace_log.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
std::string TempPath(const char* pszName)
{
    return testing::TempDir() + "wexla_trace_log_" + std::to_string(getpid()) + "_" + pszName;
}

std::vector<std::string> FileLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Points the log at a file for one test; afterwards the environment decides
// again (unset in these tests: no log).
struct LogTo
{
    explicit LogTo(const std::string& path) { TraceLog_SetPathForTesting(path.c_str()); }
    ~LogTo() { TraceLog_SetPathForTesting(nullptr); }
};
} // namespace

TEST(TraceLog, AppendsEachTextAsOneLine)
{
    const std::string path = TempPath("lines");
    remove(path.c_str());
    {
        std::ofstream(path) << "kept from before\n";
        LogTo log(path);
        testsupport::DebugStreamCapture capture;
        Plat_OutputDebugString("Wrapper not implemented:WexlaLogout");
        Plat_OutputDebugString("Assertion Failed: x\n"); // already ends its line
        Plat_OutputDebugString("");
        EXPECT_EQ(3u, capture.Lines().size()) << "the debugger stream is unchanged";
    }
    Plat_OutputDebugString("not logged once the log is closed");
    EXPECT_EQ((std::vector<std::string>{"kept from before", "Wrapper not implemented:WexlaLogout",
                                         "Assertion Failed: x", ""}),
              FileLines(path));
    remove(path.c_str());
}

TEST(TraceLog, LinesFromSeveralThreadsStayWhole)
{
    const std::string path = TempPath("threads");
    remove(path.c_str());
    constexpr int kThreads = 4, kLines = 500;
    {
        LogTo log(path);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([t] {
                for (int i = 0; i < kLines; ++i)
                {
                    const std::string text = "thread " + std::to_string(t) + " line " + std::to_string(i) +
                                             std::string(200, 'a' + t);
                    Plat_OutputDebugString(text.c_str());
                }
            });
        for (std::thread& th : threads)
            th.join();
    }
    std::set<std::string> expected;
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kLines; ++i)
            expected.insert("thread " + std::to_string(t) + " line " + std::to_string(i) + std::string(200, 'a' + t));
    const std::vector<std::string> lines = FileLines(path);
    EXPECT_EQ(expected, std::set<std::string>(lines.begin(), lines.end()));
    EXPECT_EQ(static_cast<size_t>(kThreads * kLines), lines.size());
    remove(path.c_str());
}

TEST(TraceLog, AnUnopenablePathChangesNothing)
{
    LogTo log("/nonexistent-folder/for/the/trace.log");
    testsupport::DebugStreamCapture capture;
    Plat_OutputDebugString("still reaches the debugger");
    EXPECT_EQ(std::vector<std::string>{"still reaches the debugger"}, capture.Lines());
}

TEST(TraceLog, TheEnvironmentNamesTheFileAtFirstUse)
{
    const std::string path = TempPath("env");
    remove(path.c_str());
    const testsupport::ChildResult r = testsupport::RunInChild([&] {
        setenv("WEXLA_LOG_FILE", path.c_str(), 1);
        Plat_OutputDebugString("first");
        Plat_OutputDebugString("second");
    });
    EXPECT_EQ(0, r.nExitCode);
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), FileLines(path));
    remove(path.c_str());
}

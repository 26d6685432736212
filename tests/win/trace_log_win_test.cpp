// The trace log file named by WEXLA_LOG_FILE, as a player under Wine uses it:
// a fresh process with the variable set copies wexla.dll's debugger lines into
// the file; a path that cannot be opened changes nothing.
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace wintest;

namespace
{
// Runs in a child: the library's first debugger line decides the log file.
void WriteTwoLines()
{
    using Fn = int (*)(TWexlaError*);
    TWexlaError record = {};
    Export<Fn>("WexlaLogout")(&record);
    Export<Fn>("WexlaUninstall")(&record);
    printf("record kind %d\n", record.eKind);
    fflush(stdout);
    ExitProcess(0);
}

const ChildScenario kScenarios[] = {{"trace-log-two-lines", WriteTwoLines}};
const ChildScenarioRegistration kRegistration(kScenarios, 1);

std::vector<std::string> FileLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

ChildResult RunWithLogFile(const char* pszPath)
{
    SetEnvironmentVariableA("WEXLA_LOG_FILE", pszPath);
    ChildResult r = RunChildScenario("trace-log-two-lines");
    SetEnvironmentVariableA("WEXLA_LOG_FILE", nullptr);
    return r;
}
} // namespace

TEST(TraceLogFile, CopiesEveryDebuggerLineOfTheLibrary)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    const std::string path = std::string(szTemp) + "wexla_trace_log_test.log";
    DeleteFileA(path.c_str());

    const ChildResult r = RunWithLogFile(path.c_str());
    EXPECT_EQ(0u, r.nExitCode);
    EXPECT_EQ("record kind 1\n", r.out);
    EXPECT_EQ((std::vector<std::string>{"Wrapper not implemented:WexlaLogout", "Wrapper not implemented:WexlaUninstall"}),
              FileLines(path));

    // A second run appends.
    RunWithLogFile(path.c_str());
    EXPECT_EQ(4u, FileLines(path).size());
    DeleteFileA(path.c_str());
}

TEST(TraceLogFile, AnUnopenablePathLeavesTheLibraryWorking)
{
    const ChildResult r = RunWithLogFile("Q:\\no\\such\\folder\\trace.log");
    EXPECT_EQ(0u, r.nExitCode);
    EXPECT_EQ("record kind 1\n", r.out);
}

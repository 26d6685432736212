// Crash dumps through the stand-in faultrelay.dll: the binding (found above
// the test program's bin folder, or beside copies of the program), the call
// sequences of assertion and exception dumps, the 10-second rule, the
// minidump lock, and structured exceptions in guarded threads (judged in
// child processes, which print the stand-in's calls as they happen).
#include "core/catchandwrite.h"
#include "core/crashreport.h"
#include "core/dbg.h"
#include "core/minidump.h"
#include "core/platform.h"
#include "core/thread.h"
#include "standins/faultrelay/standin_faultrelay.h"
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace wintest;

namespace
{
std::string ExePath()
{
    char sz[MAX_PATH];
    GetModuleFileNameA(nullptr, sz, MAX_PATH);
    return sz;
}

std::string ParentFolder(const std::string& path)
{
    return path.substr(0, path.find_last_of('\\'));
}

// The stand-in sits in the build tree's root, above the bin folder.
std::string StandinPath()
{
    return ParentFolder(ParentFolder(ExePath())) + "\\faultrelay.dll";
}

StandinFaultRelayApi& Standin()
{
    static StandinFaultRelayApi s_api;
    static bool s_bResolved = s_api.Resolve(LoadLibraryA(StandinPath().c_str()));
    (void)s_bResolved;
    return s_api;
}

std::vector<std::string> Calls()
{
    std::vector<std::string> calls;
    for (int i = 0; i < Standin().StandinFaultRelay_CallCount(); ++i)
        calls.emplace_back(Standin().StandinFaultRelay_CallAt(i));
    return calls;
}

// The stand-in's log with the build stamp (14 digits) replaced by "STAMP".
std::vector<std::string> WithoutStamp(std::vector<std::string> lines)
{
    for (std::string& line : lines)
    {
        for (size_t i = 0; i + 14 <= line.size(); ++i)
        {
            if (line.find_first_not_of("0123456789", i) >= i + 14 && (i == 0 || line[i - 1] == ','))
            {
                line.replace(i, 14, "STAMP");
                break;
            }
        }
    }
    return lines;
}

// The lines a child printed that came from the echoing stand-in.
std::vector<std::string> EchoedCalls(const std::string& out)
{
    std::vector<std::string> calls;
    static const std::string kPrefix = "faultrelay: ";
    for (size_t nStart = 0; nStart < out.size();)
    {
        size_t nEnd = out.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = out.size();
        const std::string line = out.substr(nStart, nEnd - nStart);
        if (line.compare(0, kPrefix.size(), kPrefix) == 0)
        {
            std::string call = line.substr(kPrefix.size());
            for (size_t i = 0; (i = call.find("\\n", i)) != std::string::npos; ++i)
                call.replace(i, 2, "\n");
            calls.push_back(call);
        }
        nStart = nEnd + 1;
    }
    return WithoutStamp(calls);
}

// Sets the stand-in's flags for child processes while alive.
struct ChildStandinFlags
{
    explicit ChildStandinFlags(int nFlags)
    {
        SetEnvironmentVariableA("STANDIN_FAULTRELAY_FLAGS", std::to_string(nFlags).c_str());
    }
    ~ChildStandinFlags() { SetEnvironmentVariableA("STANDIN_FAULTRELAY_FLAGS", nullptr); }
};

// Bound, with an empty log and default flags.
class CrashDumps : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Standin().StandinFaultRelay_CallCount) << "stand-in not found at " << StandinPath();
        ASSERT_TRUE(CrashReport_Bind());
        Standin().StandinFaultRelay_SetFlags(0);
        Standin().StandinFaultRelay_ClearCalls();
    }
    void TearDown() override
    {
        Standin().StandinFaultRelay_SetFlags(0);
        SetMinidumpClockForTesting(nullptr);
    }
};

std::atomic<uint64_t> g_nFakeSeconds{0};
uint64_t FakeSeconds()
{
    return g_nFakeSeconds.load();
}

// Writes to address 0 (an access violation, code c0000005).
void Crash(void*)
{
    *static_cast<volatile int*>(nullptr) = 1;
}

class CCrashingThread : public CThread
{
protected:
    int Run() override
    {
        Crash(nullptr);
        return 0;
    }
};

class CNestedGuardThread : public CThread
{
protected:
    int Run() override
    {
        RunGuarded(Crash, nullptr, false); // dumps, then passes the exception on
        return 0;
    }
};

LONG WINAPI ReportUnhandled(EXCEPTION_POINTERS* pInfo)
{
    printf("unhandled %lx\n", static_cast<unsigned long>(pInfo->ExceptionRecord->ExceptionCode));
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Standard error joins standard output, both unbuffered, so a child's output
// keeps its order.
void JoinStandardStreams()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    _dup2(_fileno(stdout), _fileno(stderr));
}

const ChildScenario kScenarios[] = {
    {"guarded-thread-crash", [] {
         CCrashingThread thread;
         thread.SetTerminateOnCrash(true);
         thread.Start();
         thread.Join();
     }},
    {"nested-guard-crash", [] {
         CNestedGuardThread thread;
         thread.SetTerminateOnCrash(true);
         thread.Start();
         thread.Join();
     }},
    {"unguarded-crash", [] {
         SetUnhandledExceptionFilter(ReportUnhandled);
         printf("bound %d\n", CrashReport_Bind() ? 1 : 0);
         Crash(nullptr);
     }},
    {"passed-on-crash", [] {
         // A C++ exception passes a guarded run untouched and leaves the
         // thread's handlers as they were; a structured exception with
         // terminate on crash off is dumped and goes on to the system.
         SetUnhandledExceptionFilter(ReportUnhandled);
         try
         {
             RunGuarded([](void*) { throw 42; }, nullptr, true);
         }
         catch (int n)
         {
             printf("caught %d\n", n);
         }
         RunGuarded(Crash, nullptr, false);
     }},
    {"assert-dump", [] {
         JoinStandardStreams();
         if (getenv("CRASH_TEST_REPORT_INFO"))
         {
             // Numbers in the record, set before the binding reads it.
             StandinFaultRelayApi api;
             api.Resolve(LoadLibraryA(StandinPath().c_str()));
             api.StandinFaultRelay_SetReportInfo(440, 12345, 1, 2);
         }
         printf("bound %d\n", CrashReport_Bind() ? 1 : 0);
         WriteAssertDump("Assertion Failed: z", "z.cpp", 3, 9, true);
         Plat_TerminateProcess(0);
     }},
};
const ChildScenarioRegistration kRegistration(kScenarios, sizeof(kScenarios) / sizeof(kScenarios[0]));

// One exception dump, as the stand-in logs it.
const std::vector<std::string> kExceptionDump = {
    "BeginReport()=7",
    "DescribeReport(7,wexla_win_tests,1.0,STAMP,0,0,0)",
    "SetReportValues(11,22)",
    "WriteDump(7,c0000005,record)",
    "EndReport(7)",
};
const std::vector<std::string> kBinding = {"CreateInterface(faultrelay002)", "GetReportInfo()"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
} // namespace

TEST_F(CrashDumps, AssertionDumpCallSequenceWithAndWithoutAReportId)
{
    struct Case
    {
        int nFlags;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0,
         {"BeginReport()=7", "DescribeReport(7,wexla_win_tests,1.0,STAMP,5,0,0)", "SetReportValues(11,22)",
          "SetReportComment(Assert( Assertion Failed: x ):C:\\src\\f.cpp:12\n)", "WriteDump(7,0,null)",
          "SetReportComment((null))", "EndReport(7)"}},
        // Report id 0 gets no EndReport.
        {STANDIN_FAULTRELAY_REPORT_ID_ZERO,
         {"BeginReport()=0", "DescribeReport(0,wexla_win_tests,1.0,STAMP,5,0,0)", "SetReportValues(11,22)",
          "SetReportComment(Assert( Assertion Failed: x ):C:\\src\\f.cpp:12\n)", "WriteDump(0,0,null)",
          "SetReportComment((null))"}},
    };
    for (const Case& c : cases)
    {
        Standin().StandinFaultRelay_SetFlags(c.nFlags);
        Standin().StandinFaultRelay_ClearCalls();
        WriteAssertDump("Assertion Failed: x", "C:\\src\\f.cpp", 12, 5, true);
        EXPECT_EQ(c.expected, WithoutStamp(Calls())) << c.nFlags;
        EXPECT_FALSE(IsWritingMinidump());
    }
}

TEST_F(CrashDumps, AssertionDumpsKeepTenSecondsApartUnlessForced)
{
    SetMinidumpClockForTesting(FakeSeconds);
    const uint64_t t = 1000000000; // far beyond any dump timed by the system's clock
    struct Step
    {
        uint64_t nTime;
        bool bForce;
        bool bDumped;
    };
    const Step steps[] = {
        {t, false, true},       {t + 3, false, false}, // 3 seconds later: dropped
        {t + 3, true, true},                          // unless forced, which restarts the interval
        {t + 12, false, false}, {t + 13, false, true}, {t + 14, true, true},
    };
    for (const Step& s : steps)
    {
        g_nFakeSeconds = s.nTime;
        Standin().StandinFaultRelay_ClearCalls();
        WriteAssertDump("Assertion Failed: t", "t.cpp", 1, 0, s.bForce);
        EXPECT_EQ(s.bDumped ? 7 : 0, Standin().StandinFaultRelay_CallCount())
            << "at +" << (s.nTime - t) << (s.bForce ? " forced" : "");
    }
}

TEST_F(CrashDumps, FailedAssertionsAskOncePerLocationWithoutADebugger)
{
    ASSERT_FALSE(IsDebuggerPresent());
    SetMinidumpClockForTesting(FakeSeconds);
    SpewOutputFunc([](SpewType_t, const char*) { return SPEW_CONTINUE; });
    static const char kSource[] = "C:\\dev\\src\\once.cpp";
    std::vector<size_t> dumps;
    g_nFakeSeconds = 2000000000;
    for (int nLine : {10, 10, 11})
    {
        g_nFakeSeconds += 20; // the interval never holds one back here
        Standin().StandinFaultRelay_ClearCalls();
        ReportAssertion("Assertion Failed: once", false, kSource, nLine, 3);
        dumps.push_back(Calls().size());
    }
    SpewOutputFunc(nullptr);
    EXPECT_EQ((std::vector<size_t>{7, 0, 7}), dumps);
    const auto calls = Calls();
    ASSERT_EQ(7u, calls.size());
    EXPECT_EQ("SetReportComment(Assert( Assertion Failed: once ):C:\\dev\\src\\once.cpp:11\n)", calls[3]);
    EXPECT_EQ(",3,0,0)", calls[1].substr(calls[1].size() - 7)); // the extra value is the flag
}

TEST_F(CrashDumps, ExceptionDumpCallSequence)
{
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = 0xC0000005;
    CONTEXT context = {};
    EXCEPTION_POINTERS pointers = {&record, &context};
    WriteExceptionDump(0xC0000005, &pointers);
    EXPECT_EQ(kExceptionDump, WithoutStamp(Calls()));
}

TEST_F(CrashDumps, MinidumpLockDropsOrDelaysDumpsAndReportsMisuseOnce)
{
    // A dump in progress on this thread: both kinds are dropped (the lock is
    // re-entrant, so neither blocks).
    ASSERT_TRUE(Minidump_TryLock());
    SetWritingMinidump(false);
    WriteAssertDump("Assertion Failed: busy", "b.cpp", 1, 0, true);
    WriteExceptionDump(0xC0000005, nullptr);
    EXPECT_TRUE(Calls().empty());
    ClearWritingMinidump();
    WriteAssertDump("Assertion Failed: held here", "b.cpp", 2, 0, true); // held by this thread only
    Minidump_Unlock();
    EXPECT_EQ(7u, Calls().size());

    // Held by another thread: an assertion dump is dropped at once, an
    // exception dump waits for the lock; changing the writing flags without
    // the lock is reported, once for each of the two.
    std::vector<std::string> reported;
    static std::vector<std::string>* s_pReported = &reported;
    SpewOutputFunc([](SpewType_t eType, const char* psz) {
        if (eType == SPEW_ASSERT)
            s_pReported->push_back(psz);
        return SPEW_CONTINUE;
    });
    std::atomic<int> nPhase{0};
    std::atomic<bool> bReleased{false};
    std::thread holder([&] {
        Minidump_TryLock();
        nPhase = 1;
        while (nPhase != 2)
            Sleep(1);
        Sleep(100);
        bReleased = true;
        Minidump_Unlock();
    });
    while (nPhase != 1)
        Sleep(1);
    Standin().StandinFaultRelay_ClearCalls();
    EXPECT_TRUE(IsWritingMinidump());
    WriteAssertDump("Assertion Failed: elsewhere", "b.cpp", 3, 0, true);
    EXPECT_TRUE(Calls().empty());
    for (int i = 0; i < 2; ++i)
    {
        SetWritingMinidump(true);
        ClearWritingMinidump();
    }
    nPhase = 2;
    WriteExceptionDump(0xC0000005, nullptr);
    EXPECT_TRUE(bReleased);
    holder.join();
    SpewOutputFunc(nullptr);
    EXPECT_EQ(5u, Calls().size());
    EXPECT_EQ((std::vector<std::string>{
                  "minidump (183) : Assertion Failed: Someone called SetWritingMinidump without holding the "
                  "minidump lock.\n",
                  "minidump (197) : Assertion Failed: Someone called ClearWritingMinidump without holding the "
                  "minidump lock.\n"}),
              reported);
}

TEST_F(CrashDumps, UnloadForgetsTheBindingSoALaterLoadBindsAfresh)
{
    CrashReport_Unbind();
    WriteExceptionDump(0xC0000005, nullptr); // exception dumps never bind
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(CrashReport_Bind());
    EXPECT_TRUE(CrashReport_Bind());
    EXPECT_EQ(kBinding, Calls());
}

TEST(GuardedRuns, AnAccessViolationInAGuardedThreadWritesOneDumpThenEndsTheProcess)
{
    ChildStandinFlags echo(STANDIN_FAULTRELAY_ECHO);
    for (const char* pszScenario : {"guarded-thread-crash", "nested-guard-crash"})
    {
        const ChildResult r = RunChildScenario(pszScenario);
        EXPECT_EQ(1u, r.nExitCode) << pszScenario << ": " << r.out;
        EXPECT_EQ(Join(kBinding, kExceptionDump), EchoedCalls(r.out)) << pszScenario << ": " << r.out;
        EXPECT_EQ(std::string::npos, r.out.find("not reached")) << pszScenario;
    }
}

TEST(GuardedRuns, ExceptionsOutsideAGuardedRunOrOfTheLanguageWriteNoDump)
{
    ChildStandinFlags echo(STANDIN_FAULTRELAY_ECHO);
    const ChildResult unguarded = RunChildScenario("unguarded-crash");
    EXPECT_EQ(3u, unguarded.nExitCode) << unguarded.out;
    EXPECT_EQ(kBinding, EchoedCalls(unguarded.out)) << unguarded.out;
    EXPECT_NE(std::string::npos, unguarded.out.find("bound 1\n"));
    EXPECT_NE(std::string::npos, unguarded.out.find("unhandled c0000005\n"));

    // Terminate on crash off: one dump, then the system's unhandled path.
    const ChildResult passedOn = RunChildScenario("passed-on-crash");
    EXPECT_EQ(3u, passedOn.nExitCode) << passedOn.out;
    EXPECT_EQ(Join(kBinding, kExceptionDump), EchoedCalls(passedOn.out)) << passedOn.out;
    EXPECT_NE(std::string::npos, passedOn.out.find("caught 42\n"));
    EXPECT_NE(std::string::npos, passedOn.out.find("unhandled c0000005\n"));
}

namespace
{
// A copy of the test program in a new temporary folder (or in a subfolder of
// it), with a copy of the stand-in in the temporary folder when asked;
// removed with this object.
class ProgramCopy
{
public:
    ProgramCopy(const std::string& subFolder, const std::string& name, bool bWithLibrary)
    {
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        // A folder of its own each time: a file of an earlier copy may still
        // be held for a moment after its process ended.
        static int s_nCopies = 0;
        m_root = std::string(szTemp) + "wexla_crash_" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(++s_nCopies);
        CreateDirectoryA(m_root.c_str(), nullptr);
        m_folder = subFolder.empty() ? m_root : m_root + "\\" + subFolder;
        CreateDirectoryA(m_folder.c_str(), nullptr);
        m_exe = m_folder + "\\" + name;
        CopyFileA(ExePath().c_str(), m_exe.c_str(), FALSE);
        if (bWithLibrary)
        {
            m_library = m_root + "\\faultrelay.dll";
            CopyFileA(StandinPath().c_str(), m_library.c_str(), FALSE);
        }
    }
    ~ProgramCopy()
    {
        DeleteFileA(m_exe.c_str());
        if (!m_library.empty())
            DeleteFileA(m_library.c_str());
        if (m_folder != m_root)
            RemoveDirectoryA(m_folder.c_str());
        RemoveDirectoryA(m_root.c_str());
    }
    const char* Exe() const { return m_exe.c_str(); }

private:
    std::string m_root, m_folder, m_exe, m_library;
};
} // namespace

TEST(CrashReportBinding, FindsTheLibraryBesideOrAboveABinFolderAndNamesTheProduct)
{
    ChildStandinFlags echo(STANDIN_FAULTRELAY_ECHO);
    const std::vector<std::string> kGameDump = {
        "CreateInterface(faultrelay002)",
        "GetReportInfo()",
        "BeginReport()=7",
        "DescribeReport(7,game,1.0,STAMP,9,0,0)",
        "SetReportValues(11,22)",
        "SetReportComment(Assert( Assertion Failed: z ):z.cpp:3\n)",
        "WriteDump(7,0,null)",
        "SetReportComment((null))",
        "EndReport(7)",
    };
    struct Case
    {
        const char* pszFolder;
        bool bWithLibrary;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"", true, kGameDump},    // beside the executable
        {"BIN", true, kGameDump}, // above a folder named bin, any letter case
        {"", false, {}},          // none: no dump, and nothing else happens
    };
    for (const Case& c : cases)
    {
        ProgramCopy copy(c.pszFolder, "Game.Launcher.exe", c.bWithLibrary);
        const ChildResult r = RunChildScenario("assert-dump", copy.Exe());
        EXPECT_EQ(0u, r.nExitCode) << copy.Exe() << ": " << r.out;
        EXPECT_EQ(c.expected, EchoedCalls(r.out)) << copy.Exe() << ": " << r.out;
        EXPECT_NE(std::string::npos, r.out.find(c.bWithLibrary ? "bound 1\n" : "bound 0\n")) << r.out;
        // The assertion line goes to standard error.
        EXPECT_EQ(c.bWithLibrary, r.out.find("\nAssert( Assertion Failed: z ):z.cpp:3\n") != std::string::npos)
            << r.out;
    }
}

TEST(CrashReportBinding, WhatTheLibraryAnswersDecidesTheReport)
{
    struct Case
    {
        int nFlags;
        bool bReportInfo;
        std::vector<std::string> expected;
    };
    const std::string kComment = "SetReportComment(Assert( Assertion Failed: z ):z.cpp:3\n)";
    const Case cases[] = {
        {STANDIN_FAULTRELAY_NO_INTERFACE, false, {"CreateInterface(faultrelay002)"}},
        {STANDIN_FAULTRELAY_NO_INFO, false,
         {"CreateInterface(faultrelay002)", "GetReportInfo()", "BeginReport()=7",
          "DescribeReport(7,wexla_win_tests,1.0,STAMP,9,0,0)", "SetReportValues(0,0)", kComment,
          "WriteDump(7,0,null)", "SetReportComment((null))", "EndReport(7)"}},
        {0, true,
         {"CreateInterface(faultrelay002)", "GetReportInfo()", "BeginReport()=7",
          "DescribeReport(7,440,12345,STAMP,9,0,0)", "SetReportValues(1,2)", kComment,
          "WriteDump(7,0,null)", "SetReportComment((null))", "EndReport(7)"}},
    };
    for (const Case& c : cases)
    {
        ChildStandinFlags flags(STANDIN_FAULTRELAY_ECHO | c.nFlags);
        if (c.bReportInfo)
            SetEnvironmentVariableA("CRASH_TEST_REPORT_INFO", "1");
        const ChildResult r = RunChildScenario("assert-dump");
        SetEnvironmentVariableA("CRASH_TEST_REPORT_INFO", nullptr);
        EXPECT_EQ(0u, r.nExitCode) << r.out;
        EXPECT_EQ(c.expected, EchoedCalls(r.out)) << c.nFlags << ": " << r.out;
    }
}

// Diagnostics: formatted output, the standard output function, assertions.
#include "core/dbg.h"
#include "core/minidump.h"
#include "core/platform.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using testsupport::DebugStreamCapture;
using testsupport::RunInChild;
using testsupport::SpewCapture;

namespace
{
std::vector<std::string> g_dumpRequests;
void RecordDump(const char* pszExpr, const char* pszSource, int nLine, bool bForce)
{
    g_dumpRequests.push_back(std::string(pszExpr) + "|" + pszSource + "|" + std::to_string(nLine) +
                             (bForce ? "|forced" : "|normal"));
}

struct DumpObserver
{
    DumpObserver()
    {
        g_dumpRequests.clear();
        SetAssertDumpObserver(RecordDump);
    }
    ~DumpObserver() { SetAssertDumpObserver(nullptr); }
};

// Another thread holds the minidump lock while this object lives.
class MinidumpLockHeldElsewhere
{
public:
    MinidumpLockHeldElsewhere()
        : m_holder([this] {
              Minidump_TryLock();
              m_bHeld = true;
              while (!m_bRelease)
                  std::this_thread::yield();
              Minidump_Unlock();
          })
    {
        while (!m_bHeld)
            std::this_thread::yield();
    }
    ~MinidumpLockHeldElsewhere()
    {
        m_bRelease = true;
        m_holder.join();
    }

private:
    std::atomic<bool> m_bHeld{false};
    std::atomic<bool> m_bRelease{false};
    std::thread m_holder;
};
} // namespace

TEST(DefaultSpewOutput, AnswersByKindAndPrintsTheTextAsIs)
{
    auto r = RunInChild([] {
        printf("[%d]", DefaultSpewOutput(SPEW_MESSAGE, "m"));
        printf("[%d]", DefaultSpewOutput(SPEW_WARNING, "w"));
        printf("[%d]", DefaultSpewOutput(SPEW_ASSERT, "a"));
    });
    EXPECT_EQ(0, r.nExitCode);
    EXPECT_EQ("m[1]w[1]a[0]", r.out);
}

TEST(SpewOutput, WarningPrintsAndContinues)
{
    auto r = RunInChild([] {
        SpewRetval_t e = SpewWarning("careful %d\n", 7);
        printf("answer %d\n", e);
    });
    EXPECT_EQ(0, r.nExitCode);
    EXPECT_EQ("careful 7\nanswer 1\n", r.out);
}

TEST(SpewOutput, ErrorPrintsThenEndsTheProcessWithExitCode1)
{
    auto r = RunInChild([] {
        SpewError("broken %s", "archive");
        printf("not reached");
    });
    EXPECT_EQ(1, r.nExitCode);
    EXPECT_EQ("broken archive", r.out);
}

TEST(SpewOutput, TooLongMessageIsDroppedWithAnswer2AndTheProcessGoesOn)
{
    SpewCapture capture;
    const std::string fits(SPEW_BUFFER_SIZE - 1, 'x');
    const std::string tooLong(SPEW_BUFFER_SIZE, 'x');
    EXPECT_EQ(SPEW_CONTINUE, SpewMessage("%s", fits.c_str()));
    EXPECT_EQ(SPEW_ABORT, SpewMessage("%s", tooLong.c_str()));
    ASSERT_EQ(1u, capture.Entries().size());
    EXPECT_EQ(fits, capture.Entries()[0].text);
}

TEST(SpewOutput, AssertionPrefixThatDoesNotFitDropsTheOutput)
{
    SpewCapture capture;
    DebugStreamCapture debug;
    const std::string source(SPEW_BUFFER_SIZE, 's');
    SetSpewLocation(SPEW_ASSERT, source.c_str(), 1);
    EXPECT_EQ(SPEW_ABORT, SpewAtLocation("%s", "x"));
    EXPECT_TRUE(capture.Entries().empty());
    EXPECT_TRUE(debug.Lines().empty());
}

TEST(SpewToGroup, OnlyLevelZeroReachesTheOutput)
{
    SpewCapture capture;
    EXPECT_EQ(SPEW_CONTINUE, SpewToGroup("console", 1, "hidden\n"));
    EXPECT_EQ(SPEW_CONTINUE, SpewToGroup("console", 0, "shown\n"));
    ASSERT_EQ(1u, capture.Entries().size());
    EXPECT_EQ("shown\n", capture.Entries()[0].text);
    EXPECT_EQ(SPEW_MESSAGE, capture.Entries()[0].nKind);
}

TEST(SpewLock, OutputFunctionMaySpewAgainOnTheSameThread)
{
    static std::vector<std::string> s_texts;
    s_texts.clear();
    SpewOutputFunc([](SpewType_t, const char* psz) {
        s_texts.push_back(psz);
        if (s_texts.size() == 1)
            SpewMessage("inner");
        return SPEW_CONTINUE;
    });
    SpewMessage("outer");
    SpewOutputFunc(nullptr);
    EXPECT_EQ((std::vector<std::string>{"outer", "inner"}), s_texts);
}

TEST(SpewLock, SerialisesOutputFromSeveralThreads)
{
    static std::atomic<int> s_inside{0};
    static std::atomic<int> s_overlaps{0};
    static std::atomic<int> s_count{0};
    SpewOutputFunc([](SpewType_t, const char*) {
        if (s_inside.fetch_add(1) != 0)
            ++s_overlaps;
        std::this_thread::yield();
        s_inside.fetch_sub(1);
        ++s_count;
        return SPEW_CONTINUE;
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 500; ++i)
                SpewMessage("m%d", i);
        });
    for (auto& th : threads)
        th.join();
    SpewOutputFunc(nullptr);
    EXPECT_EQ(0, s_overlaps.load());
    EXPECT_EQ(2000, s_count.load());
}

TEST(ReportAssertion, PrintsLocationFromTheSrcPartAnyCase)
{
    struct Case
    {
        const char* pszSource;
        const char* pszExpected;
    };
    const Case cases[] = {
        {"C:\\build\\SRC\\util\\x.cpp", "\\SRC\\util\\x.cpp (12) : Assertion Failed: a\n"},
        {"C:\\build\\src\\x.cpp", "\\src\\x.cpp (12) : Assertion Failed: a\n"},
        {"platform", "platform (12) : Assertion Failed: a\n"},
        {"C:\\srcx\\y.cpp", "C:\\srcx\\y.cpp (12) : Assertion Failed: a\n"},
    };
    for (const Case& c : cases)
    {
        SpewCapture capture;
        DebugStreamCapture debug;
        DumpObserver dumps;
        ReportAssertion("Assertion Failed: a", false, c.pszSource, 12, 0);
        ASSERT_EQ(1u, capture.Entries().size()) << c.pszSource;
        EXPECT_EQ(SPEW_ASSERT, capture.Entries()[0].nKind);
        EXPECT_EQ(c.pszExpected, capture.Entries()[0].text);
        ASSERT_EQ(1u, debug.Lines().size());
        EXPECT_EQ(c.pszExpected, debug.Lines()[0]);
    }
}

TEST(ReportAssertion, StandardOutputShowsTheSameTextAndExecutionContinues)
{
    auto r = RunInChild([] {
        ReportAssertion("Assertion Failed: x > 0", false, "D:\\w\\src\\a.cpp", 9, 0);
        printf("after");
    });
    EXPECT_EQ(0, r.nExitCode);
    EXPECT_EQ("\\src\\a.cpp (9) : Assertion Failed: x > 0\nafter", r.out);
}

TEST(ReportAssertion, NestedAssertionOnTheSameThreadIsDropped)
{
    static std::vector<std::string> s_texts;
    s_texts.clear();
    SpewOutputFunc([](SpewType_t, const char* psz) {
        s_texts.push_back(psz);
        ReportAssertion("Assertion Failed: inner", false, "inner.cpp", 2, 0);
        return SPEW_CONTINUE;
    });
    ReportAssertion("Assertion Failed: outer", false, "outer.cpp", 1, 0);
    SpewOutputFunc(nullptr);
    EXPECT_EQ((std::vector<std::string>{"outer.cpp (1) : Assertion Failed: outer\n"}), s_texts);
}

TEST(ReportAssertion, EachLocationAsksForOneDumpOnly)
{
    SpewCapture capture;
    DumpObserver dumps;
    static const char kSource[] = "dump_once.cpp";
    for (int i = 0; i < 3; ++i)
        ReportAssertion("Assertion Failed: once", false, kSource, 77, 0);
    ReportAssertion("Assertion Failed: other line", false, kSource, 78, 0);
    EXPECT_EQ((std::vector<std::string>{"Assertion Failed: once|dump_once.cpp|77|normal",
                                        "Assertion Failed: other line|dump_once.cpp|78|normal"}),
              g_dumpRequests);
    EXPECT_EQ(4u, capture.Entries().size());
}

TEST(ReportAssertion, FatalAssertionPrintsForcesADumpAndEndsTheProcess)
{
    auto r = RunInChild([] {
        SetAssertDumpObserver([](const char* e, const char* s, int l, bool f) {
            printf("[dump %s %s %d %s]", e, s, l, f ? "forced" : "normal");
        });
        ReportAssertion("Fatal Assertion Failed: p", true, "x\\src\\f.cpp", 5, 0);
        printf("not reached");
    });
    EXPECT_EQ(1, r.nExitCode);
    EXPECT_EQ("\\src\\f.cpp (5) : Fatal Assertion Failed: p\n"
              // The message carries its own line feed and assertion output adds one.
              "\\src\\f.cpp (5) : Fatal assert failed: x\\src\\f.cpp, line 5.  Application exiting.\n\n"
              "[dump Fatal Assertion Failed: p x\\src\\f.cpp 5 forced]",
              r.out);
}

TEST(ReportAssertion, FatalAssertionEndsTheProcessEvenWithDontBreakOnAssert)
{
    auto r = RunInChild([] {
        setenv("DONT_BREAK_ON_ASSERT", "1", 1);
        AssertFatal(1 == 2);
        printf("not reached");
    });
    EXPECT_EQ(1, r.nExitCode);
    EXPECT_NE(std::string::npos, r.out.find("Fatal Assertion Failed: 1 == 2\n"));
    EXPECT_EQ(std::string::npos, r.out.find("not reached"));
}

TEST(ReportAssertion, NonFatalAssertionWhileADumpIsBeingWrittenGoesNoFurther)
{
    SpewCapture capture;
    DumpObserver dumps;
    {
        MinidumpLockHeldElsewhere held;
        ReportAssertion("Assertion Failed: busy", false, "busy.cpp", 3, 0);
    }
    EXPECT_EQ(1u, capture.Entries().size()); // printed
    EXPECT_TRUE(g_dumpRequests.empty());     // but no dump asked for
}

TEST(ShouldBreakOnAssert, FollowsTheCommandLineSwitchesAndTheThread)
{
    struct Case
    {
        const char* pszCommandLine;
        bool bExpected;
    };
    const Case cases[] = {
        {"game.exe", false},
        {"game.exe -debugbreak", true},
        {"game.exe -debugbreak -noassert", false},
        {"game.exe -debugbreak -nocrashdialog", false},
        {"game.exe x-debugbreaky", true}, // plain substring
        {"game.exe -DEBUGBREAK", false},  // case-sensitive
    };
    for (const Case& c : cases)
    {
        Plat_SetCommandLineForTesting(c.pszCommandLine);
        EXPECT_EQ(c.bExpected, ShouldBreakOnAssert("s.cpp", 1, "m")) << c.pszCommandLine;
    }
    // Threads other than the main thread answer whether a debugger is attached.
    Plat_SetCommandLineForTesting("game.exe -debugbreak");
    bool bOther = true;
    std::thread([&] { bOther = ShouldBreakOnAssert("s.cpp", 1, "m"); }).join();
    EXPECT_FALSE(bOther);
    Plat_SetCommandLineForTesting(nullptr);
}

TEST(MainThread, IsTheThreadThatLoadedTheCode)
{
    EXPECT_EQ(Plat_GetCurrentThreadId(), GetMainThreadId());
}

TEST(MinidumpState, WritingFlagsFollowTheLockAndMisuseIsReportedOnce)
{
    SpewCapture capture;
    ASSERT_TRUE(Minidump_TryLock());
    EXPECT_FALSE(IsWritingMinidump());
    SetWritingMinidump(false); // either flag set means a dump is in progress
    EXPECT_TRUE(IsWritingMinidump());
    ClearWritingMinidump();
    EXPECT_FALSE(IsWritingMinidump());
    Minidump_Unlock();
    EXPECT_TRUE(capture.Entries().empty());

    // Another thread holding the lock: a dump counts as in progress, and
    // changing the flags without the lock is reported, once per kind.
    {
        MinidumpLockHeldElsewhere held;
        EXPECT_TRUE(IsWritingMinidump());
        for (int i = 0; i < 2; ++i)
        {
            SetWritingMinidump(true);
            ClearWritingMinidump();
        }
    }
    EXPECT_EQ((std::vector<std::string>{
                  "Assertion Failed: Someone called SetWritingMinidump without holding the minidump lock.",
                  "Assertion Failed: Someone called ClearWritingMinidump without holding the minidump lock."}),
              capture.AssertionMessages());
    EXPECT_EQ("minidump (183) : Assertion Failed: Someone called SetWritingMinidump without holding the "
              "minidump lock.\n",
              capture.Entries()[0].text);
}

TEST(ReportAssertion, EveryFatalAssertionEndsTheProcessWhateverTheOutputAnswered)
{
    struct Case
    {
        const char* pszName;
        void (*pfnRun)();
        const char* pszOutputPart;
    };
    const Case cases[] = {
        // Too long for the output buffer: the output step answers 2 and
        // prints nothing, yet the process ends.
        {"over-long message",
         [] {
             const std::string message = "Fatal Assertion Failed: " + std::string(SPEW_BUFFER_SIZE, 'x');
             ReportAssertion(message.c_str(), true, "long.cpp", 8, 0);
         },
         "long.cpp (8) : Fatal assert failed: long.cpp, line 8.  Application exiting.\n"},
        {"output answers continue",
         [] {
             SpewOutputFunc([](SpewType_t, const char* psz) {
                 printf("%s", psz);
                 return SPEW_CONTINUE;
             });
             ReportAssertion("Fatal Assertion Failed: c", true, "cont.cpp", 9, 0);
         },
         "cont.cpp (9) : Fatal Assertion Failed: c\n"},
        {"nested in an output function",
         [] {
             SpewOutputFunc([](SpewType_t, const char*) {
                 ReportAssertion("Fatal Assertion Failed: inner", true, "inner.cpp", 2, 0);
                 return SPEW_CONTINUE;
             });
             ReportAssertion("Assertion Failed: outer", false, "outer.cpp", 1, 0);
         },
         ""},
    };
    for (const Case& c : cases)
    {
        auto r = RunInChild([&] {
            c.pfnRun();
            printf("not reached");
        });
        EXPECT_EQ(1, r.nExitCode) << c.pszName;
        EXPECT_NE(std::string::npos, r.out.find(c.pszOutputPart)) << c.pszName << ": " << r.out;
        EXPECT_EQ(std::string::npos, r.out.find("not reached")) << c.pszName;
    }
}

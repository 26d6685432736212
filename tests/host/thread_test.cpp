// CThread and guarded runs over the POSIX platform layer (no structured
// exceptions here: the guarded call is a plain call; the Windows tests cover
// the exception frame).
#include "core/catchandwrite.h"
#include "core/thread.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <atomic>

using testsupport::RunInChild;

namespace
{
class CCountingThread : public CThread
{
public:
    std::atomic<int> nRuns{0};

protected:
    int Run() override { return 40 + ++nRuns; }
};

int SumArguments(int nArgc, char** ppArgv)
{
    int n = 0;
    for (int i = 0; i < nArgc; ++i)
        n += ppArgv[i][0] - '0';
    return n;
}
} // namespace

TEST(CThread, RunsItsFunctionOnceAndJoinGivesTheResult)
{
    CCountingThread thread;
    EXPECT_EQ(0, thread.Join()); // nothing started yet
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Start()); // still running or not yet joined
    EXPECT_EQ(41, thread.Join());
    EXPECT_EQ(41, thread.Join());
    ASSERT_TRUE(thread.Start()); // a joined thread can run again
    EXPECT_EQ(42, thread.Join());
    EXPECT_EQ(2, thread.nRuns.load());
}

TEST(CatchAndWriteContext, CallsEachKindWithItsArguments)
{
    static int s_nSeen = 0;
    int nValue = 5;
    RunGuarded([](void* p) { s_nSeen = *static_cast<int*>(p); }, &nValue, false);
    EXPECT_EQ(5, s_nSeen);

    char sz1[] = "3", sz2[] = "4";
    char* argv[] = {sz1, sz2};
    char** ppArgv = argv;
    int nArgc = 2;
    CatchAndWriteContext_t context;
    context.Set(SumArguments, &nArgc, &ppArgv, false);
    context.Invoke();
    EXPECT_EQ(7, context.Result());

    static int s_nArgc = 0;
    context.Set([](int n, char**) { s_nArgc = n; }, &nArgc, &ppArgv, true);
    context.Invoke();
    EXPECT_EQ(2, s_nArgc);
    EXPECT_TRUE(context.TerminateOnCrash());
}

TEST(CatchAndWriteContext, MissingFunctionOrArgumentsAreErrorsThatEndTheProcess)
{
    struct Case
    {
        void (*pfnRun)();
        const char* pszText;
    };
    const Case cases[] = {
        {[] { RunGuarded(nullptr, nullptr, false); }, "CatchAndWriteContext_t::Set w/o a function pointer!"},
        {[] {
             CatchAndWriteContext_t c;
             c.Set(SumArguments, nullptr, nullptr, false);
             c.Invoke();
         },
         "CatchAndWriteContext_t::Invoke with bogus argc/argv"},
        {[] {
             int nArgc = 0;
             CatchAndWriteContext_t c;
             c.Set(SumArguments, &nArgc, nullptr, false);
             c.Invoke();
         },
         "CatchAndWriteContext_t::Invoke with bogus argc/argv"},
        {[] {
             CatchAndWriteContext_t c;
             c.Set([](void*) { printf("called"); }, nullptr, false);
             c.Invoke();
         },
         "CatchAndWriteContext_t::Invoke with bogus void *ptr"},
    };
    for (const Case& c : cases)
    {
        auto r = RunInChild([&] {
            c.pfnRun();
            printf(" returned");
        });
        EXPECT_EQ(1, r.nExitCode) << c.pszText;
        EXPECT_EQ(c.pszText, r.out);
    }
}

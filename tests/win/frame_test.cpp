// The error record and the call-handle and logging entry points, called
// through wexla.dll's exports.
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace wintest;

namespace
{
typedef TWexlaError*(__cdecl* ClearError_t)(TWexlaError*);
typedef int(__cdecl* HandleCall_t)(WexlaCallHandle_t, TWexlaError*);
typedef int(__cdecl* BlockingCall_t)(WexlaCallHandle_t, uint32_t, TWexlaError*);
typedef int(__cdecl* ProcessCall_t)(WexlaCallHandle_t, void*, TWexlaError*);
typedef int(__cdecl* CreateLogContext_t)(const char*);
typedef int(__cdecl* Log_t)(int, const char*);
typedef void(__cdecl* LogResource_t)(const char*);
} // namespace

TEST(ErrorRecord, ClearErrorClearsKindDetailsAndTextAndReturnsTheRecord)
{
    auto pfn = Export<ClearError_t>("WexlaClearError");
    ASSERT_NE(nullptr, pfn);
    EXPECT_EQ(nullptr, pfn(nullptr));

    TWexlaError record = DirtyRecord();
    EXPECT_EQ(&record, pfn(&record));
    ExpectCleared(record, "WexlaClearError");
    EXPECT_EQ('Z', record.szText[1]); // the rest of the text field is left as it was
}

TEST(CallHandles, EveryHandleIsAnsweredAsFinished)
{
    for (const char* pszName : {"WexlaAbortCall", "WexlaWaitForResources", "WexlaUnmountFilesystem"})
    {
        auto pfn = Export<HandleCall_t>(pszName);
        ASSERT_NE(nullptr, pfn) << pszName;
        for (WexlaCallHandle_t hCall : {0u, 1u, 0xFFFFFFFFu})
        {
            TWexlaError record = DirtyRecord();
            EXPECT_EQ(1, pfn(hCall, &record)) << pszName;
            ExpectCleared(record, pszName);
        }
    }
    auto pfnBlocking = Export<BlockingCall_t>("WexlaBlockingCall");
    ASSERT_NE(nullptr, pfnBlocking);
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(1, pfnBlocking(1234, 0xFFFFFFFF, &record));
    ExpectCleared(record, "WexlaBlockingCall");
}

TEST(CallHandles, ProcessCallFillsTheProgressRecord)
{
    auto pfn = Export<ProcessCall_t>("WexlaProcessCall");
    ASSERT_NE(nullptr, pfn);

    TWexlaError record = DirtyRecord();
    EXPECT_EQ(1, pfn(7, nullptr, &record));
    ExpectCleared(record, "WexlaProcessCall without progress");

    unsigned char progress[16];
    memset(progress, 0xCC, sizeof(progress));
    record = DirtyRecord();
    EXPECT_EQ(1, pfn(0xDEAD, progress, &record));
    ExpectCleared(record, "WexlaProcessCall");
    int32_t nValid;
    uint32_t uPercent;
    memcpy(&nValid, progress, 4);
    memcpy(&uPercent, progress + 4, 4);
    EXPECT_EQ(1, nValid);
    EXPECT_EQ(100u, uPercent);
    EXPECT_EQ(0, progress[8]);
    EXPECT_EQ(0xCC, progress[9]); // only the text's first byte is written
}

TEST(Logging, DoesNothingAndWritesNothing)
{
    auto pfnCreate = Export<CreateLogContext_t>("WexlaCreateLogContext");
    auto pfnLog = Export<Log_t>("WexlaLog");
    auto pfnStarted = Export<LogResource_t>("WexlaLogResourceLoadStarted");
    auto pfnFinished = Export<LogResource_t>("WexlaLogResourceLoadFinished");
    ASSERT_TRUE(pfnCreate && pfnLog && pfnStarted && pfnFinished);

    DebugStreamCapture capture;
    const int hContext = pfnCreate("game");
    EXPECT_EQ(0, hContext);
    EXPECT_EQ(0, pfnLog(hContext, "hello"));
    pfnStarted("models/x.mdl");
    pfnFinished("models/x.mdl");
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(ErrorRecord, LayoutMatchesTheLegacyRecord)
{
    EXPECT_EQ(268u, sizeof(TWexlaError));
    EXPECT_EQ(12u, offsetof(TWexlaError, szText));
}

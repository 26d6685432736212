// Diagnostic output and the assertion handler.
#include "core/dbg.h"

#include "core/coretext.h"
#include "core/minidump.h"
#include "core/platform.h"
#include "core/threadtools.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>

namespace
{
// Where the next location-based output comes from.
struct SpewLocation
{
    const char* pszSource = "";
    int nLine = 0;
    SpewType_t eType = SPEW_MESSAGE;
};

// Process-wide state of the facility.
struct SpewState
{
    SpewOutputFunc_t pfnOutput = DefaultSpewOutput;
    SpewLocation location;
    CReentrantLock lock;
};

SpewState& Spew()
{
    static SpewState s_state;
    return s_state;
}

// Locations (source pointer, line) that have already asked for a dump.
struct DumpedLocations
{
    std::mutex mutex;
    std::set<std::pair<const char*, int>> set;

    // True the first time a location is added.
    bool Insert(const char* pszSource, int nLine)
    {
        std::lock_guard<std::mutex> guard(mutex);
        return set.insert({pszSource, nLine}).second;
    }
};

DumpedLocations& Dumped()
{
    static DumpedLocations s_dumped;
    return s_dumped;
}

// Assertions in progress on this thread.
thread_local int t_nAssertDepth = 0;

// The thread that loaded the library; recorded during static initialisation.
struct MainThread
{
    uint32_t nId;
    MainThread() : nId(Plat_GetCurrentThreadId()) { Plat_SetThreadName("MainThrd"); }
};
MainThread g_mainThread;

// Finds "\src\" without regard to letter case.
const char* SkipToSrcPart(const char* pszSource)
{
    static const char kMarker[] = "\\src\\";
    for (const char* p = pszSource; *p; ++p)
    {
        if (Core_CompareNoCase(p, kMarker, sizeof(kMarker) - 1) == 0)
            return p;
    }
    return pszSource;
}

// Formatted output of one message of the given kind (the common road of all
// the Spew functions).
SpewRetval_t SpewOutputV(SpewType_t eType, const char* pszFormat, va_list args)
{
    SpewState& state = Spew();
    CReentrantLockGuard guard(state.lock);

    // One byte beyond the 5,020 for the assertion's line feed.
    char szText[SPEW_BUFFER_SIZE + 1];
    int nPrefix = 0;
    if (eType == SPEW_ASSERT)
    {
        nPrefix = snprintf(szText, SPEW_BUFFER_SIZE, "%s (%d) : ", state.location.pszSource,
                           state.location.nLine);
        if (nPrefix < 0 || nPrefix >= SPEW_BUFFER_SIZE)
            return SPEW_ABORT;
    }
    const int nRoom = SPEW_BUFFER_SIZE - nPrefix;
    const int nMessage = vsnprintf(szText + nPrefix, nRoom, pszFormat, args);
    if (nMessage < 0 || nMessage >= nRoom)
        return SPEW_ABORT; // too long: nothing is output, and the process goes on

    if (eType == SPEW_ASSERT)
    {
        strcat(szText, "\n");
        Plat_OutputDebugString(szText);
    }

    const SpewRetval_t eAnswer = state.pfnOutput(eType, szText);
    if (eAnswer == SPEW_ABORT)
    {
        SpewToGroup("console", 1, "Exiting on SPEW_ABORT\n");
        Plat_TerminateProcess(1);
    }
    if (eAnswer == SPEW_DEBUGGER && eType != SPEW_ASSERT)
        Plat_DebugBreak();
    return eAnswer;
}

// Ends the process for a fatal assertion, after its closing message.
[[noreturn]] void ExitOnFatalAssert()
{
    SpewToGroup("console", 1, "_ExitOnFatalAssert\n");
    Plat_TerminateProcess(1);
}

// Level of a registered spew group. Nothing registers one, so every group has
// the default level.
int SpewGroupLevel(const char* /*pszGroup*/)
{
    return 0;
}
} // namespace

uint32_t GetMainThreadId()
{
    return g_mainThread.nId;
}

SpewRetval_t DefaultSpewOutput(SpewType_t eType, const char* pszText)
{
    printf("%s", pszText);
    switch (eType)
    {
    case SPEW_ASSERT:
        return SPEW_DEBUGGER;
    case SPEW_ERROR:
        return SPEW_ABORT;
    default:
        return SPEW_CONTINUE;
    }
}

void SpewOutputFunc(SpewOutputFunc_t pfn)
{
    Spew().pfnOutput = pfn ? pfn : DefaultSpewOutput;
}

#define WEXLA_SPEW_BODY(type)                              \
    va_list args;                                          \
    va_start(args, pszFormat);                             \
    SpewRetval_t e = SpewOutputV((type), pszFormat, args); \
    va_end(args);                                          \
    return e

SpewRetval_t SpewMessage(const char* pszFormat, ...)
{
    WEXLA_SPEW_BODY(SPEW_MESSAGE);
}

SpewRetval_t SpewWarning(const char* pszFormat, ...)
{
    WEXLA_SPEW_BODY(SPEW_WARNING);
}

SpewRetval_t SpewError(const char* pszFormat, ...)
{
    WEXLA_SPEW_BODY(SPEW_ERROR);
}

SpewRetval_t SpewAtLocation(const char* pszFormat, ...)
{
    WEXLA_SPEW_BODY(Spew().location.eType);
}

#undef WEXLA_SPEW_BODY

void SetSpewLocation(SpewType_t eType, const char* pszSource, int nLine)
{
    SpewLocation& loc = Spew().location;
    loc.pszSource = pszSource ? SkipToSrcPart(pszSource) : "";
    loc.nLine = nLine;
    loc.eType = eType;
}

SpewRetval_t SpewToGroup(const char* pszGroup, int nLevel, const char* pszFormat, ...)
{
    if (SpewGroupLevel(pszGroup) < nLevel)
        return SPEW_CONTINUE;
    va_list args;
    va_start(args, pszFormat);
    SpewRetval_t e = SpewOutputV(SPEW_MESSAGE, pszFormat, args);
    va_end(args);
    return e;
}

void ReportAssertionText(const char* pszText, const char* pszSource, int nLine)
{
    char szMessage[1024];
    snprintf(szMessage, sizeof(szMessage), "Assertion Failed: %s", pszText);
    ReportAssertion(szMessage, false, pszSource, nLine, 0);
}

namespace
{
// A depth below 0 is itself reported (and repaired, so it is reported once).
void CheckAssertDepth()
{
    if (t_nAssertDepth < 0)
    {
        t_nAssertDepth = 0;
        ReportAssertion("Assertion Failed: m_cReentrancyCount >= 0", false, __FILE__, __LINE__, 0);
    }
}

// Everything after the printout that the minidump lock guards: the debugger
// break, the closing message and forced dump of fatal assertions, and the
// dump request.
void HandleAssertionUnderDumpLock(const char* pszMessage, bool bFatal, const char* pszSource,
                                  int nLine, uintptr_t nExtra, SpewRetval_t eAnswer)
{
    if (IsWritingMinidump())
        return;

    const bool bDebugger = Plat_IsDebuggerPresent();
    if (eAnswer == SPEW_DEBUGGER && !Plat_HasEnvironmentVariable("DONT_BREAK_ON_ASSERT") &&
        bDebugger && ShouldBreakOnAssert(pszSource, nLine, pszMessage))
    {
        Plat_DebugBreak();
    }
    // A fatal assertion ends the process whatever the output answered: a
    // message too long to print answers 2, and an output function may answer
    // "continue".
    if (bFatal)
    {
        SpewAtLocation("Fatal assert failed: %s, line %d.  Application exiting.\n", pszSource, nLine);
        if (!bDebugger)
            WriteAssertDump(pszMessage, pszSource, nLine, 0, true);
        ExitOnFatalAssert();
    }

    if (!bDebugger && Dumped().Insert(pszSource, nLine))
        WriteAssertDump(pszMessage, pszSource, nLine, nExtra, false);
}
} // namespace

void ReportAssertion(const char* pszMessage, bool bFatal, const char* pszSource, int nLine,
                     uintptr_t nExtra)
{
    CheckAssertDepth();
    // Only the outermost assertion of a thread is handled; nested ones (for
    // instance raised by an output function) are dropped whole.
    if (++t_nAssertDepth == 1)
    {
        SetSpewLocation(SPEW_ASSERT, pszSource, nLine);
        const SpewRetval_t eAnswer = SpewAtLocation("%s", pszMessage);

        // A non-fatal assertion never waits for a dump in progress elsewhere;
        // a fatal one waits, and ends the process if the wait fails.
        bool bLocked = Minidump_TryLock();
        if (!bLocked && bFatal)
            bLocked = Minidump_LockWait(10000);
        if (bLocked)
        {
            HandleAssertionUnderDumpLock(pszMessage, bFatal, pszSource, nLine, nExtra, eAnswer);
            Minidump_Unlock();
        }
    }
    // Every fatal assertion ends the process, also one that could not be
    // handled (nested, no minidump lock, or a dump in progress).
    if (bFatal)
        Plat_TerminateProcess(1);
    --t_nAssertDepth;
    CheckAssertDepth();
}

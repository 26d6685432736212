#include "core/minidump.h"

#include "core/crashreport.h"
#include "core/dbg.h"
#include "core/platform.h"
#include "core/threadtools.h"

namespace
{
uint64_t SystemSecondsNow()
{
    return Plat_MillisecondsNow() / 1000;
}

// Process-wide dump state. The lock guards the writing flags and the time of
// the last assertion dump; the one-time report flags, the observer and the
// clock are set without it.
struct MinidumpState
{
    CReentrantLock lock;
    bool bWritingA = false;
    bool bWritingB = false;
    bool bAssertDumped = false;       // an assertion dump has been timed
    uint64_t nLastAssertDumpTime = 0; // seconds
    AssertDumpObserver_t pfnObserver = nullptr;
    uint64_t (*pfnSecondsNow)() = SystemSecondsNow;
    bool bReportedSetWithoutLock = false;
    bool bReportedClearWithoutLock = false;

    bool Writing() const { return bWritingA || bWritingB; }
    void MarkAssertDumpTime()
    {
        bAssertDumped = true;
        nLastAssertDumpTime = pfnSecondsNow();
    }
};

MinidumpState& State()
{
    static MinidumpState s_state;
    return s_state;
}

// Runs fn with the lock taken here when possible; reports once (per kind of
// misuse) when another thread holds it.
template <typename Fn>
void UnderLockOrReport(bool& bReported, const char* pszText, int nLine, Fn fn)
{
    MinidumpState& s = State();
    const bool bTaken = s.lock.TryLock();
    if (!bTaken && !bReported)
    {
        bReported = true;
        ReportAssertionText(pszText, "minidump", nLine);
    }
    fn(s);
    if (bTaken)
        s.lock.Unlock();
}
} // namespace

bool Minidump_TryLock()
{
    return State().lock.TryLock();
}

bool Minidump_LockWait(uint32_t nTimeoutMs)
{
    for (uint32_t nWaited = 0;; nWaited += 10)
    {
        if (State().lock.TryLock())
            return true;
        if (nWaited >= nTimeoutMs)
            return false;
        Plat_Sleep(10);
    }
}

void Minidump_Unlock()
{
    State().lock.Unlock();
}

void SetWritingMinidump(bool bKind)
{
    UnderLockOrReport(State().bReportedSetWithoutLock,
                      "Someone called SetWritingMinidump without holding the minidump lock.", 183,
                      [bKind](MinidumpState& s) {
                          s.bWritingA = bKind;
                          s.bWritingB = !bKind;
                      });
}

void ClearWritingMinidump()
{
    UnderLockOrReport(State().bReportedClearWithoutLock,
                      "Someone called ClearWritingMinidump without holding the minidump lock.", 197,
                      [](MinidumpState& s) {
                          s.bWritingA = false;
                          s.bWritingB = false;
                      });
}

bool IsWritingMinidump()
{
    MinidumpState& s = State();
    if (!s.lock.TryLock())
        return true;
    const bool bWriting = s.Writing();
    s.lock.Unlock();
    return bWriting;
}

void SetAssertDumpObserver(AssertDumpObserver_t pfn)
{
    State().pfnObserver = pfn;
}

void SetMinidumpClockForTesting(uint64_t (*pfnSecondsNow)())
{
    State().pfnSecondsNow = pfnSecondsNow ? pfnSecondsNow : SystemSecondsNow;
}

void WriteAssertDump(const char* pszExpression, const char* pszSource, int nLine, uintptr_t nFlag,
                     bool bForce)
{
    MinidumpState& s = State();
    if (s.pfnObserver)
        s.pfnObserver(pszExpression, pszSource, nLine, bForce);
    if (!bForce)
    {
        // The first assertion dump of the process is never held back.
        if (s.bAssertDumped && s.pfnSecondsNow() < s.nLastAssertDumpTime + ASSERT_DUMP_INTERVAL_SECONDS)
            return;
        s.MarkAssertDumpTime();
    }
    if (!s.lock.TryLock())
        return;
    if (!s.Writing())
    {
        SetWritingMinidump(bForce);
        CrashReport_WriteAssertReport(pszExpression, pszSource, nLine, static_cast<uint32_t>(nFlag));
        ClearWritingMinidump();
        s.MarkAssertDumpTime();
    }
    s.lock.Unlock();
}

void WriteExceptionDump(uint32_t nExceptionCode, void* pExceptionInfo)
{
    MinidumpState& s = State();
    if (!Minidump_LockWait(10000))
        return;
    if (!s.Writing())
    {
        SetWritingMinidump(true);
        CrashReport_WriteExceptionReport(nExceptionCode, pExceptionInfo);
        ClearWritingMinidump();
    }
    s.lock.Unlock();
}

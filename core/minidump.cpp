#include "core/minidump.h"

#include "core/dbg.h"
#include "core/platform.h"
#include "core/threadtools.h"

namespace
{
struct MinidumpState
{
    CReentrantLock lock;
    bool bWritingA = false;
    bool bWritingB = false;
    AssertDumpObserver_t pfnObserver = nullptr;
    bool bReportedSetWithoutLock = false;
    bool bReportedClearWithoutLock = false;
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
    const bool bWriting = s.bWritingA || s.bWritingB;
    s.lock.Unlock();
    return bWriting;
}

void SetAssertDumpObserver(AssertDumpObserver_t pfn)
{
    State().pfnObserver = pfn;
}

void WriteAssertDump(const char* pszExpression, const char* pszSource, int nLine, uintptr_t /*nFlag*/,
                     bool bForce)
{
    if (State().pfnObserver)
        State().pfnObserver(pszExpression, pszSource, nLine, bForce);
    // The crash-report binding is not present yet: no dump is written, and
    // assertion handling goes on as if it had been.
}

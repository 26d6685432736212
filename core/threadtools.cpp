#include "core/threadtools.h"

#include "core/platform.h"

namespace
{
constexpr int kSpinCount = 1000;
}

bool CReentrantLock::TryAcquire(uint32_t nThreadId)
{
    if (m_nOwnerThreadId.load(std::memory_order_relaxed) == nThreadId)
    {
        ++m_nDepth;
        return true;
    }
    uint32_t nExpected = 0;
    if (m_nOwnerThreadId.compare_exchange_strong(nExpected, nThreadId, std::memory_order_acquire))
    {
        m_nDepth = 1;
        return true;
    }
    return false;
}

void CReentrantLock::Lock()
{
    const uint32_t nThreadId = Plat_GetCurrentThreadId();
    for (int i = 0; i < kSpinCount; ++i)
    {
        if (TryAcquire(nThreadId))
            return;
    }
    for (uint32_t nRound = 0;; ++nRound)
    {
        if (TryAcquire(nThreadId))
            return;
        Plat_Sleep(nRound < 16 ? 0 : 1);
    }
}

bool CReentrantLock::TryLock()
{
    return TryAcquire(Plat_GetCurrentThreadId());
}

void CReentrantLock::Unlock()
{
    if (--m_nDepth == 0)
        m_nOwnerThreadId.store(0, std::memory_order_release);
}


namespace
{
// Waits a little longer each round: a short spin, then yielding, then sleeping.
void SpinBackoff(uint32_t nRound)
{
    if (nRound < static_cast<uint32_t>(kSpinCount))
        return;
    Plat_Sleep(nRound < static_cast<uint32_t>(kSpinCount) + 16 ? 0 : 1);
}
} // namespace

void CSpinRWLock::LockForRead()
{
    for (uint32_t nRound = 0;; ++nRound)
    {
        uint32_t nState = m_nState.load(std::memory_order_relaxed);
        if ((nState & (kWriter | kWriterWaiting)) == 0 &&
            m_nState.compare_exchange_weak(nState, nState + 1, std::memory_order_acquire,
                                           std::memory_order_relaxed))
            return;
        SpinBackoff(nRound);
    }
}

void CSpinRWLock::UnlockRead()
{
    m_nState.fetch_sub(1, std::memory_order_release);
}

void CSpinRWLock::LockForWrite()
{
    for (uint32_t nRound = 0;; ++nRound)
    {
        uint32_t nState = m_nState.load(std::memory_order_relaxed);
        if ((nState & ~kWriterWaiting) == 0)
        {
            if (m_nState.compare_exchange_weak(nState, kWriter, std::memory_order_acquire,
                                               std::memory_order_relaxed))
                return;
            continue;
        }
        if ((nState & kWriterWaiting) == 0)
            m_nState.fetch_or(kWriterWaiting, std::memory_order_relaxed);
        SpinBackoff(nRound);
    }
}

void CSpinRWLock::UnlockWrite()
{
    m_nState.fetch_and(~kWriter, std::memory_order_release);
}

// Thread tools of the core runtime.
#pragma once

#include <atomic>
#include <cstdint>

// A process-wide re-entrant lock: an owner thread id and a nesting count,
// taken with an atomic compare-and-exchange of the owner, a short spin and
// then waits. Constant-initialised, so it is usable from static
// initialisation onwards and needs no creation step.
class CReentrantLock
{
public:
    constexpr CReentrantLock() = default;
    CReentrantLock(const CReentrantLock&) = delete;
    CReentrantLock& operator=(const CReentrantLock&) = delete;

    void Lock();
    bool TryLock();
    void Unlock();

    // True when the calling thread holds the lock.
    bool IsOwnedByCurrentThread() const;

private:
    bool TryAcquire(uint32_t nThreadId);

    std::atomic<uint32_t> m_nOwnerThreadId{0};
    int m_nDepth = 0; // touched only by the owner
};

// Holds a CReentrantLock for a scope.
class CReentrantLockGuard
{
public:
    explicit CReentrantLockGuard(CReentrantLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CReentrantLockGuard() { m_lock.Unlock(); }
    CReentrantLockGuard(const CReentrantLockGuard&) = delete;
    CReentrantLockGuard& operator=(const CReentrantLockGuard&) = delete;

private:
    CReentrantLock& m_lock;
};

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

// A reader-writer spin lock: any number of shared holders or one exclusive
// holder, in one atomic word (bit 31 the writer, the rest the reader count).
// Not re-entrant. A waiting writer blocks new readers, so a stream of
// readers cannot starve it. Constant-initialised like CReentrantLock.
class CSpinRWLock
{
public:
    constexpr CSpinRWLock() = default;
    CSpinRWLock(const CSpinRWLock&) = delete;
    CSpinRWLock& operator=(const CSpinRWLock&) = delete;

    void LockForRead();
    void UnlockRead();
    void LockForWrite();
    void UnlockWrite();

private:
    static constexpr uint32_t kWriter = 0x80000000u;
    static constexpr uint32_t kWriterWaiting = 0x40000000u;

    std::atomic<uint32_t> m_nState{0};
};

// Holds one side of a CSpinRWLock for a scope.
class CSpinRWLockReadGuard
{
public:
    explicit CSpinRWLockReadGuard(CSpinRWLock& lock) : m_lock(lock) { m_lock.LockForRead(); }
    ~CSpinRWLockReadGuard() { m_lock.UnlockRead(); }
    CSpinRWLockReadGuard(const CSpinRWLockReadGuard&) = delete;
    CSpinRWLockReadGuard& operator=(const CSpinRWLockReadGuard&) = delete;

private:
    CSpinRWLock& m_lock;
};

class CSpinRWLockWriteGuard
{
public:
    explicit CSpinRWLockWriteGuard(CSpinRWLock& lock) : m_lock(lock) { m_lock.LockForWrite(); }
    ~CSpinRWLockWriteGuard() { m_lock.UnlockWrite(); }
    CSpinRWLockWriteGuard(const CSpinRWLockWriteGuard&) = delete;
    CSpinRWLockWriteGuard& operator=(const CSpinRWLockWriteGuard&) = delete;

private:
    CSpinRWLock& m_lock;
};

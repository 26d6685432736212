// Minidump lock, writing flags and the dump requests of the core runtime. The
// dumps themselves are written by the crash-report library
// (core/crashreport.h); here are the rules of when.
#pragma once

#include <cstdint>

// The process-wide re-entrant minidump lock.
bool Minidump_TryLock();
// Tries every 10 milliseconds for at most nTimeoutMs; true when taken.
bool Minidump_LockWait(uint32_t nTimeoutMs);
void Minidump_Unlock();

// Writing flags; to be used only while holding the minidump lock.
void SetWritingMinidump(bool bKind);
void ClearWritingMinidump();
bool IsWritingMinidump();

// Requested by the assertion handler; bForce false applies the 10-second
// interval between assertion dumps. Never waits: a dump in progress, or the
// lock held by another thread, drops the request.
constexpr uint64_t ASSERT_DUMP_INTERVAL_SECONDS = 10;
void WriteAssertDump(const char* pszExpression, const char* pszSource, int nLine, uintptr_t nFlag,
                     bool bForce);

// The dump of a structured exception that escaped a guarded run (the
// translator of core/catchandwrite.h). Waits up to 10 seconds for the lock;
// dropped while another dump is in progress.
void WriteExceptionDump(uint32_t nExceptionCode, void* pExceptionInfo);

// Tests replace the clock of the assertion dump interval (seconds; null
// restores the system's).
void SetMinidumpClockForTesting(uint64_t (*pfnSecondsNow)());

// Tests observe dump requests (before any rule is applied) through this hook.
typedef void (*AssertDumpObserver_t)(const char* pszExpression, const char* pszSource, int nLine,
                                     bool bForce);
void SetAssertDumpObserver(AssertDumpObserver_t pfn);

// Minidump lock, writing flags and the assertion dump request of the core
// runtime. The dump itself is written by the crash-report library; until that
// binding exists, WriteAssertDump only applies its rules and tells observers.
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
// interval between assertion dumps.
void WriteAssertDump(const char* pszExpression, const char* pszSource, int nLine, uintptr_t nFlag,
                     bool bForce);

// Tests observe dump requests (before any rule is applied) through this hook.
typedef void (*AssertDumpObserver_t)(const char* pszExpression, const char* pszSource, int nLine,
                                     bool bForce);
void SetAssertDumpObserver(AssertDumpObserver_t pfn);

// Guarded runs: a function called so that a structured exception escaping it
// writes a crash dump (WriteExceptionDump) before it goes on, or ends the
// process with exit code 1 when terminate on crash is set. Every thread of
// CThread (core/thread.h) runs its thread function this way.
#pragma once

#include <cstdint>

// One guarded call of one of three function kinds. Set checks the function,
// Invoke checks the argument holders; a failed check is reported through the
// core runtime's error output and the function is not called.
class CatchAndWriteContext_t
{
public:
    typedef void (*FnVoidPtr_t)(void* pArg);
    typedef void (*FnArgcArgv_t)(int nArgc, char** ppArgv);
    typedef int (*FnArgcArgvResult_t)(int nArgc, char** ppArgv);

    // The pointer kind: calls pfn(*ppArg).
    void Set(FnVoidPtr_t pfn, void** ppArg, bool bTerminateOnCrash);
    // The argument-count/argument-vector kinds: call pfn(*pArgc, *pArgv); the
    // second keeps the result (Result()).
    void Set(FnArgcArgv_t pfn, int* pArgc, char*** pArgv, bool bTerminateOnCrash);
    void Set(FnArgcArgvResult_t pfn, int* pArgc, char*** pArgv, bool bTerminateOnCrash);

    // Binds the crash-report library, then calls the function guarded.
    void Invoke();

    int Result() const { return m_nResult; }
    bool TerminateOnCrash() const { return m_bTerminateOnCrash; }

private:
    enum EKind
    {
        KIND_NONE,
        KIND_VOID_PTR,
        KIND_ARGC_ARGV,
        KIND_ARGC_ARGV_RESULT,
    };
    bool SetKind(EKind eKind, bool bHasFunction, bool bTerminateOnCrash);
    static void CallFunction(void* pThis);

    EKind m_eKind = KIND_NONE;
    bool m_bTerminateOnCrash = false;
    FnVoidPtr_t m_pfnVoidPtr = nullptr;
    FnArgcArgv_t m_pfnArgcArgv = nullptr;
    FnArgcArgvResult_t m_pfnArgcArgvResult = nullptr;
    void** m_ppArg = nullptr;
    int* m_pArgc = nullptr;
    char*** m_pArgv = nullptr;
    int m_nResult = 0;
};

// Calls pfn(pArg) guarded (a context of the pointer kind).
void RunGuarded(void (*pfn)(void*), void* pArg, bool bTerminateOnCrash);

#include "core/catchandwrite.h"

#include "core/crashreport.h"
#include "core/dbg.h"
#include "core/minidump.h"
#include "core/platform.h"

namespace
{
// The translator: the dump first (once, by the innermost guarded run the
// exception leaves), then the end of the process when asked.
void OnEscapedException(uint32_t nCode, void* pExceptionInfo, bool bInnermost, void* pContext)
{
    if (bInnermost)
        WriteExceptionDump(nCode, pExceptionInfo);
    if (static_cast<const CatchAndWriteContext_t*>(pContext)->TerminateOnCrash())
        Plat_TerminateProcess(1);
}
} // namespace

bool CatchAndWriteContext_t::SetKind(EKind eKind, bool bHasFunction, bool bTerminateOnCrash)
{
    *this = CatchAndWriteContext_t();
    m_bTerminateOnCrash = bTerminateOnCrash;
    if (!bHasFunction)
    {
        SpewError("CatchAndWriteContext_t::Set w/o a function pointer!");
        return false;
    }
    m_eKind = eKind;
    return true;
}

void CatchAndWriteContext_t::Set(FnVoidPtr_t pfn, void** ppArg, bool bTerminateOnCrash)
{
    if (SetKind(KIND_VOID_PTR, pfn != nullptr, bTerminateOnCrash))
    {
        m_pfnVoidPtr = pfn;
        m_ppArg = ppArg;
    }
}

void CatchAndWriteContext_t::Set(FnArgcArgv_t pfn, int* pArgc, char*** pArgv, bool bTerminateOnCrash)
{
    if (SetKind(KIND_ARGC_ARGV, pfn != nullptr, bTerminateOnCrash))
    {
        m_pfnArgcArgv = pfn;
        m_pArgc = pArgc;
        m_pArgv = pArgv;
    }
}

void CatchAndWriteContext_t::Set(FnArgcArgvResult_t pfn, int* pArgc, char*** pArgv,
                                 bool bTerminateOnCrash)
{
    if (SetKind(KIND_ARGC_ARGV_RESULT, pfn != nullptr, bTerminateOnCrash))
    {
        m_pfnArgcArgvResult = pfn;
        m_pArgc = pArgc;
        m_pArgv = pArgv;
    }
}

void CatchAndWriteContext_t::CallFunction(void* pThis)
{
    CatchAndWriteContext_t& c = *static_cast<CatchAndWriteContext_t*>(pThis);
    switch (c.m_eKind)
    {
    case KIND_VOID_PTR:
        c.m_pfnVoidPtr(*c.m_ppArg);
        break;
    case KIND_ARGC_ARGV:
        c.m_pfnArgcArgv(*c.m_pArgc, *c.m_pArgv);
        break;
    case KIND_ARGC_ARGV_RESULT:
        c.m_nResult = c.m_pfnArgcArgvResult(*c.m_pArgc, *c.m_pArgv);
        break;
    case KIND_NONE:
        break;
    }
}

void CatchAndWriteContext_t::Invoke()
{
    if (m_eKind == KIND_NONE)
        return; // Set has already reported the missing function
    if (m_eKind == KIND_VOID_PTR && !m_ppArg)
    {
        SpewError("CatchAndWriteContext_t::Invoke with bogus void *ptr");
        return;
    }
    if (m_eKind != KIND_VOID_PTR && (!m_pArgc || !m_pArgv))
    {
        SpewError("CatchAndWriteContext_t::Invoke with bogus argc/argv");
        return;
    }
    CrashReport_Bind();
    Plat_CallWithExceptionFrame(CallFunction, this, OnEscapedException, this);
}

void RunGuarded(void (*pfn)(void*), void* pArg, bool bTerminateOnCrash)
{
    CatchAndWriteContext_t context;
    context.Set(pfn, &pArg, bTerminateOnCrash);
    context.Invoke();
}

#include "core/thread.h"

#include "core/catchandwrite.h"
#include "core/platform.h"

CThread::~CThread()
{
    Join();
}

bool CThread::Start()
{
    if (m_hThread)
        return false;
    m_nResult = 0;
    m_hThread = Plat_CreateThread(StartRoutine, this);
    return m_hThread != nullptr;
}

int CThread::Join()
{
    if (m_hThread)
    {
        Plat_JoinThread(m_hThread);
        m_hThread = nullptr;
    }
    return m_nResult;
}

uint32_t CThread::StartRoutine(void* pThis)
{
    CThread* pThread = static_cast<CThread*>(pThis);
    RunGuarded(GuardedRun, pThread, pThread->m_bTerminateOnCrash);
    return static_cast<uint32_t>(pThread->m_nResult);
}

void CThread::GuardedRun(void* pThis)
{
    CThread* pThread = static_cast<CThread*>(pThis);
    pThread->m_nResult = pThread->Run();
}

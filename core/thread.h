// CThread: a thread of the core runtime. Its start routine runs the thread
// function guarded (RunGuarded, core/catchandwrite.h), so a structured
// exception escaping Run writes a crash dump; with terminate on crash set the
// process then ends with exit code 1, otherwise the exception goes on to the
// system's unhandled-exception path.
#pragma once

#include <cstdint>

class CThread
{
public:
    CThread() = default;
    // Waits for a running thread to end. Join before a derived object goes
    // away: by the time this runs, the derived parts Run uses are gone.
    virtual ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Set before Start; off by default.
    void SetTerminateOnCrash(bool bTerminate) { m_bTerminateOnCrash = bTerminate; }
    bool TerminateOnCrash() const { return m_bTerminateOnCrash; }

    // False when a thread is already running or cannot be started.
    bool Start();
    // Waits for the thread to end; returns Run's result (0 when none ran).
    int Join();

protected:
    // The thread function.
    virtual int Run() = 0;

private:
    static uint32_t StartRoutine(void* pThis);
    static void GuardedRun(void* pThis);

    void* m_hThread = nullptr;
    bool m_bTerminateOnCrash = false;
    int m_nResult = 0;
};

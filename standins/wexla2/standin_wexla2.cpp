// The stand-in legacy runtime library Wexla2.dll: the three legacy minidump
// functions, each recording its call and answering the scripted result.
// WEXLA2_OMIT_INIT, WEXLA2_OMIT_DUMP and WEXLA2_OMIT_COMMENT leave one out.
#include "standins/wexla2/standin_wexla2.h"

#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

#define STANDIN_EXPORT extern "C" __declspec(dllexport)

namespace
{
// lock guards every field; texts handed out stay put in the deque.
struct StandinWexla2State
{
    std::mutex lock;
    int nInit = 1;
    int nDump = 1;
    int nComment = 1;
    std::deque<std::string> calls;
};

StandinWexla2State& State()
{
    static StandinWexla2State state;
    return state;
}

void Record(const std::string& call)
{
    StandinWexla2State& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    state.calls.push_back(call);
}

int Result(int StandinWexla2State::*pnResult)
{
    StandinWexla2State& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    return state.*pnResult;
}
} // namespace

#ifndef WEXLA2_OMIT_INIT
STANDIN_EXPORT int __cdecl WexlaMiniDumpInit(void)
{
    Record("WexlaMiniDumpInit()");
    return Result(&StandinWexla2State::nInit);
}
#endif

#ifndef WEXLA2_OMIT_DUMP
STANDIN_EXPORT int __cdecl WexlaWriteMiniDumpUsingExceptionInfoWithBuildId(uint32_t uCode, void* pInfo,
                                                                         uint32_t uBuildId)
{
    char szCall[160];
    snprintf(szCall, sizeof(szCall), "WexlaWriteMiniDumpUsingExceptionInfoWithBuildId(%" PRIu32 ",%" PRIuPTR ",%" PRIu32 ")",
             uCode, reinterpret_cast<uintptr_t>(pInfo), uBuildId);
    Record(szCall);
    return Result(&StandinWexla2State::nDump);
}
#endif

#ifndef WEXLA2_OMIT_COMMENT
STANDIN_EXPORT int __cdecl WexlaWriteMiniDumpSetComment(const char* pszComment)
{
    Record(std::string("WexlaWriteMiniDumpSetComment(") + (pszComment ? pszComment : "(null)") + ")");
    return Result(&StandinWexla2State::nComment);
}
#endif

STANDIN_EXPORT void __cdecl StandinWexla2_SetResults(int nInit, int nDump, int nComment)
{
    StandinWexla2State& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    state.nInit = nInit;
    state.nDump = nDump;
    state.nComment = nComment;
    state.calls.clear();
}

STANDIN_EXPORT int __cdecl StandinWexla2_CallCount(void)
{
    StandinWexla2State& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    return static_cast<int>(state.calls.size());
}

STANDIN_EXPORT const char* __cdecl StandinWexla2_CallAt(int nIndex)
{
    StandinWexla2State& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    return nIndex >= 0 && static_cast<size_t>(nIndex) < state.calls.size() ? state.calls[nIndex].c_str() : nullptr;
}

STANDIN_EXPORT void __cdecl StandinWexla2_ClearCalls(void)
{
    StandinWexla2State& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    state.calls.clear();
}

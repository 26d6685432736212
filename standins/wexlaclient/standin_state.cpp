#include "standins/wexlaclient/standin_state.h"

#include <cstdarg>
#include <cstdio>

StandinClientState& Standin()
{
    static StandinClientState state;
    return state;
}

void StandinClientState::ResetLocked()
{
    hConnection = 1;
    hUser = 1;
    uRunningAppId = 0;
    uIdentity = 0;
    refused.clear();
    apps.clear();
    calls.clear();
}

void RecordCall(const char* pszFormat, ...)
{
    char szCall[512];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(szCall, sizeof(szCall), pszFormat, args);
    va_end(args);
    StandinClientState& state = Standin();
    std::lock_guard<std::mutex> hold(state.lock);
    state.calls.emplace_back(szCall);
}

bool IsRefused(const char* pszVersion)
{
    StandinClientState& state = Standin();
    std::lock_guard<std::mutex> hold(state.lock);
    return pszVersion && state.refused.count(pszVersion) != 0;
}

#include "core/trace_log.h"

#include "core/platform.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace
{
// The log file, opened on first use.
struct TraceLogState
{
    std::mutex lock;       // guards everything below
    bool bDecided = false; // the environment has been read
    FILE* pFile = nullptr; // null: no log

    void Open(const char* pszPath)
    {
        if (pFile)
            fclose(pFile);
        pFile = (pszPath && *pszPath) ? fopen(pszPath, "ab") : nullptr;
        bDecided = true;
    }
};

TraceLogState& State()
{
    // Never destroyed: lines may still be written while the process ends.
    static TraceLogState* s_pState = new TraceLogState;
    return *s_pState;
}
} // namespace

void TraceLog_Write(const char* pszText)
{
    TraceLogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (!state.bDecided)
    {
        char szPath[1024];
        const uint32_t n = Plat_ReadEnvironmentVariable("WEXLA_LOG_FILE", szPath, sizeof(szPath));
        state.Open(n > 0 && n < sizeof(szPath) ? szPath : nullptr);
    }
    if (!state.pFile || !pszText)
        return;
    const size_t nLength = strlen(pszText);
    fwrite(pszText, 1, nLength, state.pFile);
    if (nLength == 0 || pszText[nLength - 1] != '\n')
        fputc('\n', state.pFile);
    fflush(state.pFile);
}

void TraceLog_SetPathForTesting(const char* pszPath)
{
    TraceLogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    state.Open(pszPath);
    state.bDecided = pszPath != nullptr;
}

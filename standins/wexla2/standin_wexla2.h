// Scripting exports of the stand-in Wexla2.dll, the legacy runtime library
// that writes minidumps (test infrastructure).
//
// It exports the three legacy minidump functions; each records its call and
// answers the scripted result. Call log texts, arguments in decimal:
//   WexlaMiniDumpInit()
//   WexlaWriteMiniDumpUsingExceptionInfoWithBuildId(code,information,buildid)
//   WexlaWriteMiniDumpSetComment(text)        "(null)" for a null text
//
// The same source is built in variants that leave out one export each, to
// show how wexla.dll copes with an incomplete library; each variant is a
// Wexla2.dll in its own folder beside the test programs:
//   wexla2/Wexla2.dll             all three
//   wexla2_noinit/Wexla2.dll      no WexlaMiniDumpInit
//   wexla2_nodump/Wexla2.dll      no WexlaWriteMiniDumpUsingExceptionInfoWithBuildId
//   wexla2_nocomment/Wexla2.dll   no WexlaWriteMiniDumpSetComment
#pragma once

#include <cstdint>

// X(result, name, parameters)
#define STANDIN_WEXLA2_EXPORTS(X)                                                     \
    /* Results of the three functions (defaults 1, 1, 1); the log is emptied. */      \
    X(void, StandinWexla2_SetResults, (int nInit, int nDump, int nComment))           \
    X(int, StandinWexla2_CallCount, (void))                                           \
    X(const char*, StandinWexla2_CallAt, (int nIndex)) /* null past the end */        \
    X(void, StandinWexla2_ClearCalls, (void))

#if defined(_WIN32)
#include <windows.h>

struct StandinWexla2Api
{
#define STANDIN_WEXLA2_POINTER(result, name, params) result(__cdecl* name) params = nullptr;
    STANDIN_WEXLA2_EXPORTS(STANDIN_WEXLA2_POINTER)
#undef STANDIN_WEXLA2_POINTER

    // True when every export was found.
    bool Resolve(HMODULE hModule)
    {
        bool bAll = hModule != nullptr;
#define STANDIN_WEXLA2_RESOLVE(result, name, params)                                           \
    name = hModule ? reinterpret_cast<result(__cdecl*) params>(                                \
                         reinterpret_cast<void*>(GetProcAddress(hModule, #name)))              \
                   : nullptr;                                                                  \
    bAll = bAll && name != nullptr;
        STANDIN_WEXLA2_EXPORTS(STANDIN_WEXLA2_RESOLVE)
#undef STANDIN_WEXLA2_RESOLVE
        return bAll;
    }
};
#endif

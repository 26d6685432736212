// Scripting exports of the stand-in faultrelay.dll, the crash-report library
// (test infrastructure).
//
// It exports CreateInterface; for "faultrelay002" it answers an interface
// whose eight operations record their calls. Call log texts, numbers in
// decimal unless noted:
//   CreateInterface(name)
//   GetReportInfo()
//   BeginReport()=id                     id 7, or 0 with STANDIN_FAULTRELAY_REPORT_ID_ZERO
//   DescribeReport(id,product,version,stamp,flag,r1,r2)
//   SetReportValues(v1,v2)
//   SetReportComment(text)               "(null)" for a null text
//   WriteDump(id,code in hex,info)       info: "null", or "record" when it points at
//                                        exception pointers whose record has that code
//   EndReport(id)
//   Unused7()
// The flags are read from the environment variable STANDIN_FAULTRELAY_FLAGS
// (a decimal number) when the library is loaded, and can be changed later.
#pragma once

#include <cstdint>

enum
{
    STANDIN_FAULTRELAY_REPORT_ID_ZERO = 1, // BeginReport answers 0
    STANDIN_FAULTRELAY_NO_INFO = 2,        // GetReportInfo answers null
    STANDIN_FAULTRELAY_NO_INTERFACE = 4,   // CreateInterface answers null
    STANDIN_FAULTRELAY_ECHO = 8,           // each call is also printed "faultrelay: <entry>\n"
                                           // (line feeds in the entry as \n)
};

// The report information record answered by default: no product or version
// number, values 11 and 22.
#define STANDIN_FAULTRELAY_DEFAULT_INFO {0, 0, {11, 22}}

// X(result, name, parameters)
#define STANDIN_FAULTRELAY_EXPORTS(X)                                                              \
    X(void, StandinFaultRelay_SetFlags, (int nFlags))                                              \
    X(void, StandinFaultRelay_SetReportInfo,                                                       \
      (uint32_t nProduct, uint32_t nVersion, uint32_t nValue1, uint32_t nValue2))                  \
    X(int, StandinFaultRelay_CallCount, (void))                                                    \
    X(const char*, StandinFaultRelay_CallAt, (int nIndex)) /* null past the end */                 \
    X(void, StandinFaultRelay_ClearCalls, (void))

#if defined(_WIN32)
#include <windows.h>

struct StandinFaultRelayApi
{
#define STANDIN_FAULTRELAY_POINTER(result, name, params) result(__cdecl* name) params = nullptr;
    STANDIN_FAULTRELAY_EXPORTS(STANDIN_FAULTRELAY_POINTER)
#undef STANDIN_FAULTRELAY_POINTER

    // True when every export was found.
    bool Resolve(HMODULE hModule)
    {
        bool bAll = hModule != nullptr;
#define STANDIN_FAULTRELAY_RESOLVE(result, name, params)                                        \
    name = hModule ? reinterpret_cast<result(__cdecl*) params>(                                 \
                         reinterpret_cast<void*>(GetProcAddress(hModule, #name)))               \
                   : nullptr;                                                                   \
    bAll = bAll && name != nullptr;
        STANDIN_FAULTRELAY_EXPORTS(STANDIN_FAULTRELAY_RESOLVE)
#undef STANDIN_FAULTRELAY_RESOLVE
        return bAll;
    }
};
#endif

// The crash-report library faultrelay.dll, as the core runtime calls it. The
// library is built with MSVC: its interface is a table of __thiscall methods
// at fixed positions (counted from 1 in the comments), with a placeholder for
// the position this library never calls. No destructor sits in the table.
#pragma once

#include <cstdint>

#ifndef WEXLA_THISCALL
#if defined(_WIN32) && !defined(_WIN64)
#define WEXLA_THISCALL __thiscall
#else
#define WEXLA_THISCALL // one calling convention for methods on 64-bit
#endif
#endif

#if defined(_WIN32)
#define FAULTRELAY_CDECL __cdecl
#else
#define FAULTRELAY_CDECL // the host build binds no library, but compiles the binding
#endif

// Module and interface names.
#define FAULTRELAY_LIBRARY_NAME "faultrelay.dll"
#define FAULTRELAY_INTERFACE_VERSION "faultrelay002"

// The library's exported factory "CreateInterface": an interface for the name,
// or null.
typedef void*(FAULTRELAY_CDECL* FaultRelayCreateInterfaceFn)(const char* pszVersion, int* pnReturnCode);

// The report information record, owned by the library.
struct FaultRelayReportInfo_t
{
    uint32_t nProduct;   // 0: none (the product name comes from the executable)
    uint32_t nVersion;   // 0: none (the version text is "1.0")
    uint32_t nValues[2]; // handed to SetReportValues
};

// "faultrelay002".
class IFaultRelay
{
public:
    virtual uint32_t WEXLA_THISCALL BeginReport() = 0; // 1
    virtual void WEXLA_THISCALL DescribeReport(uint32_t nReportId, const char* pszProduct,
                                               const char* pszVersion, const char* pszBuildStamp,
                                               uint32_t nFlag, uint32_t nReserved1,
                                               uint32_t nReserved2) = 0;                    // 2
    virtual void WEXLA_THISCALL EndReport(uint32_t nReportId) = 0;                        // 3
    virtual void WEXLA_THISCALL WriteDump(uint32_t nReportId, uint32_t nExceptionCode,
                                          void* pExceptionInfo) = 0;                      // 4
    virtual void WEXLA_THISCALL SetReportComment(const char* pszComment) = 0;             // 5
    virtual void WEXLA_THISCALL SetReportValues(uint32_t nValue1, uint32_t nValue2) = 0;  // 6
    virtual void WEXLA_THISCALL Unused7() = 0;                                            // 7
    virtual const FaultRelayReportInfo_t* WEXLA_THISCALL GetReportInfo() = 0;             // 8
};

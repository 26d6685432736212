// The stand-in crash-report library: records every call on its interface.
#include "public/faultrelay.h"
#include "standins/faultrelay/standin_faultrelay.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace
{
struct StandinState
{
    std::mutex mutex; // guards everything below
    int nFlags = 0;
    FaultRelayReportInfo_t info = STANDIN_FAULTRELAY_DEFAULT_INFO;
    std::vector<std::string> calls;

    StandinState()
    {
        if (const char* psz = getenv("STANDIN_FAULTRELAY_FLAGS"))
            nFlags = atoi(psz);
    }
};

StandinState& State()
{
    static StandinState s_state;
    return s_state;
}

bool HasFlag(int nFlag)
{
    std::lock_guard<std::mutex> guard(State().mutex);
    return (State().nFlags & nFlag) != 0;
}

void Record(const char* pszFormat, ...)
{
    char szEntry[2048];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(szEntry, sizeof(szEntry), pszFormat, args);
    va_end(args);
    StandinState& s = State();
    std::lock_guard<std::mutex> guard(s.mutex);
    s.calls.emplace_back(szEntry);
    if (s.nFlags & STANDIN_FAULTRELAY_ECHO)
    {
        // One line per call: line feeds inside are shown as \n.
        std::string line = szEntry;
        for (size_t i = 0; (i = line.find('\n', i)) != std::string::npos; i += 2)
            line.replace(i, 1, "\\n");
        printf("faultrelay: %s\n", line.c_str());
        fflush(stdout);
    }
}

const char* OrNull(const char* psz)
{
    return psz ? psz : "(null)";
}

class CStandinFaultRelay : public IFaultRelay
{
public:
    uint32_t WEXLA_THISCALL BeginReport() override
    {
        const uint32_t nId = HasFlag(STANDIN_FAULTRELAY_REPORT_ID_ZERO) ? 0 : 7;
        Record("BeginReport()=%u", nId);
        return nId;
    }
    void WEXLA_THISCALL DescribeReport(uint32_t nReportId, const char* pszProduct, const char* pszVersion,
                                       const char* pszBuildStamp, uint32_t nFlag, uint32_t nReserved1,
                                       uint32_t nReserved2) override
    {
        Record("DescribeReport(%u,%s,%s,%s,%u,%u,%u)", nReportId, OrNull(pszProduct), OrNull(pszVersion),
               OrNull(pszBuildStamp), nFlag, nReserved1, nReserved2);
    }
    void WEXLA_THISCALL EndReport(uint32_t nReportId) override { Record("EndReport(%u)", nReportId); }
    void WEXLA_THISCALL WriteDump(uint32_t nReportId, uint32_t nExceptionCode, void* pExceptionInfo) override
    {
        const char* pszInfo = "null";
        if (pExceptionInfo)
        {
            const EXCEPTION_POINTERS* p = static_cast<const EXCEPTION_POINTERS*>(pExceptionInfo);
            pszInfo = p->ExceptionRecord && p->ContextRecord &&
                              p->ExceptionRecord->ExceptionCode == nExceptionCode
                          ? "record"
                          : "bad-record";
        }
        Record("WriteDump(%u,%x,%s)", nReportId, nExceptionCode, pszInfo);
    }
    void WEXLA_THISCALL SetReportComment(const char* pszComment) override
    {
        Record("SetReportComment(%s)", OrNull(pszComment));
    }
    void WEXLA_THISCALL SetReportValues(uint32_t nValue1, uint32_t nValue2) override
    {
        Record("SetReportValues(%u,%u)", nValue1, nValue2);
    }
    void WEXLA_THISCALL Unused7() override { Record("Unused7()"); }
    const FaultRelayReportInfo_t* WEXLA_THISCALL GetReportInfo() override
    {
        Record("GetReportInfo()");
        return HasFlag(STANDIN_FAULTRELAY_NO_INFO) ? nullptr : &State().info;
    }
};

CStandinFaultRelay g_interface;
} // namespace

extern "C" {
__declspec(dllexport) void* __cdecl CreateInterface(const char* pszVersion, int* pnReturnCode)
{
    Record("CreateInterface(%s)", OrNull(pszVersion));
    const bool bKnown = pszVersion && strcmp(pszVersion, FAULTRELAY_INTERFACE_VERSION) == 0 &&
                        !HasFlag(STANDIN_FAULTRELAY_NO_INTERFACE);
    if (pnReturnCode)
        *pnReturnCode = bKnown ? 0 : 1;
    return bKnown ? static_cast<IFaultRelay*>(&g_interface) : nullptr;
}

__declspec(dllexport) void __cdecl StandinFaultRelay_SetFlags(int nFlags)
{
    std::lock_guard<std::mutex> guard(State().mutex);
    State().nFlags = nFlags;
}

__declspec(dllexport) void __cdecl StandinFaultRelay_SetReportInfo(uint32_t nProduct, uint32_t nVersion,
                                                                   uint32_t nValue1, uint32_t nValue2)
{
    std::lock_guard<std::mutex> guard(State().mutex);
    State().info = {nProduct, nVersion, {nValue1, nValue2}};
}

__declspec(dllexport) int __cdecl StandinFaultRelay_CallCount(void)
{
    std::lock_guard<std::mutex> guard(State().mutex);
    return static_cast<int>(State().calls.size());
}

__declspec(dllexport) const char* __cdecl StandinFaultRelay_CallAt(int nIndex)
{
    std::lock_guard<std::mutex> guard(State().mutex);
    const auto& calls = State().calls;
    return nIndex >= 0 && nIndex < static_cast<int>(calls.size()) ? calls[nIndex].c_str() : nullptr;
}

__declspec(dllexport) void __cdecl StandinFaultRelay_ClearCalls(void)
{
    std::lock_guard<std::mutex> guard(State().mutex);
    State().calls.clear();
}
}

#include "core/crashreport.h"

#include "core/coretext.h"
#include "core/platform_system.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr size_t kPathSize = 260;

// The process-wide binding. Built on first use without a lock: assertion
// dumps bind under the minidump lock, guarded runs before their function
// starts.
struct CrashReportBinding
{
    bool bBound = false; // attempted (set first, so it happens once)
    IFaultRelay* pInterface = nullptr;
    const FaultRelayReportInfo_t* pInfo = nullptr;
    FaultRelayCreateInterfaceFn pfnFactory = nullptr;
    void* hModule = nullptr;
    char szLibraryPath[kPathSize] = "";
    bool bTextsMade = false;
    char szProductName[128] = "";
    char szVersionText[128] = "";
    char szBuildStamp[CRASHREPORT_BUILD_STAMP_SIZE] = "";

    ~CrashReportBinding() { CrashReport_Unbind(); }
};
CrashReportBinding g_binding;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Product name, version text and build stamp, made once.
void MakeReportTexts()
{
    CrashReportBinding& b = g_binding;
    if (b.bTextsMade)
        return;
    b.bTextsMade = true;
    char szExe[kPathSize * 3];
    const bool bExe = Plat_GetModulePath(nullptr, szExe, sizeof(szExe));
    CrashReport_MakeProductName(b.pInfo, bExe ? szExe : nullptr, b.szProductName,
                                sizeof(b.szProductName));
    CrashReport_MakeVersionText(b.pInfo, b.szVersionText, sizeof(b.szVersionText));
    CrashReport_MakeBuildStamp(__DATE__, __TIME__, b.szBuildStamp);
}

// Begin, Describe and Values: the common opening of both reports.
uint32_t OpenReport(uint32_t nFlag)
{
    CrashReportBinding& b = g_binding;
    MakeReportTexts();
    const uint32_t nId = b.pInterface->BeginReport();
    b.pInterface->DescribeReport(nId, b.szProductName, b.szVersionText, b.szBuildStamp, nFlag, 0, 0);
    b.pInterface->SetReportValues(b.pInfo ? b.pInfo->nValues[0] : 0, b.pInfo ? b.pInfo->nValues[1] : 0);
    return nId;
}

// A report id of 0 is no report: it gets no EndReport.
void CloseReport(uint32_t nId)
{
    if (nId != 0)
        g_binding.pInterface->EndReport(nId);
}
} // namespace

bool CrashReport_LibraryPath(const char* pszModulePath, char* pszOut, size_t nOutSize)
{
    static const char kName[] = FAULTRELAY_LIBRARY_NAME;
    if (!pszModulePath || !*pszModulePath || nOutSize == 0)
        return false;
    // The folder part ends after the last separator at position 1 or later.
    size_t nFolder = 0;
    for (size_t i = strlen(pszModulePath) - 1; i >= 1; --i)
    {
        if (IsSeparator(pszModulePath[i]))
        {
            nFolder = i + 1;
            break;
        }
    }
    if (nFolder > 0)
    {
        // A folder named bin: its parent (a relative "bin\" has the current
        // folder as parent).
        size_t nStart = nFolder - 1;
        while (nStart > 0 && !IsSeparator(pszModulePath[nStart - 1]))
            --nStart;
        if (nFolder - 1 - nStart == 3 && Core_CompareNoCase(pszModulePath + nStart, "bin", 3) == 0)
            nFolder = nStart;
    }
    if (nFolder + sizeof(kName) > nOutSize)
        return false;
    for (size_t i = 0; i < nFolder; ++i)
        pszOut[i] = pszModulePath[i] == '/' ? '\\' : pszModulePath[i];
    memcpy(pszOut + nFolder, kName, sizeof(kName));
    return true;
}

void CrashReport_MakeBuildStamp(const char* pszDate, const char* pszTime,
                                char (&szStamp)[CRASHREPORT_BUILD_STAMP_SIZE])
{
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int nMonth = 13;
    for (int i = 0; i < 12; ++i)
    {
        if (Core_CompareNoCase(pszDate, kMonths[i], 3) == 0)
        {
            nMonth = i + 1;
            break;
        }
    }
    const size_t nDateLength = strlen(pszDate);
    const int nDay = nDateLength > 4 ? atoi(pszDate + 4) : 0;
    const int nYear = nDateLength > 7 ? atoi(pszDate + 7) : 0;
    int nHours = 0, nMinutes = 0, nSeconds = 0;
    sscanf(pszTime, "%02d:%02d:%02d", &nHours, &nMinutes, &nSeconds);
    snprintf(szStamp, sizeof(szStamp), "%04d%02d%02d%02d%02d%02d", nYear, nMonth, nDay, nHours,
             nMinutes, nSeconds);
}

void CrashReport_MakeProductName(const FaultRelayReportInfo_t* pInfo, const char* pszExePath,
                                 char* pszOut, size_t nOutSize)
{
    if (pInfo && pInfo->nProduct != 0)
    {
        snprintf(pszOut, nOutSize, "%u", pInfo->nProduct);
        return;
    }
    const char* pszName = pszExePath;
    for (const char* p = pszExePath; p && *p; ++p)
    {
        if (IsSeparator(*p))
            pszName = p + 1;
    }
    const size_t nName = pszName ? strcspn(pszName, ".") : 0;
    if (nName == 0)
    {
        // No executable name: the platform's own name.
        Core_CopyText(pszOut, nOutSize, "Wexla");
        return;
    }
    size_t i = 0;
    for (; i < nName && i + 1 < nOutSize; ++i)
        pszOut[i] = static_cast<char>(tolower(static_cast<unsigned char>(pszName[i])));
    pszOut[i] = '\0';
}

void CrashReport_MakeVersionText(const FaultRelayReportInfo_t* pInfo, char* pszOut, size_t nOutSize)
{
    if (pInfo && pInfo->nVersion != 0)
        snprintf(pszOut, nOutSize, "%u", pInfo->nVersion);
    else
        Core_CopyText(pszOut, nOutSize, "1.0");
}

bool CrashReport_Bind()
{
    CrashReportBinding& b = g_binding;
    if (b.bBound)
        return b.pInterface != nullptr;
    b.bBound = true;

    // The core runtime is normally part of this library, so its module is
    // not loaded and the executable's path comes back.
    char szModule[kPathSize * 3];
    if (!Plat_GetModulePath("corelayer_s.dll", szModule, sizeof(szModule)))
        return false;
    if (!CrashReport_LibraryPath(szModule, b.szLibraryPath, sizeof(b.szLibraryPath)))
        return false;
    b.hModule = Sys_LoadModule(b.szLibraryPath);
    if (!b.hModule)
        return false;
    b.pfnFactory = reinterpret_cast<FaultRelayCreateInterfaceFn>(
        Plat_GetModuleSymbol(b.hModule, "CreateInterface"));
    if (b.pfnFactory)
        b.pInterface = static_cast<IFaultRelay*>(b.pfnFactory(FAULTRELAY_INTERFACE_VERSION, nullptr));
    if (b.pInterface)
        b.pInfo = b.pInterface->GetReportInfo();
    return b.pInterface != nullptr;
}

void CrashReport_Unbind()
{
    CrashReportBinding& b = g_binding;
    if (!b.bBound)
        return;
    b.bBound = false;
    b.pInterface = nullptr;
    b.pInfo = nullptr;
    b.pfnFactory = nullptr;
    Plat_FreeModule(b.hModule);
    b.hModule = nullptr;
}

void CrashReport_WriteAssertReport(const char* pszExpression, const char* pszSource, int nLine,
                                   uint32_t nFlag)
{
    if (!CrashReport_Bind())
        return;
    char szText[1024];
    snprintf(szText, sizeof(szText), "Assert( %s ):%s:%d\n", pszExpression, pszSource, nLine);
    fprintf(stderr, "%s\n", szText);
    IFaultRelay* pInterface = g_binding.pInterface;
    const uint32_t nId = OpenReport(nFlag);
    pInterface->SetReportComment(szText);
    pInterface->WriteDump(nId, 0, nullptr);
    pInterface->SetReportComment(nullptr);
    CloseReport(nId);
}

void CrashReport_WriteExceptionReport(uint32_t nExceptionCode, void* pExceptionInfo)
{
    if (!g_binding.pInterface)
        return;
    const uint32_t nId = OpenReport(0);
    g_binding.pInterface->WriteDump(nId, nExceptionCode, pExceptionInfo);
    CloseReport(nId);
}

#include "wrapper/wexla_frame.h"

#include "core/platform.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

bool bVerboseTrace = false;

TWexlaError* ClearWexlaError(TWexlaError* pError)
{
    if (pError)
    {
        pError->eKind = eWexlaErrorNone;
        pError->eDetailType = 0;
        pError->nDetailCode = 0;
        pError->szText[0] = '\0';
    }
    return pError;
}

void SetWexlaError(TWexlaError* pError, const char* pszText, int32_t eKind)
{
    pError->eKind = eKind;
    // A bounded copy that NUL-fills the rest of the field; every message the
    // library passes is far shorter than the field, so it stays terminated.
    size_t i = 0;
    for (; i < sizeof(pError->szText) && pszText[i]; ++i)
        pError->szText[i] = pszText[i];
    memset(pError->szText + i, 0, sizeof(pError->szText) - i);
}

void SetWexlaErrorKind(TWexlaError* pError, int32_t eKind)
{
    if (pError)
        pError->eKind = eKind;
}

void TraceMessage(const char* pszFormat, ...)
{
    char szBuffer[4096];
    va_list args;
    va_start(args, pszFormat);
    const int nLen = vsnprintf(szBuffer, sizeof(szBuffer), pszFormat, args);
    va_end(args);
    if (nLen <= 0 || nLen >= static_cast<int>(sizeof(szBuffer)))
    {
        if (nLen < 0)
            szBuffer[0] = '\0';
        ReportAssertion("Assertion Failed: len > 0", false, "platform", 403, 0);
    }
    Plat_OutputDebugString(szBuffer);
}

void EnableVerboseTraceFromCommandLine()
{
    if (strstr(Plat_GetCommandLine(), "-debugwexla2wrapper"))
        bVerboseTrace = true;
}

// The assertion dialog's decision whether an assertion stops in the debugger,
// and what its buttons do.
#include "core/assert_dialog.h"

#include "core/dbg.h"
#include "core/platform.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace
{
bool CommandLineHas(const char* pszSwitch)
{
    return strstr(Plat_GetCommandLine(), pszSwitch) != nullptr;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The dialog of the process; used only by the main thread. Asserts once
// disabled stay disabled.
CAssertDialog g_dialog;
} // namespace

bool AssertDialog_ParseNumber(const char* pszText, int* pnValue)
{
    if (!pszText)
        return false;
    while (IsBlank(*pszText))
        ++pszText;
    long long nValue = 0;
    const char* p = pszText;
    for (; *p >= '0' && *p <= '9'; ++p)
    {
        nValue = nValue * 10 + (*p - '0');
        if (nValue > INT_MAX)
            return false;
    }
    if (p == pszText)
        return false;
    while (IsBlank(*p))
        ++p;
    if (*p)
        return false;
    *pnValue = static_cast<int>(nValue);
    return true;
}

int CAssertDialog::FieldOfButton(int nControlId)
{
    switch (nControlId)
    {
    case IDC_IGNORE_NEARBY:
        return IDC_NEARBY_LINES;
    case IDC_IGNORE_TIMES:
        return IDC_TIMES;
    default:
        return 0;
    }
}

bool CAssertDialog::OnButton(int nControlId, const char* pszFieldText)
{
    int nValue = 0;
    switch (nControlId)
    {
    case IDC_IGNORE_FILE:
        m_ignoreList.Add(m_pszSource, ASSERT_IGNORE_WHOLE_FILE, ASSERT_IGNORE_WHOLE_FILE,
                         ASSERT_IGNORE_FOREVER);
        return true;
    case IDC_IGNORE_NEARBY:
    {
        // The lines value on either side of this line.
        if (!AssertDialog_ParseNumber(pszFieldText, &nValue) || nValue == 0)
            return false;
        m_nLinesValue = nValue;
        const long long nFirst = static_cast<long long>(m_nLine) - nValue;
        const long long nLast = static_cast<long long>(m_nLine) + nValue;
        m_ignoreList.Add(m_pszSource, nFirst < 0 ? 0 : static_cast<int>(nFirst),
                         nLast > INT_MAX ? INT_MAX : static_cast<int>(nLast), ASSERT_IGNORE_FOREVER);
        return true;
    }
    case IDC_IGNORE_TIMES:
        // This assertion n times in all: this one and the next n - 1.
        if (AssertDialog_ParseNumber(pszFieldText, &nValue) && nValue > 1)
        {
            m_ignoreList.Add(m_pszSource, m_nLine, m_nLine, nValue);
            m_nTimesValue = nValue;
        }
        return true;
    case IDC_BREAK:
        m_bBreakRequested = true;
        return true;
    case IDC_IGNORE_ALL:
        m_bAssertsEnabled = false;
        return true;
    case IDC_IGNORE_LINE:
        m_ignoreList.Add(m_pszSource, m_nLine, m_nLine, ASSERT_IGNORE_FOREVER);
        return true;
    default:
        return false;
    }
}

bool CAssertDialog::ClipboardText(char* pszOut, size_t nOutSize) const
{
    const int n = snprintf(pszOut, nOutSize, "File: %s\r\nLine: %d\r\nAssertion: %s\r\n", m_pszSource,
                           m_nLine, m_pszMessage);
    return n >= 0 && static_cast<size_t>(n) < nOutSize;
}

bool CAssertDialog::Decide(const char* pszSource, int nLine, const char* pszMessage)
{
    if (!m_bAssertsEnabled)
        return false;
    if (m_ignoreList.Ignores(pszSource, nLine))
        return false;
    m_pszSource = pszSource ? pszSource : "";
    m_nLine = nLine;
    m_pszMessage = pszMessage ? pszMessage : "";
    m_bBreakRequested = false;
    Plat_ShowAssertDialog(*this);
    return m_bBreakRequested;
}

bool ShouldBreakOnAssert(const char* pszSource, int nLine, const char* pszMessage)
{
    if (CommandLineHas("-noassert") || CommandLineHas("-nocrashdialog"))
        return false;
    if (Plat_GetCurrentThreadId() != GetMainThreadId())
        return Plat_IsDebuggerPresent();
    if (CommandLineHas("-debugbreak"))
        return true;
    return g_dialog.Decide(pszSource, nLine, pszMessage);
}

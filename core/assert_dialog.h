// The assertion dialog: what it shows and what its buttons do. The window
// itself is platform code (Plat_ShowAssertDialog); ShouldBreakOnAssert
// (core/dbg.h) decides when it is shown.
#pragma once

#include "core/assert_dialog_ids.h"
#include "core/assert_ignore_list.h"

#include <cstddef>

class CAssertDialog
{
public:
    // The assertion on show (valid while the dialog is open).
    const char* Source() const { return m_pszSource; }
    int Line() const { return m_nLine; }
    const char* Message() const { return m_pszMessage; }
    // What the two number fields show when the dialog opens.
    int LinesValue() const { return m_nLinesValue; }
    int TimesValue() const { return m_nTimesValue; }

    // A button of the dialog, with the text of its number field for the two
    // buttons that have one (FieldOfButton). True when the dialog closes.
    bool OnButton(int nControlId, const char* pszFieldText);
    // The number field read by a button, or 0.
    static int FieldOfButton(int nControlId);

    // "File: %s\r\nLine: %d\r\nAssertion: %s\r\n"; false when it does not fit.
    bool ClipboardText(char* pszOut, size_t nOutSize) const;

    // Steps of ShouldBreakOnAssert from the "asserts enabled" check on: the
    // ignore list, then the dialog; true when its break button was pressed.
    bool Decide(const char* pszSource, int nLine, const char* pszMessage);

private:
    bool m_bAssertsEnabled = true;
    int m_nLinesValue = 5;
    int m_nTimesValue = 1;
    bool m_bBreakRequested = false;
    CAssertIgnoreList m_ignoreList;
    const char* m_pszSource = "";
    int m_nLine = 0;
    const char* m_pszMessage = "";
};

// Reads a dialog number field: blanks around decimal digits, at most
// 2147483647. False for anything else (signs included).
bool AssertDialog_ParseNumber(const char* pszText, int* pnValue);

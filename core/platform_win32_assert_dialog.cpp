// The assertion dialog's window: template 101, the controls filled from the
// dialog model, its buttons handed back to it, and the clipboard copy.
#include "core/assert_dialog.h"
#include "core/platform.h"

#include <windows.h>

#include <cstring>

namespace
{
// The first visible top-level window of this process.
BOOL CALLBACK FindVisibleWindow(HWND hWnd, LPARAM lParam)
{
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(hWnd, &nProcessId);
    if (nProcessId != GetCurrentProcessId() || !IsWindowVisible(hWnd))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

HWND VisibleProcessWindow()
{
    HWND hFound = nullptr;
    EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&hFound));
    return hFound;
}

// The module that holds this code (wexla.dll in the product).
HMODULE OwnModule()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&VisibleProcessWindow), &hModule);
    return hModule;
}

bool HasTemplate(HMODULE hModule)
{
    return hModule && FindResourceA(hModule, MAKEINTRESOURCEA(IDD_ASSERT_DIALOG), RT_DIALOG);
}

// Ends a dialog built from a main module's template 101 that is not this
// dialog (it lacks the message text or the break button); the library's own
// template is shown instead, as when the main module's cannot be shown (-1).
constexpr INT_PTR kForeignTemplate = -2;

bool CopyToClipboard(HWND hDlg, const CAssertDialog& dialog)
{
    char szText[4096];
    dialog.ClipboardText(szText, sizeof(szText)); // a cut text is still worth copying
    const size_t nSize = strlen(szText) + 1;
    if (!OpenClipboard(hDlg))
        return false;
    bool bCopied = false;
    if (EmptyClipboard())
    {
        HGLOBAL hMemory = GlobalAlloc(GMEM_MOVEABLE, nSize);
        void* pMemory = hMemory ? GlobalLock(hMemory) : nullptr;
        if (pMemory)
        {
            memcpy(pMemory, szText, nSize);
            GlobalUnlock(hMemory);
            bCopied = SetClipboardData(CF_TEXT, hMemory) != nullptr;
        }
        if (hMemory && !bCopied)
            GlobalFree(hMemory); // the clipboard owns it only after a successful set
    }
    CloseClipboard();
    return bCopied;
}

void CentreOnDesktop(HWND hDlg)
{
    RECT rcDesktop, rcDialog;
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    GetWindowRect(hDlg, &rcDialog);
    const int nWidth = rcDialog.right - rcDialog.left;
    const int nHeight = rcDialog.bottom - rcDialog.top;
    SetWindowPos(hDlg, nullptr, rcDesktop.left + (rcDesktop.right - rcDesktop.left - nWidth) / 2,
                 rcDesktop.top + (rcDesktop.bottom - rcDesktop.top - nHeight) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR CALLBACK AssertDialogProc(HWND hDlg, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    CAssertDialog* pDialog = reinterpret_cast<CAssertDialog*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    switch (nMessage)
    {
    case WM_INITDIALOG:
        pDialog = reinterpret_cast<CAssertDialog*>(lParam);
        SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
        if (!GetDlgItem(hDlg, IDC_ASSERT_MESSAGE) || !GetDlgItem(hDlg, IDC_BREAK))
        {
            EndDialog(hDlg, kForeignTemplate);
            return TRUE;
        }
        SetDlgItemTextA(hDlg, IDC_ASSERT_MESSAGE, pDialog->Message());
        SetDlgItemTextA(hDlg, IDC_ASSERT_SOURCE, pDialog->Source());
        SetDlgItemInt(hDlg, IDC_ASSERT_LINE, static_cast<UINT>(pDialog->Line()), TRUE);
        SetDlgItemInt(hDlg, IDC_NEARBY_LINES, static_cast<UINT>(pDialog->LinesValue()), FALSE);
        SetDlgItemInt(hDlg, IDC_TIMES, static_cast<UINT>(pDialog->TimesValue()), FALSE);
        CentreOnDesktop(hDlg);
        return TRUE;

    case WM_COMMAND:
    {
        if (!pDialog || HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        const int nId = LOWORD(wParam);
        if (nId == IDC_ASSERT_CANCEL)
        {
            EndDialog(hDlg, 0);
            return TRUE;
        }
        if (nId == IDC_COPY)
        {
            if (!CopyToClipboard(hDlg, *pDialog))
                MessageBoxA(hDlg, "Couldn't copy to clipboard.", "Assert", MB_OK | MB_ICONERROR);
            return TRUE;
        }
        char szField[64] = "";
        if (const int nField = CAssertDialog::FieldOfButton(nId))
            GetDlgItemTextA(hDlg, nField, szField, sizeof(szField));
        if (pDialog->OnButton(nId, szField))
            EndDialog(hDlg, 0);
        return TRUE;
    }
    default:
        return FALSE;
    }
}
} // namespace

void Plat_ShowAssertDialog(CAssertDialog& dialog)
{
    HWND hOwner = VisibleProcessWindow();
    if (!hOwner)
    {
        MessageBoxA(nullptr, dialog.Message(), "Assert Dialog", MB_OK | MB_TASKMODAL);
        return;
    }
    // A game that brings its own template 101 with this dialog's controls
    // gets its layout; otherwise the template this library carries.
    const LPARAM lParam = reinterpret_cast<LPARAM>(&dialog);
    HMODULE hMain = GetModuleHandleA(nullptr);
    if (HasTemplate(hMain))
    {
        const INT_PTR nResult =
            DialogBoxParamA(hMain, MAKEINTRESOURCEA(IDD_ASSERT_DIALOG), hOwner, AssertDialogProc, lParam);
        if (nResult != kForeignTemplate && nResult != -1)
            return;
    }
    HMODULE hOwn = OwnModule();
    if (hOwn != hMain && HasTemplate(hOwn))
        DialogBoxParamA(hOwn, MAKEINTRESOURCEA(IDD_ASSERT_DIALOG), hOwner, AssertDialogProc, lParam);
}

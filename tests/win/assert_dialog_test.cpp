// The assertion dialog's window, driven through its window messages from a
// second thread while the main thread waits in ShouldBreakOnAssert: its
// texts, its buttons and number fields, the clipboard copy, and the message
// box shown when the process has no visible window. Windows need a display
// (scripts/test.sh starts a virtual one); without one these tests are
// skipped.
#include "core/assert_dialog_ids.h"
#include "core/dbg.h"
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace wintest;

namespace
{
const char kDialogCaption[] = "Assertion Failed";

struct FindRequest
{
    const char* pszCaption;
    HWND hFound;
};

BOOL CALLBACK MatchDialog(HWND hWnd, LPARAM lParam)
{
    FindRequest* pRequest = reinterpret_cast<FindRequest*>(lParam);
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(hWnd, &nProcessId);
    char szClass[16] = "";
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (nProcessId != GetCurrentProcessId() || strcmp(szClass, "#32770") != 0 || !IsWindowVisible(hWnd))
        return TRUE;
    // The caption as stored: asking the window would send a message to its
    // thread, which need not be pumping messages at this moment.
    wchar_t wszCaption[64] = L"";
    InternalGetWindowText(hWnd, wszCaption, 64);
    char szCaption[64] = "";
    WideCharToMultiByte(CP_ACP, 0, wszCaption, -1, szCaption, sizeof(szCaption), nullptr, nullptr);
    if (strcmp(szCaption, pRequest->pszCaption) == 0)
    {
        pRequest->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog or message box of this process with that caption.
HWND FindDialog(const char* pszCaption)
{
    FindRequest request = {pszCaption, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&request));
    return request.hFound;
}

HWND WaitForDialog(const char* pszCaption)
{
    for (int i = 0; i < 2000; ++i)
    {
        if (HWND h = FindDialog(pszCaption))
            return h;
        Sleep(5);
    }
    return nullptr;
}

std::string ItemText(HWND hDlg, int nId)
{
    char sz[512] = "";
    GetDlgItemTextA(hDlg, nId, sz, sizeof(sz));
    return sz;
}

void Click(HWND hDlg, int nId)
{
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hDlg, nId)));
}

// Answers each dialog with that caption as it appears, with the next action
// of the script (the cancel button once the script is used up). Every action
// must leave the dialog closed.
class DialogDriver
{
public:
    typedef std::function<void(HWND)> Action;

    DialogDriver(const char* pszCaption, std::vector<Action> actions)
        : m_pszCaption(pszCaption), m_actions(std::move(actions)), m_thread([this] { Drive(); })
    {
    }
    ~DialogDriver()
    {
        m_bStop = true;
        m_thread.join();
    }
    int Seen() const { return m_nSeen; }

private:
    void Drive()
    {
        while (!m_bStop)
        {
            HWND hDlg = FindDialog(m_pszCaption);
            if (!hDlg)
            {
                Sleep(5);
                continue;
            }
            const size_t nIndex = static_cast<size_t>(m_nSeen++);
            if (nIndex < m_actions.size())
                m_actions[nIndex](hDlg);
            else
                Click(hDlg, IDC_ASSERT_CANCEL);
            while (IsWindow(hDlg) && IsWindowVisible(hDlg))
                Sleep(5);
        }
    }

    const char* m_pszCaption;
    std::vector<Action> m_actions;
    std::atomic<int> m_nSeen{0};
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

// A visible top-level window of the "game", the dialog's owner.
class GameWindow
{
public:
    GameWindow()
        : m_hWnd(CreateWindowExA(0, "STATIC", "game", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr))
    {
    }
    ~GameWindow()
    {
        if (m_hWnd)
            DestroyWindow(m_hWnd);
    }
    HWND Handle() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

#define REQUIRE_DISPLAY(window)                                                          \
    if (!(window).Handle())                                                              \
    GTEST_SKIP() << "no display for windows (scripts/test.sh starts a virtual one)"

struct Later
{
    int nLine;
    bool bShows;
};

// One scripted run of the ignore-all button, in a child: asserts stay off.
const ChildScenario kScenarios[] = {
    {"dialog-ignore-all", [] {
         GameWindow window;
         int nSeen = -1;
         {
             DialogDriver driver(kDialogCaption, {[](HWND h) { Click(h, IDC_IGNORE_ALL); }});
             ShouldBreakOnAssert("all.cpp", 1, "Assertion Failed: a");
             ShouldBreakOnAssert("other.cpp", 2, "Assertion Failed: b");
             ShouldBreakOnAssert("all.cpp", 1, "Assertion Failed: a");
             nSeen = driver.Seen();
         }
         printf("window %d seen %d\n", window.Handle() ? 1 : 0, nSeen);
         fflush(stdout);
         ExitProcess(0);
     }},
};
const ChildScenarioRegistration kRegistration(kScenarios, sizeof(kScenarios) / sizeof(kScenarios[0]));
} // namespace

TEST(AssertDialogWindow, ShowsTheAssertionOwnedByTheGamesWindowAndBreaks)
{
    GameWindow window;
    REQUIRE_DISPLAY(window);
    std::vector<std::string> texts;
    HWND hOwner = nullptr;
    RECT rcDialog = {}, rcDesktop = {};
    DialogDriver driver(kDialogCaption, {[&](HWND h) {
                            for (int nId : {IDC_ASSERT_MESSAGE, IDC_ASSERT_SOURCE, IDC_ASSERT_LINE,
                                            IDC_NEARBY_LINES, IDC_TIMES})
                                texts.push_back(ItemText(h, nId));
                            hOwner = GetWindow(h, GW_OWNER);
                            GetWindowRect(h, &rcDialog);
                            GetWindowRect(GetDesktopWindow(), &rcDesktop);
                            Click(h, IDC_BREAK);
                        }});
    EXPECT_TRUE(ShouldBreakOnAssert("C:\\game\\src\\dlg.cpp", 31, "Assertion Failed: p != 0"));
    EXPECT_EQ(1, driver.Seen());
    EXPECT_EQ((std::vector<std::string>{"Assertion Failed: p != 0", "C:\\game\\src\\dlg.cpp", "31", "5", "1"}),
              texts);
    EXPECT_EQ(window.Handle(), hOwner);
    // Centred on the desktop (to the pixel, give or take rounding).
    EXPECT_LE(abs((rcDialog.left + rcDialog.right) - (rcDesktop.left + rcDesktop.right)), 2);
    EXPECT_LE(abs((rcDialog.top + rcDialog.bottom) - (rcDesktop.top + rcDesktop.bottom)), 2);
}

TEST(AssertDialogWindow, ButtonsAndNumberFieldsDecideWhichAssertionsShowItAgain)
{
    GameWindow window;
    REQUIRE_DISPLAY(window);
    struct Case
    {
        const char* pszSource; // one per case: the ignore list lives as long as the process
        int nField;
        const char* pszFieldText;
        int nButton;
        bool bStaysOpen;
        std::vector<Later> later;
    };
    const Case cases[] = {
        {"win_line.cpp", 0, "", IDC_IGNORE_LINE, false, {{40, false}, {41, true}}},
        {"win_file.cpp", 0, "", IDC_IGNORE_FILE, false, {{40, false}, {7, false}}},
        {"win_nearby.cpp", IDC_NEARBY_LINES, "2", IDC_IGNORE_NEARBY, false,
         {{38, false}, {42, false}, {37, true}, {43, true}}},
        {"win_nearby_bad.cpp", IDC_NEARBY_LINES, "0", IDC_IGNORE_NEARBY, true, {{40, true}}},
        {"win_times.cpp", IDC_TIMES, "3", IDC_IGNORE_TIMES, false, {{40, false}, {40, false}, {40, true}}},
        {"win_cancel.cpp", 0, "", IDC_ASSERT_CANCEL, false, {{40, true}}},
    };
    for (const Case& c : cases)
    {
        bool bOpenAfterClick = false;
        DialogDriver driver(kDialogCaption, {[&](HWND h) {
                                if (c.nField)
                                    SetDlgItemTextA(h, c.nField, c.pszFieldText);
                                Click(h, c.nButton);
                                bOpenAfterClick = IsWindow(h) && IsWindowVisible(h);
                                if (bOpenAfterClick)
                                    Click(h, IDC_ASSERT_CANCEL);
                            }});
        EXPECT_FALSE(ShouldBreakOnAssert(c.pszSource, 40, "Assertion Failed: q"));
        EXPECT_EQ(c.bStaysOpen, bOpenAfterClick) << c.pszSource;
        int nExpected = 1;
        for (const Later& l : c.later)
        {
            EXPECT_FALSE(ShouldBreakOnAssert(c.pszSource, l.nLine, "Assertion Failed: q"));
            nExpected += l.bShows ? 1 : 0;
            EXPECT_EQ(nExpected, driver.Seen()) << c.pszSource << ":" << l.nLine;
        }
    }
}

TEST(AssertDialogWindow, CopyPutsTheAssertionOnTheClipboardOrSaysItCouldNot)
{
    GameWindow window;
    REQUIRE_DISPLAY(window);
    std::string clipboard;
    bool bOpenAfterCopy = false;
    std::string boxText;
    HWND hBoxOwner = nullptr, hDialog = nullptr;
    DialogDriver driver(kDialogCaption, {[&](HWND h) {
                            hDialog = h;
                            Click(h, IDC_COPY);
                            bOpenAfterCopy = IsWindowVisible(h) != FALSE;
                            if (OpenClipboard(nullptr))
                            {
                                if (HANDLE hData = GetClipboardData(CF_TEXT))
                                {
                                    clipboard = static_cast<const char*>(GlobalLock(hData));
                                    GlobalUnlock(hData);
                                }
                                // Held open here, the dialog cannot have it.
                                PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_COPY, BN_CLICKED),
                                             reinterpret_cast<LPARAM>(GetDlgItem(h, IDC_COPY)));
                                if (HWND hBox = WaitForDialog("Assert"))
                                {
                                    boxText = ItemText(hBox, 0xFFFF);
                                    hBoxOwner = GetWindow(hBox, GW_OWNER);
                                    PostMessageA(hBox, WM_COMMAND, IDOK, 0);
                                    while (IsWindow(hBox))
                                        Sleep(5);
                                }
                                CloseClipboard();
                            }
                            Click(h, IDC_ASSERT_CANCEL);
                        }});
    EXPECT_FALSE(ShouldBreakOnAssert("C:\\src\\clip.cpp", 42, "Assertion Failed: n < 4"));
    EXPECT_TRUE(bOpenAfterCopy);
    EXPECT_EQ("File: C:\\src\\clip.cpp\r\nLine: 42\r\nAssertion: Assertion Failed: n < 4\r\n", clipboard);
    EXPECT_EQ("Couldn't copy to clipboard.", boxText);
    EXPECT_EQ(hDialog, hBoxOwner);
}

TEST(AssertDialogWindow, WithoutAVisibleWindowAMessageBoxShowsTheMessage)
{
    {
        GameWindow probe;
        REQUIRE_DISPLAY(probe);
    }
    std::string text;
    HWND hOwner = reinterpret_cast<HWND>(1);
    DialogDriver driver("Assert Dialog", {[&](HWND h) {
                            text = ItemText(h, 0xFFFF);
                            hOwner = GetWindow(h, GW_OWNER);
                            PostMessageA(h, WM_COMMAND, IDOK, 0);
                        }});
    EXPECT_FALSE(ShouldBreakOnAssert("box.cpp", 3, "Assertion Failed: no window"));
    EXPECT_EQ(1, driver.Seen());
    EXPECT_EQ("Assertion Failed: no window", text);
    EXPECT_EQ(nullptr, hOwner);
}

TEST(AssertDialogWindow, IgnoreAllTurnsAssertsOffForTheRestOfTheProcess)
{
    {
        GameWindow probe;
        REQUIRE_DISPLAY(probe);
    }
    const ChildResult r = RunChildScenario("dialog-ignore-all");
    EXPECT_EQ(0u, r.nExitCode);
    EXPECT_EQ("window 1 seen 1\n", r.out);
}

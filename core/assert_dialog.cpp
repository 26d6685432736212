// The assertion dialog's decision whether an assertion stops in the debugger.
#include "core/dbg.h"

#include "core/platform.h"

#include <cstring>

namespace
{
bool CommandLineHas(const char* pszSwitch)
{
    return strstr(Plat_GetCommandLine(), pszSwitch) != nullptr;
}

// Dialog state of the process; asserts once disabled stay disabled.
struct AssertDialogState
{
    bool bAssertsEnabled = true;
};
AssertDialogState g_dialog;
} // namespace

bool ShouldBreakOnAssert(const char* /*pszSource*/, int /*nLine*/, const char* /*pszMessage*/)
{
    if (CommandLineHas("-noassert") || CommandLineHas("-nocrashdialog"))
        return false;
    if (Plat_GetCurrentThreadId() != GetMainThreadId())
        return Plat_IsDebuggerPresent();
    if (CommandLineHas("-debugbreak"))
        return true;
    if (!g_dialog.bAssertsEnabled)
        return false;
    // The ignore list and the dialog itself are not present yet: nothing is
    // shown and the answer is "do not break".
    return false;
}

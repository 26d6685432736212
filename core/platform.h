// The platform layer: the few operating-system services the portable code needs.
// platform_win32.cpp is the real thing; platform_posix.cpp is enough for host tests.
#pragma once

#include <cstddef>
#include <cstdint>

// Text to the debugger output stream (OutputDebugStringA on Windows).
void Plat_OutputDebugString(const char* pszText);

// True when a debugger is attached to this process.
bool Plat_IsDebuggerPresent();

// A debug break trap. Without a debugger this ends the process through the
// system's unhandled-exception path.
void Plat_DebugBreak();

// Ends the process at once with the exit code, after flushing standard output
// (a buffered message would otherwise be lost when standard output is a pipe).
[[noreturn]] void Plat_TerminateProcess(int nExitCode);

// The process command line as one text (GetCommandLineA on Windows).
const char* Plat_GetCommandLine();

// True when the environment variable exists (even when empty).
bool Plat_HasEnvironmentVariable(const char* pszName);

// The current working directory; false when it cannot be read or does not fit.
bool Plat_GetCurrentDirectory(char* pszOut, size_t nOutSize);

// Numeric id of the calling thread.
uint32_t Plat_GetCurrentThreadId();

// Gives the calling thread a name for debuggers (best effort).
void Plat_SetThreadName(const char* pszName);

// Sleeps the calling thread; 0 yields the rest of its time slice.
void Plat_Sleep(uint32_t nMilliseconds);

// Milliseconds from an arbitrary start, for time-outs and rate limits.
uint64_t Plat_MillisecondsNow();

// Version verification of the running Windows (VerifyVersionInfo): true when
// its version is at least nMajor.nMinor. The POSIX stand-in answers as
// Windows 10 (version 10.0).
bool Plat_IsWindowsVersionAtLeast(int nMajor, int nMinor);

// True when the running Windows is a workstation product rather than a
// server (version verification of the product type). The POSIX stand-in
// answers true.
bool Plat_IsWindowsWorkstation();

// Modules. Paths are UTF-8 texts.
// The file path of the loaded module of that name (nullptr: the process's
// executable), converted from UTF-16; false when no such module is loaded or
// the path does not fit.
bool Plat_GetModuleFilePath(const char* pszModuleName, char* pszOut, size_t nOutSize);
// Loads a library by path: its UTF-16 form with LoadLibraryExW and the altered
// search path, then the text itself with LoadLibraryExA. Null on failure; the
// POSIX stand-in loads nothing.
void* Plat_LoadLibrary(const char* pszPath);
void* Plat_GetProcAddress(void* hModule, const char* pszName);
void Plat_FreeLibrary(void* hModule);

// Threads: starts pfn(pArg) on a new thread; null when it cannot be started.
typedef uint32_t (*PlatThreadFn)(void* pArg);
void* Plat_CreateThread(PlatThreadFn pfn, void* pArg);
// Waits for the thread to end, releases its handle and returns its result.
uint32_t Plat_JoinThread(void* hThread);

// Structured exceptions: calls pfn(pArg) under an exception frame of the
// calling thread. A structured exception that no handler inside pfn takes is
// handed to pfnEscaped (exception code, the system's exception pointers,
// whether this is the innermost guarded call it leaves, pContext) before it
// goes on to the handlers outside; enclosing guarded calls get the same
// exception with bInnermost false. C++ exceptions pass through untouched.
// pfnEscaped may end the process. The POSIX version only calls pfn.
typedef void (*PlatEscapedExceptionFn)(uint32_t nCode, void* pExceptionInfo, bool bInnermost,
                                       void* pContext);
void Plat_CallWithExceptionFrame(void (*pfn)(void*), void* pArg, PlatEscapedExceptionFn pfnEscaped,
                                 void* pContext);

// The assertion dialog's window (Windows): modal, owned by the first visible
// top-level window of this process, its buttons acting on dialog; a task-modal
// message box captioned "Assert Dialog" when the process has no visible
// window. Returns when it is closed. The POSIX version shows nothing.
class CAssertDialog;
void Plat_ShowAssertDialog(CAssertDialog& dialog);

#ifndef _WIN32
// Host build only: hooks for tests. The sink receives everything written to
// the debugger output stream; the override replaces the command line.
void Plat_SetDebugStreamSink(void (*pfnSink)(const char*));
void Plat_SetCommandLineForTesting(const char* pszCommandLine);
// Host build only: the assertion dialog is played by this function (null:
// nothing is shown).
void Plat_SetAssertDialogForTesting(void (*pfnDialog)(CAssertDialog& dialog));
#endif

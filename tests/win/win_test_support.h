// Helpers for tests of wexla.dll under Wine: the loaded DLL, typed export
// lookup, capture of the debugger output stream, and measured cdecl calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "public/wexla_records.h"

namespace wintest
{
// wexla.dll, loaded once for the whole test program.
HMODULE Wexla();

// An export of wexla.dll as a function pointer of the given type (nullptr
// when missing).
template <typename Fn>
Fn Export(const char* pszName)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(Wexla(), pszName)));
}

// Captures OutputDebugStringA texts of this process while alive (a vectored
// exception handler on DBG_PRINTEXCEPTION_C).
class DebugStreamCapture
{
public:
    DebugStreamCapture();
    ~DebugStreamCapture();
    std::vector<std::string> Lines() const;

private:
    void* m_hHandler;
};

// Removes a file or a whole folder tree, also where its paths pass the
// system's short path limit (absolute paths are reached in their long-path
// form). Whatever cannot be removed stays.
void RemoveTree(const std::string& path);

// A record filled with a recognisable byte, to see what an entry point writes.
TWexlaError DirtyRecord(char cFill = 'Z');

// Expects what ClearWexlaError leaves: kind, both details and the first text
// byte zero (the rest of the text is not touched).
void ExpectCleared(const TWexlaError& record, const char* pszWhat);

// Calls a C-convention function with up to 8 pointer-sized arguments. On the
// 32-bit build an assembler thunk makes the call and measures the stack
// pointer's drift after the caller removed the arguments (0 for a callee that
// leaves them to its caller, as the C convention wants); the 64-bit result is
// EDX:EAX there. The 64-bit twin has one convention and measures nothing.
struct MeasuredCall
{
    uint64_t nResult;
    bool bStackMeasured;
    int32_t nStackDrift;
};
MeasuredCall CallCdecl(void* pfn, const std::vector<uintptr_t>& args);

// A named piece of code that a child copy of the test program runs (started
// as "wexla_win_tests.exe --child NAME"); it is expected to end the process.
struct ChildScenario
{
    const char* pszName;
    void (*pfnRun)();
};

// Ends a child scenario that reports text lines: prints each on its own line
// to standard output, flushes it and exits with 0.
[[noreturn]] void ExitPrintingLines(const std::vector<std::string>& lines);

// Registers scenarios at static initialisation.
struct ChildScenarioRegistration
{
    ChildScenarioRegistration(const ChildScenario* pScenarios, size_t nCount);
};

// Runs the named scenario in a child process with standard output captured
// (CR LF turned into LF). pszExePath names a copy of the test program to run
// instead of this one.
struct ChildResult
{
    DWORD nExitCode;
    std::string out;
};
ChildResult RunChildScenario(const char* pszName, const char* pszExePath = nullptr);

// Called by main: runs the scenario named on the command line, if any, and
// returns true when it did (the process then exits with 0: the scenario did
// not end the process).
bool RunChildScenarioFromCommandLine(int argc, char** argv);
} // namespace wintest

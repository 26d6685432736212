// The platform layer: the few operating-system services the portable code needs.
// platform_win32.cpp is the real thing; platform_posix.cpp is enough for host tests.
#pragma once

#include <cstddef>
#include <cstdint>
#ifdef _WIN32
#include <string>
#endif

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

// Switches standard output to binary, so bytes written there arrive unchanged
// (Windows would turn each line feed into CR LF). Nothing to do elsewhere.
void Plat_SetStdoutBinary();

// The process command line as one text (GetCommandLineA on Windows).
const char* Plat_GetCommandLine();

// True when the environment variable exists (even when empty).
bool Plat_HasEnvironmentVariable(const char* pszName);

// Reads an environment variable as GetEnvironmentVariableA does: the
// characters stored (terminator excluded) when the value fits in nOutSize
// bytes, else the size needed including the terminator (nothing stored), or
// 0 when the variable is not set. nOutSize 0 (pszOut may then be null) only
// asks for the size.
uint32_t Plat_ReadEnvironmentVariable(const char* pszName, char* pszOut, uint32_t nOutSize);

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

// Files opened for positional reads: each read names its own offset and no
// file position is shared, so any number of threads may read one file at
// once without a lock of ours (pread on POSIX; on Windows ReadFile with the
// offset in an OVERLAPPED record on an ordinary handle, which Wine serves
// with a plain pread; an overlapped handle would make Wine signal an event
// through its server on every read, which costs more than the read).
using PlatFile = intptr_t;
constexpr PlatFile PLAT_INVALID_FILE = -1;

// Opens an existing file for reading, sharing it as fopen "rb" does;
// PLAT_INVALID_FILE when it cannot be opened.
PlatFile Plat_OpenFileForReading(const char* pszName);

// Reads up to nCount bytes at nOffset into pDest; fewer only at the end of
// the file or on a read error. Returns the bytes read.
size_t Plat_ReadFileAt(PlatFile hFile, int64_t nOffset, void* pDest, size_t nCount);

void Plat_CloseFile(PlatFile hFile);

// Version verification of the running Windows (VerifyVersionInfo): true when
// its version is at least nMajor.nMinor. The POSIX stand-in answers as
// Windows 10 (version 10.0).
bool Plat_IsWindowsVersionAtLeast(int nMajor, int nMinor);

// True when the running Windows is a workstation product rather than a
// server (version verification of the product type). The POSIX stand-in
// answers true.
bool Plat_IsWindowsWorkstation();

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
// The null device's name for fopen ("nul:" on Windows).
const char* Plat_NullDevicePath();

// Directory search. The pattern is a folder and a name pattern with '*' and
// '?' ("C:\game\qars\depot_*_dir.qar", either separator); names match
// without regard to letter case, and "." and ".." are listed like any other
// entry, as the Windows C runtime does. Entries come in the order the file
// system lists them.
struct PlatFindData
{
    char szName[260];
    uint32_t nAttributes; // Windows attribute bits: 0x01 read-only, 0x02 hidden, 0x10 directory
    int64_t nSize;
    int64_t nCreateTime; // seconds since 1970-01-01 UTC
    int64_t nAccessTime;
    int64_t nWriteTime;
};
constexpr uint32_t PLAT_ATTRIBUTE_DIRECTORY = 0x10;
struct PlatFindState;
// The first match into *pData, or null when nothing matches (or the folder
// does not exist). A search that was started ends with Plat_FindClose.
PlatFindState* Plat_FindFirst(const char* pszPattern, PlatFindData* pData);
// The next match; false at the end.
bool Plat_FindNext(PlatFindState* pFind, PlatFindData* pData);
void Plat_FindClose(PlatFindState* pFind);

// File status. Times are seconds since 1 January 1970 UTC.
enum EPlatPathType
{
    PLAT_PATH_FILE,      // a regular file
    PLAT_PATH_DIRECTORY,
    PLAT_PATH_OTHER,     // exists but is neither (a device such as "nul")
};

struct PlatFileStatus
{
    EPlatPathType eType;
    uint64_t nSize; // 0 for a directory or device
    int64_t nCreateTime;
    int64_t nAccessTime;
    int64_t nWriteTime;
};

// Status of the path as given; false when it does not exist or cannot be read.
bool Plat_GetFileStatus(const char* pszPath, PlatFileStatus* pStatus);

// True when anything exists by that name.
bool Plat_PathExists(const char* pszPath);

// Creates one directory level; true when the directory exists afterwards
// (creating one that already exists succeeds).
bool Plat_CreateDirectory(const char* pszPath);

// A file opened for writing: created, or truncated when it exists; others may
// read it meanwhile. nullptr when it cannot be created.
struct PlatWriteFile;
PlatWriteFile* Plat_CreateFileForWriting(const char* pszPath);
// Writes all the bytes; false when not all were written.
bool Plat_WriteFile(PlatWriteFile* pFile, const void* pData, size_t nBytes);
// Closes the file; false when the close reported a failure.
bool Plat_CloseWriteFile(PlatWriteFile* pFile);

#ifdef _WIN32
// The wide path that Plat_PathExists, Plat_CreateDirectory and
// Plat_CreateFileForWriting hand to Windows. They are given absolute paths
// with dot segments resolved, which may pass the system's 260-character
// limit: a drive path ("C:\...") gets the long-path prefix "\\?\", a network
// path beginning with two backslashes "\\?\UNC\" in place of them; with a
// prefix, slashes become backslashes and repeated separators are collapsed
// (the prefix turns off that clean-up in the system). Any other path
// (relative, drive-relative, rooted without a drive, already in a "\\?\" or
// "\\.\" form) is passed as it is, since a prefix would make it invalid.
std::wstring Plat_WidePathForFileCalls(const char* pszPath);
#endif

#ifndef _WIN32
// Host build only: hooks for tests. The sink receives everything written to
// the debugger output stream; the override replaces the command line.
void Plat_SetDebugStreamSink(void (*pfnSink)(const char*));
void Plat_SetCommandLineForTesting(const char* pszCommandLine);
// Host build only: the assertion dialog is played by this function (null:
// nothing is shown).
void Plat_SetAssertDialogForTesting(void (*pfnDialog)(CAssertDialog& dialog));
#endif

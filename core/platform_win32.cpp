// Platform layer over the Windows API.
#include "core/platform.h"
#include "core/trace_log.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <cstring>

void Plat_OutputDebugString(const char* pszText)
{
    OutputDebugStringA(pszText);
    TraceLog_Write(pszText);
}

bool Plat_IsDebuggerPresent()
{
    return IsDebuggerPresent() != FALSE;
}

void Plat_DebugBreak()
{
    DebugBreak();
}

void Plat_TerminateProcess(int nExitCode)
{
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(nExitCode));
    // TerminateProcess on the current process does not return; keep the
    // compiler's promise should it ever fail.
    ExitProcess(static_cast<UINT>(nExitCode));
}

void Plat_SetStdoutBinary()
{
    fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

const char* Plat_GetCommandLine()
{
    const char* psz = GetCommandLineA();
    return psz ? psz : "";
}

bool Plat_HasEnvironmentVariable(const char* pszName)
{
    char c;
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableA(pszName, &c, 1);
    return n != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

uint32_t Plat_ReadEnvironmentVariable(const char* pszName, char* pszOut, uint32_t nOutSize)
{
    char cUnused;
    return GetEnvironmentVariableA(pszName, nOutSize ? pszOut : &cUnused, nOutSize);
}

bool Plat_GetCurrentDirectory(char* pszOut, size_t nOutSize)
{
    if (!pszOut || nOutSize == 0)
        return false;
    DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(nOutSize), pszOut);
    return n != 0 && n < nOutSize;
}

uint32_t Plat_GetCurrentThreadId()
{
    return GetCurrentThreadId();
}

void Plat_SetThreadName(const char* pszName)
{
    // SetThreadDescription exists from Windows 10 on; look it up so that
    // older systems simply skip the name.
    typedef HRESULT(WINAPI * SetThreadDescription_t)(HANDLE, PCWSTR);
    HMODULE hKernel = GetModuleHandleA("kernel32.dll");
    if (!hKernel)
        return;
    auto pfn = reinterpret_cast<SetThreadDescription_t>(
        reinterpret_cast<void*>(GetProcAddress(hKernel, "SetThreadDescription")));
    if (!pfn)
        return;
    wchar_t wszName[64];
    int n = MultiByteToWideChar(CP_ACP, 0, pszName, -1, wszName, 64);
    if (n > 0)
        pfn(GetCurrentThread(), wszName);
}

void Plat_Sleep(uint32_t nMilliseconds)
{
    Sleep(nMilliseconds);
}

uint64_t Plat_MillisecondsNow()
{
    return GetTickCount64();
}

PlatFile Plat_OpenFileForReading(const char* pszName)
{
    // The sharing of the C runtime's fopen "rb".
    HANDLE h = CreateFileA(pszName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? PLAT_INVALID_FILE : reinterpret_cast<PlatFile>(h);
}

size_t Plat_ReadFileAt(PlatFile hFile, int64_t nOffset, void* pDest, size_t nCount)
{
    if (hFile == PLAT_INVALID_FILE || nOffset < 0)
        return 0;
    HANDLE h = reinterpret_cast<HANDLE>(hFile);
    auto* pOut = static_cast<char*>(pDest);
    size_t nDone = 0;
    while (nDone < nCount)
    {
        const size_t nLeft = nCount - nDone;
        const DWORD nAsk = nLeft > 0x40000000u ? 0x40000000u : static_cast<DWORD>(nLeft);
        const uint64_t nAt = static_cast<uint64_t>(nOffset) + nDone;
        // The offset travels with the call: the handle's own file position
        // is neither used nor relied on.
        OVERLAPPED overlapped = {};
        overlapped.Offset = static_cast<DWORD>(nAt);
        overlapped.OffsetHigh = static_cast<DWORD>(nAt >> 32);
        DWORD nGot = 0;
        if (!ReadFile(h, pOut + nDone, nAsk, &nGot, &overlapped) || nGot == 0)
            break; // the end of the file included
        nDone += nGot;
    }
    return nDone;
}

void Plat_CloseFile(PlatFile hFile)
{
    if (hFile != PLAT_INVALID_FILE)
        CloseHandle(reinterpret_cast<HANDLE>(hFile));
}

bool Plat_IsWindowsVersionAtLeast(int nMajor, int nMinor)
{
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = static_cast<DWORD>(nMajor);
    info.dwMinorVersion = static_cast<DWORD>(nMinor);
    DWORDLONG nMask = 0;
    nMask = VerSetConditionMask(nMask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    nMask = VerSetConditionMask(nMask, VER_MINORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION, nMask) != FALSE;
}

bool Plat_IsWindowsWorkstation()
{
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    info.wProductType = VER_NT_WORKSTATION;
    const DWORDLONG nMask = VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL);
    return VerifyVersionInfoW(&info, VER_PRODUCT_TYPE, nMask) != FALSE;
}

namespace
{
struct ThreadStart
{
    PlatThreadFn pfn;
    void* pArg;
};

DWORD WINAPI ThreadMain(void* p)
{
    const ThreadStart start = *static_cast<ThreadStart*>(p);
    delete static_cast<ThreadStart*>(p);
    return start.pfn(start.pArg);
}
} // namespace

void* Plat_CreateThread(PlatThreadFn pfn, void* pArg)
{
    ThreadStart* pStart = new ThreadStart{pfn, pArg};
    HANDLE hThread = CreateThread(nullptr, 0, ThreadMain, pStart, 0, nullptr);
    if (!hThread)
        delete pStart;
    return hThread;
}

uint32_t Plat_JoinThread(void* hThread)
{
    WaitForSingleObject(static_cast<HANDLE>(hThread), INFINITE);
    DWORD nResult = 0;
    GetExitCodeThread(static_cast<HANDLE>(hThread), &nResult);
    CloseHandle(static_cast<HANDLE>(hThread));
    return nResult;
}

// Guarded calls. The toolchain has no structured-exception translator, so the
// frame is built by hand: on 32-bit a registration record pushed on the
// thread's handler chain (NT_TIB::ExceptionList) for the duration of the
// call; on 64-bit a small assembler function whose unwind data names the
// frame handler (platform_win32_guard_x64.S). Either way the handler is
// reached only by exceptions that nothing inside the call has taken.
namespace
{
struct GuardFrame
{
    PlatEscapedExceptionFn pfnEscaped;
    void* pContext;
};

// The exception this thread last handed over, and the innermost frame that
// did: enclosing frames (higher on the stack) hand it over as not innermost.
struct HandedOver
{
    const EXCEPTION_RECORD* pRecord;
    const GuardFrame* pFrame;
};
thread_local HandedOver t_handedOver = {nullptr, nullptr};

void ForgetHandedOver(const GuardFrame* pFrame)
{
    if (t_handedOver.pFrame == pFrame)
        t_handedOver = {nullptr, nullptr};
}

// C++ exceptions (GCC's and MSVC's) are the language's own business.
bool IsLanguageException(DWORD nCode)
{
    return nCode == 0x20474343 || nCode == 0x21474343 || nCode == 0x22474343 || nCode == 0xE06D7363;
}

EXCEPTION_DISPOSITION HandleAtGuardFrame(GuardFrame* pFrame, EXCEPTION_RECORD* pRecord, CONTEXT* pContext)
{
    if (pRecord->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
    {
        ForgetHandedOver(pFrame);
        return ExceptionContinueSearch;
    }
    if (IsLanguageException(pRecord->ExceptionCode))
        return ExceptionContinueSearch;
    const bool bInnermost =
        !(t_handedOver.pRecord == pRecord && t_handedOver.pFrame && t_handedOver.pFrame < pFrame);
    if (bInnermost)
        t_handedOver = {pRecord, pFrame};
    EXCEPTION_POINTERS pointers = {pRecord, pContext};
    pFrame->pfnEscaped(pRecord->ExceptionCode, &pointers, bInnermost, pFrame->pContext);
    return ExceptionContinueSearch;
}
} // namespace

#if defined(_WIN64)
extern "C" void Plat_GuardedTrampoline(void (*pfn)(void*), void* pArg, GuardFrame* pFrame);

// Named in the unwind data of Plat_GuardedTrampoline, which keeps its frame
// pointer 48 bytes above its stack pointer (the establisher frame).
extern "C" EXCEPTION_DISPOSITION Plat_GuardedFrameHandler(EXCEPTION_RECORD* pRecord,
                                                          void* pEstablisherFrame, CONTEXT* pContext,
                                                          void* /*pDispatcherContext*/)
{
    GuardFrame* pFrame = *reinterpret_cast<GuardFrame**>(static_cast<char*>(pEstablisherFrame) + 48);
    return HandleAtGuardFrame(pFrame, pRecord, pContext);
}
#else
namespace
{
// The system sees the first member; the handler finds the rest behind it.
struct GuardRegistration
{
    EXCEPTION_REGISTRATION_RECORD record;
    GuardFrame* pFrame;
};

EXCEPTION_DISPOSITION NTAPI GuardRegistrationHandler(EXCEPTION_RECORD* pRecord, void* pEstablisherFrame,
                                                     CONTEXT* pContext, void* /*pDispatcherContext*/)
{
    GuardRegistration* pRegistration = static_cast<GuardRegistration*>(pEstablisherFrame);
    return HandleAtGuardFrame(pRegistration->pFrame, pRecord, pContext);
}

// Pushes the registration for a scope; pops it also when a C++ exception
// leaves the call (those do not use the handler chain on this target).
class ScopedRegistration
{
public:
    explicit ScopedRegistration(GuardFrame* pFrame)
    {
        NT_TIB* pTib = reinterpret_cast<NT_TIB*>(NtCurrentTeb());
        m_registration.record.Next = pTib->ExceptionList;
        m_registration.record.Handler = GuardRegistrationHandler;
        m_registration.pFrame = pFrame;
        pTib->ExceptionList = &m_registration.record;
    }
    ~ScopedRegistration()
    {
        NT_TIB* pTib = reinterpret_cast<NT_TIB*>(NtCurrentTeb());
        pTib->ExceptionList = m_registration.record.Next;
    }
    ScopedRegistration(const ScopedRegistration&) = delete;
    ScopedRegistration& operator=(const ScopedRegistration&) = delete;

private:
    GuardRegistration m_registration;
};
} // namespace
#endif

void Plat_CallWithExceptionFrame(void (*pfn)(void*), void* pArg, PlatEscapedExceptionFn pfnEscaped,
                                 void* pContext)
{
    GuardFrame frame = {pfnEscaped, pContext};
    struct Forget
    {
        const GuardFrame* pFrame;
        ~Forget() { ForgetHandedOver(pFrame); }
    } forget = {&frame};
#if defined(_WIN64)
    Plat_GuardedTrampoline(pfn, pArg, &frame);
#else
    ScopedRegistration registration(&frame);
    pfn(pArg);
#endif
}

struct PlatFindState
{
    intptr_t hFind;
};

static void CopyFindData(const __finddata64_t& found, PlatFindData* pData)
{
    memset(pData, 0, sizeof(*pData));
    static_assert(sizeof(pData->szName) == sizeof(found.name), "name field sizes");
    memcpy(pData->szName, found.name, sizeof(pData->szName));
    pData->szName[sizeof(pData->szName) - 1] = '\0';
    pData->nAttributes = found.attrib;
    pData->nSize = found.size;
    pData->nCreateTime = found.time_create;
    pData->nAccessTime = found.time_access;
    pData->nWriteTime = found.time_write;
}

PlatFindState* Plat_FindFirst(const char* pszPattern, PlatFindData* pData)
{
    __finddata64_t found;
    intptr_t hFind = _findfirst64(pszPattern, &found);
    if (hFind == -1)
        return nullptr;
    CopyFindData(found, pData);
    return new PlatFindState{hFind};
}

bool Plat_FindNext(PlatFindState* pFind, PlatFindData* pData)
{
    __finddata64_t found;
    if (!pFind || _findnext64(pFind->hFind, &found) != 0)
        return false;
    CopyFindData(found, pData);
    return true;
}

void Plat_FindClose(PlatFindState* pFind)
{
    if (!pFind)
        return;
    _findclose(pFind->hFind);
    delete pFind;
}

const char* Plat_NullDevicePath()
{
    return "nul:";
}

namespace
{
// FILETIME (100 ns steps since 1601) to seconds since 1970.
int64_t UnixSecondsFromFileTime(const FILETIME& ft)
{
    const uint64_t n = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (static_cast<int64_t>(n) - 116444736000000000LL) / 10000000LL;
}

uint64_t SizeFromParts(DWORD nHigh, DWORD nLow)
{
    return (static_cast<uint64_t>(nHigh) << 32) | nLow;
}

void FillStatus(DWORD nAttributes, DWORD nSizeHigh, DWORD nSizeLow, const FILETIME& access,
                const FILETIME& modify, const FILETIME& create, PlatFileStatus* pStatus)
{
    pStatus->eType = (nAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PLAT_PATH_DIRECTORY : PLAT_PATH_FILE;
    pStatus->nSize = pStatus->eType == PLAT_PATH_DIRECTORY ? 0 : SizeFromParts(nSizeHigh, nSizeLow);
    pStatus->nAccessTime = UnixSecondsFromFileTime(access);
    pStatus->nWriteTime = UnixSecondsFromFileTime(modify);
    pStatus->nCreateTime = UnixSecondsFromFileTime(create);
}

std::wstring Widen(const char* pszText)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, pszText, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, pszText, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The prefix, then the path from nFrom on with '\' separators, one per run.
std::wstring Prefixed(const wchar_t* pszPrefix, const std::wstring& path, size_t nFrom)
{
    std::wstring out = pszPrefix;
    for (size_t i = nFrom; i < path.size(); ++i)
    {
        if (IsSeparator(path[i]))
        {
            if (!out.empty() && out.back() == L'\\')
                continue;
            out.push_back(L'\\');
        }
        else
        {
            out.push_back(path[i]);
        }
    }
    return out;
}
} // namespace

std::wstring Plat_WidePathForFileCalls(const char* pszPath)
{
    const std::wstring path = Widen(pszPath);
    const size_t n = path.size();
    const bool bTwoSeparators = n >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    if (bTwoSeparators && n >= 4 && (path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3]))
        return path; // already a "\\?\" or "\\.\" form
    if (bTwoSeparators)
        return Prefixed(L"\\\\?\\UNC\\", path, 2);
    const bool bDriveAbsolute = n >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                                path[1] == L':' && IsSeparator(path[2]);
    if (bDriveAbsolute)
        return Prefixed(L"\\\\?\\", path, 0);
    return path;
}

bool Plat_GetFileStatus(const char* pszPath, PlatFileStatus* pStatus)
{
    // Opening for no access at all reaches files, directories and devices
    // alike; the file type tells a device (such as "nul") apart.
    HANDLE hFile = CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFile != INVALID_HANDLE_VALUE)
    {
        BY_HANDLE_FILE_INFORMATION info;
        const bool bDisk = GetFileType(hFile) == FILE_TYPE_DISK;
        const bool bInfo = bDisk && GetFileInformationByHandle(hFile, &info);
        CloseHandle(hFile);
        if (!bDisk)
        {
            *pStatus = PlatFileStatus{PLAT_PATH_OTHER, 0, 0, 0, 0};
            return true;
        }
        if (bInfo)
        {
            FillStatus(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow, info.ftLastAccessTime,
                       info.ftLastWriteTime, info.ftCreationTime, pStatus);
            return true;
        }
    }
    // A file that cannot be opened at all (held without sharing) still has
    // attributes.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(pszPath, GetFileExInfoStandard, &data))
        return false;
    FillStatus(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastAccessTime,
               data.ftLastWriteTime, data.ftCreationTime, pStatus);
    return true;
}

bool Plat_PathExists(const char* pszPath)
{
    return GetFileAttributesW(Plat_WidePathForFileCalls(pszPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Plat_CreateDirectory(const char* pszPath)
{
    const std::wstring path = Plat_WidePathForFileCalls(pszPath);
    if (CreateDirectoryW(path.c_str(), nullptr))
        return true;
    const DWORD nAttributes = GetFileAttributesW(path.c_str());
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct PlatWriteFile
{
    HANDLE hFile;
};

PlatWriteFile* Plat_CreateFileForWriting(const char* pszPath)
{
    HANDLE hFile = CreateFileW(Plat_WidePathForFileCalls(pszPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return nullptr;
    return new PlatWriteFile{hFile};
}

bool Plat_WriteFile(PlatWriteFile* pFile, const void* pData, size_t nBytes)
{
    const char* p = static_cast<const char*>(pData);
    while (nBytes > 0)
    {
        const DWORD nStep = nBytes > 0x40000000u ? 0x40000000u : static_cast<DWORD>(nBytes);
        DWORD nWritten = 0;
        if (!WriteFile(pFile->hFile, p, nStep, &nWritten, nullptr) || nWritten != nStep)
            return false;
        p += nStep;
        nBytes -= nStep;
    }
    return true;
}

bool Plat_CloseWriteFile(PlatWriteFile* pFile)
{
    if (!pFile)
        return true;
    const bool bClosed = CloseHandle(pFile->hFile) != FALSE;
    delete pFile;
    return bClosed;
}

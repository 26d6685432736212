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

bool Plat_GetEnvironmentVariable(const char* pszName, char* pszOut, size_t nOutSize)
{
    if (!pszOut || nOutSize == 0)
        return false;
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableA(pszName, pszOut, static_cast<DWORD>(nOutSize));
    if (n == 0)
    {
        // An empty value answers 0 too, without an error.
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND)
            return false;
        pszOut[0] = '\0';
        return true;
    }
    return n < nOutSize; // otherwise n is the size it needs
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

namespace
{
// Events that positional reads wait on: each read borrows one and gives it
// back, so concurrent reads never share one and nothing is tied to a thread
// (the library may be unloaded while the game's threads live on). No lock:
// each slot is taken and filled with an atomic exchange. Events beyond the
// slots are closed when given back.
struct ReadEventPool
{
    static constexpr int kSlots = 64;
    std::atomic<HANDLE> slots[kSlots];

    HANDLE Take()
    {
        for (std::atomic<HANDLE>& slot : slots)
        {
            if (HANDLE hEvent = slot.exchange(nullptr))
                return hEvent;
        }
        return CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }

    void Give(HANDLE hEvent)
    {
        for (std::atomic<HANDLE>& slot : slots)
        {
            HANDLE hEmpty = nullptr;
            if (slot.compare_exchange_strong(hEmpty, hEvent))
                return;
        }
        CloseHandle(hEvent);
    }
};
ReadEventPool g_readEvents;
} // namespace

PlatFile Plat_OpenFileForReading(const char* pszName)
{
    // The sharing of the C runtime's fopen "rb"; overlapped, so that reads of
    // several threads are not serialised on the handle.
    HANDLE h = CreateFileA(pszName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    return h == INVALID_HANDLE_VALUE ? PLAT_INVALID_FILE : reinterpret_cast<PlatFile>(h);
}

size_t Plat_ReadFileAt(PlatFile hFile, int64_t nOffset, void* pDest, size_t nCount)
{
    if (hFile == PLAT_INVALID_FILE || nOffset < 0)
        return 0;
    HANDLE hEvent = g_readEvents.Take();
    if (!hEvent)
        return 0;
    HANDLE h = reinterpret_cast<HANDLE>(hFile);
    auto* pOut = static_cast<char*>(pDest);
    size_t nDone = 0;
    while (nDone < nCount)
    {
        const size_t nLeft = nCount - nDone;
        const DWORD nAsk = nLeft > 0x40000000u ? 0x40000000u : static_cast<DWORD>(nLeft);
        const uint64_t nAt = static_cast<uint64_t>(nOffset) + nDone;
        OVERLAPPED overlapped = {};
        overlapped.Offset = static_cast<DWORD>(nAt);
        overlapped.OffsetHigh = static_cast<DWORD>(nAt >> 32);
        overlapped.hEvent = hEvent;
        DWORD nGot = 0;
        if (!ReadFile(h, pOut + nDone, nAsk, nullptr, &overlapped))
        {
            // Pending: wait on the borrowed event; anything else (the end
            // of the file included) ends the read.
            if (GetLastError() != ERROR_IO_PENDING)
                break;
        }
        if (!GetOverlappedResult(h, &overlapped, &nGot, TRUE) || nGot == 0)
            break;
        nDone += nGot;
    }
    g_readEvents.Give(hEvent);
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

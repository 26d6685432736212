// Platform layer over the Windows API.
#include "core/platform.h"
#include "core/trace_log.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <io.h>

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

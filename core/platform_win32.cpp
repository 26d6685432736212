// Platform layer over the Windows API.
#include "core/platform.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

void Plat_OutputDebugString(const char* pszText)
{
    OutputDebugStringA(pszText);
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

bool Plat_GetModuleFilePath(const char* pszModuleName, char* pszOut, size_t nOutSize)
{
    if (!pszOut || nOutSize == 0)
        return false;
    HMODULE hModule = nullptr;
    if (pszModuleName)
    {
        wchar_t wszName[MAX_PATH];
        if (!MultiByteToWideChar(CP_UTF8, 0, pszModuleName, -1, wszName, MAX_PATH))
            return false;
        hModule = GetModuleHandleW(wszName);
        if (!hModule)
            return false;
    }
    static const DWORD kWideSize = 4096;
    wchar_t wszPath[kWideSize];
    const DWORD n = GetModuleFileNameW(hModule, wszPath, kWideSize);
    if (n == 0 || n >= kWideSize)
        return false;
    return WideCharToMultiByte(CP_UTF8, 0, wszPath, -1, pszOut, static_cast<int>(nOutSize), nullptr,
                               nullptr) > 0;
}

void* Plat_LoadLibrary(const char* pszPath)
{
    HMODULE hModule = nullptr;
    wchar_t wszPath[MAX_PATH * 2];
    if (MultiByteToWideChar(CP_UTF8, 0, pszPath, -1, wszPath, MAX_PATH * 2))
        hModule = LoadLibraryExW(wszPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!hModule)
        hModule = LoadLibraryExA(pszPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return hModule;
}

void* Plat_GetProcAddress(void* hModule, const char* pszName)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(hModule), pszName));
}

void Plat_FreeLibrary(void* hModule)
{
    FreeLibrary(static_cast<HMODULE>(hModule));
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

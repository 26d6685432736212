// Platform layer over POSIX, for the host build and its tests.
#include "core/platform.h"

#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// Host tests have no debugger stream; a hook lets them capture it.
struct DebugStreamHook
{
    void (*pfnSink)(const char*) = nullptr;
};
DebugStreamHook g_debugStream;

std::string ReadCommandLine()
{
    // /proc/self/cmdline holds the arguments separated by NULs; join them
    // with blanks the way a Windows command line reads.
    std::string s;
    FILE* f = fopen("/proc/self/cmdline", "rb");
    if (!f)
        return s;
    int c;
    while ((c = fgetc(f)) != EOF)
        s.push_back(c == 0 ? ' ' : static_cast<char>(c));
    fclose(f);
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}
} // namespace

// Host-only: tests install a sink to see debugger output.
void Plat_SetDebugStreamSink(void (*pfnSink)(const char*))
{
    g_debugStream.pfnSink = pfnSink;
}

// Host-only: tests replace the command line the library sees.
static std::string* g_pCommandLineOverride = nullptr;
void Plat_SetCommandLineForTesting(const char* pszCommandLine)
{
    delete g_pCommandLineOverride;
    g_pCommandLineOverride = pszCommandLine ? new std::string(pszCommandLine) : nullptr;
}

void Plat_OutputDebugString(const char* pszText)
{
    if (g_debugStream.pfnSink)
        g_debugStream.pfnSink(pszText);
}

bool Plat_IsDebuggerPresent()
{
    // A tracer shows as a non-zero TracerPid in /proc/self/status.
    FILE* f = fopen("/proc/self/status", "r");
    if (!f)
        return false;
    char line[256];
    bool bTraced = false;
    while (fgets(line, sizeof(line), f))
    {
        if (strncmp(line, "TracerPid:", 10) == 0)
        {
            bTraced = atoi(line + 10) != 0;
            break;
        }
    }
    fclose(f);
    return bTraced;
}

void Plat_DebugBreak()
{
    raise(SIGTRAP);
}

void Plat_TerminateProcess(int nExitCode)
{
    fflush(stdout);
    fflush(stderr);
    _exit(nExitCode);
}

const char* Plat_GetCommandLine()
{
    if (g_pCommandLineOverride)
        return g_pCommandLineOverride->c_str();
    static const std::string s = ReadCommandLine();
    return s.c_str();
}

bool Plat_HasEnvironmentVariable(const char* pszName)
{
    return getenv(pszName) != nullptr;
}

bool Plat_GetCurrentDirectory(char* pszOut, size_t nOutSize)
{
    if (!pszOut || nOutSize == 0)
        return false;
    return getcwd(pszOut, nOutSize) != nullptr;
}

uint32_t Plat_GetCurrentThreadId()
{
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

void Plat_SetThreadName(const char* pszName)
{
    pthread_setname_np(pthread_self(), pszName);
}

void Plat_Sleep(uint32_t nMilliseconds)
{
    if (nMilliseconds == 0)
    {
        sched_yield();
        return;
    }
    struct timespec ts;
    ts.tv_sec = nMilliseconds / 1000;
    ts.tv_nsec = static_cast<long>(nMilliseconds % 1000) * 1000000L;
    nanosleep(&ts, nullptr);
}

uint64_t Plat_MillisecondsNow()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

// No Windows here: answer as a Windows 10 workstation, the system the
// library is mostly run on.
bool Plat_IsWindowsVersionAtLeast(int nMajor, int nMinor)
{
    return nMajor < 10 || (nMajor == 10 && nMinor <= 0);
}

bool Plat_IsWindowsWorkstation()
{
    return true;
}

bool Plat_GetModuleFilePath(const char* pszModuleName, char* pszOut, size_t nOutSize)
{
    if (pszModuleName || !pszOut || nOutSize == 0)
        return false; // no Windows modules here
    const ssize_t n = readlink("/proc/self/exe", pszOut, nOutSize);
    if (n <= 0 || static_cast<size_t>(n) >= nOutSize)
        return false;
    pszOut[n] = '\0';
    return true;
}

void* Plat_LoadLibrary(const char* /*pszPath*/)
{
    return nullptr;
}

void* Plat_GetProcAddress(void* /*hModule*/, const char* /*pszName*/)
{
    return nullptr;
}

void Plat_FreeLibrary(void* /*hModule*/) {}

namespace
{
struct PosixThreadStart
{
    PlatThreadFn pfn;
    void* pArg;
    uint32_t nResult;
    pthread_t thread;
};

void* PosixThreadMain(void* p)
{
    PosixThreadStart* pStart = static_cast<PosixThreadStart*>(p);
    pStart->nResult = pStart->pfn(pStart->pArg);
    return nullptr;
}
} // namespace

void* Plat_CreateThread(PlatThreadFn pfn, void* pArg)
{
    PosixThreadStart* pStart = new PosixThreadStart{pfn, pArg, 0, pthread_t()};
    if (pthread_create(&pStart->thread, nullptr, PosixThreadMain, pStart) != 0)
    {
        delete pStart;
        return nullptr;
    }
    return pStart;
}

uint32_t Plat_JoinThread(void* hThread)
{
    PosixThreadStart* pStart = static_cast<PosixThreadStart*>(hThread);
    pthread_join(pStart->thread, nullptr);
    const uint32_t nResult = pStart->nResult;
    delete pStart;
    return nResult;
}

void Plat_CallWithExceptionFrame(void (*pfn)(void*), void* pArg, PlatEscapedExceptionFn /*pfnEscaped*/,
                                 void* /*pContext*/)
{
    pfn(pArg);
}

// Host-only: tests play the assertion dialog.
static void (*g_pfnAssertDialogForTesting)(CAssertDialog&) = nullptr;
void Plat_SetAssertDialogForTesting(void (*pfnDialog)(CAssertDialog& dialog))
{
    g_pfnAssertDialogForTesting = pfnDialog;
}

void Plat_ShowAssertDialog(CAssertDialog& dialog)
{
    if (g_pfnAssertDialogForTesting)
        g_pfnAssertDialogForTesting(dialog);
}

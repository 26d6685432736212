// Platform layer over POSIX, for the host build and its tests.
#include "core/platform.h"
#include "core/platform_system.h"
#include "core/trace_log.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
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
    TraceLog_Write(pszText);
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

void Plat_SetStdoutBinary()
{
}

uint32_t Plat_ReadEnvironmentVariable(const char* pszName, char* pszOut, uint32_t nOutSize)
{
    const char* pszValue = getenv(pszName);
    if (!pszValue)
        return 0;
    const size_t nLen = strlen(pszValue);
    if (nLen >= nOutSize)
        return static_cast<uint32_t>(nLen + 1);
    memcpy(pszOut, pszValue, nLen + 1);
    return static_cast<uint32_t>(nLen);
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

PlatFile Plat_OpenFileForReading(const char* pszName)
{
    int fd;
    do
        fd = open(pszName, O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? PLAT_INVALID_FILE : static_cast<PlatFile>(fd);
}

size_t Plat_ReadFileAt(PlatFile hFile, int64_t nOffset, void* pDest, size_t nCount)
{
    if (hFile == PLAT_INVALID_FILE || nOffset < 0)
        return 0;
    auto* pOut = static_cast<char*>(pDest);
    size_t nDone = 0;
    while (nDone < nCount)
    {
        const ssize_t n = pread(static_cast<int>(hFile), pOut + nDone, nCount - nDone,
                                static_cast<off_t>(nOffset + static_cast<int64_t>(nDone)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        nDone += static_cast<size_t>(n);
    }
    return nDone;
}

void Plat_CloseFile(PlatFile hFile)
{
    if (hFile != PLAT_INVALID_FILE)
        close(static_cast<int>(hFile));
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

// No libraries are loaded here: loads fail, and every module path is the
// executable's (as Windows answers for a module that is not loaded).
void* Sys_LoadModule(const char* /*pszPath*/)
{
    return nullptr;
}

void* Plat_LoadModuleBySearch(const char* /*pszName*/)
{
    return nullptr;
}

void Plat_FreeModule(void* /*hModule*/) {}

void* Plat_GetModuleSymbol(void* /*hModule*/, const char* /*pszName*/)
{
    return nullptr;
}

bool Plat_GetModulePath(const char* /*pszModuleName*/, char* pszOut, size_t nOutSize)
{
    if (!pszOut || nOutSize == 0)
        return false;
    pszOut[0] = '\0';
    const ssize_t n = readlink("/proc/self/exe", pszOut, nOutSize);
    if (n <= 0 || static_cast<size_t>(n) >= nOutSize)
    {
        pszOut[0] = '\0';
        return false;
    }
    pszOut[n] = '\0';
    return true;
}

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

struct PlatFindState
{
    DIR* pDir;
    std::string folder;
    std::string pattern;
};

// Reads entries until one matches the pattern.
static bool NextMatch(PlatFindState* pFind, PlatFindData* pData)
{
    while (dirent* pEntry = readdir(pFind->pDir))
    {
        if (fnmatch(pFind->pattern.c_str(), pEntry->d_name, FNM_CASEFOLD) != 0)
            continue;
        memset(pData, 0, sizeof(*pData));
        strncpy(pData->szName, pEntry->d_name, sizeof(pData->szName) - 1);
        struct stat st;
        if (stat((pFind->folder + "/" + pEntry->d_name).c_str(), &st) == 0)
        {
            if (S_ISDIR(st.st_mode))
                pData->nAttributes |= PLAT_ATTRIBUTE_DIRECTORY;
            if (!(st.st_mode & S_IWUSR))
                pData->nAttributes |= 0x01;
            pData->nSize = S_ISDIR(st.st_mode) ? 0 : st.st_size;
            pData->nCreateTime = st.st_ctime;
            pData->nAccessTime = st.st_atime;
            pData->nWriteTime = st.st_mtime;
        }
        return true;
    }
    return false;
}

PlatFindState* Plat_FindFirst(const char* pszPattern, PlatFindData* pData)
{
    std::string text = pszPattern ? pszPattern : "";
    for (char& c : text)
        if (c == '\\')
            c = '/';
    size_t nSlash = text.rfind('/');
    std::string folder = nSlash == std::string::npos ? "." : text.substr(0, nSlash);
    if (folder.empty())
        folder = "/";
    std::string pattern = nSlash == std::string::npos ? text : text.substr(nSlash + 1);
    DIR* pDir = opendir(folder.c_str());
    if (!pDir)
        return nullptr;
    auto* pFind = new PlatFindState{pDir, folder, pattern};
    if (!NextMatch(pFind, pData))
    {
        Plat_FindClose(pFind);
        return nullptr;
    }
    return pFind;
}

bool Plat_FindNext(PlatFindState* pFind, PlatFindData* pData)
{
    return pFind && NextMatch(pFind, pData);
}

void Plat_FindClose(PlatFindState* pFind)
{
    if (!pFind)
        return;
    closedir(pFind->pDir);
    delete pFind;
}

const char* Plat_NullDevicePath()
{
    return "/dev/null";
}

namespace
{
// The portable code builds Windows-style paths; here a backslash is a separator too.
std::string PosixPath(const char* pszPath)
{
    std::string path = pszPath ? pszPath : "";
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}
} // namespace

bool Plat_GetFileStatus(const char* pszPath, PlatFileStatus* pStatus)
{
    struct stat st;
    if (stat(PosixPath(pszPath).c_str(), &st) != 0)
        return false;
    pStatus->eType = S_ISDIR(st.st_mode) ? PLAT_PATH_DIRECTORY : S_ISREG(st.st_mode) ? PLAT_PATH_FILE : PLAT_PATH_OTHER;
    pStatus->nSize = pStatus->eType == PLAT_PATH_FILE ? static_cast<uint64_t>(st.st_size) : 0;
    pStatus->nAccessTime = st.st_atime;
    pStatus->nWriteTime = st.st_mtime;
    pStatus->nCreateTime = st.st_ctime;
    return true;
}

bool Plat_PathExists(const char* pszPath)
{
    struct stat st;
    return stat(PosixPath(pszPath).c_str(), &st) == 0;
}

bool Plat_CreateDirectory(const char* pszPath)
{
    const std::string path = PosixPath(pszPath);
    if (mkdir(path.c_str(), 0777) == 0)
        return true;
    struct stat st;
    return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct PlatWriteFile
{
    int fd;
};

PlatWriteFile* Plat_CreateFileForWriting(const char* pszPath)
{
    const int fd = open(PosixPath(pszPath).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    return new PlatWriteFile{fd};
}

bool Plat_WriteFile(PlatWriteFile* pFile, const void* pData, size_t nBytes)
{
    const char* p = static_cast<const char*>(pData);
    while (nBytes > 0)
    {
        const ssize_t n = write(pFile->fd, p, nBytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        nBytes -= static_cast<size_t>(n);
    }
    return true;
}

bool Plat_CloseWriteFile(PlatWriteFile* pFile)
{
    if (!pFile)
        return true;
    const bool bClosed = close(pFile->fd) == 0;
    delete pFile;
    return bClosed;
}

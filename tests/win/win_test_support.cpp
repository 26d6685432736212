#include "tests/win/win_test_support.h"

#include "core/platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#if !defined(_WIN64)
extern "C" uint64_t CallMeasured(void* pfn, int nArgs, const uintptr_t* pArgs, int32_t* pDrift);
#endif

namespace wintest
{
namespace
{
std::mutex g_captureMutex;
std::vector<std::string> g_captured;

LONG CALLBACK CaptureDebugString(EXCEPTION_POINTERS* pInfo)
{
    EXCEPTION_RECORD* pRecord = pInfo->ExceptionRecord;
    if (pRecord->ExceptionCode != DBG_PRINTEXCEPTION_C || pRecord->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const char* psz = reinterpret_cast<const char*>(pRecord->ExceptionInformation[1]);
    std::lock_guard<std::mutex> guard(g_captureMutex);
    g_captured.emplace_back(psz ? psz : "");
    return EXCEPTION_CONTINUE_EXECUTION;
}
} // namespace

HMODULE Wexla()
{
    static HMODULE s_hModule = LoadLibraryA("wexla.dll");
    return s_hModule;
}

DebugStreamCapture::DebugStreamCapture()
{
    {
        std::lock_guard<std::mutex> guard(g_captureMutex);
        g_captured.clear();
    }
    m_hHandler = AddVectoredExceptionHandler(1, CaptureDebugString);
}

DebugStreamCapture::~DebugStreamCapture()
{
    RemoveVectoredExceptionHandler(m_hHandler);
}

std::vector<std::string> DebugStreamCapture::Lines() const
{
    std::lock_guard<std::mutex> guard(g_captureMutex);
    return g_captured;
}

TWexlaError DirtyRecord(char cFill)
{
    TWexlaError record;
    memset(&record, cFill, sizeof(record));
    return record;
}

void ExpectCleared(const TWexlaError& record, const char* pszWhat)
{
    EXPECT_EQ(0, record.eKind) << pszWhat;
    EXPECT_EQ(0, record.eDetailType) << pszWhat;
    EXPECT_EQ(0, record.nDetailCode) << pszWhat;
    EXPECT_EQ('\0', record.szText[0]) << pszWhat;
}

MeasuredCall CallCdecl(void* pfn, const std::vector<uintptr_t>& args)
{
    MeasuredCall call{0, false, 0};
#if !defined(_WIN64)
    call.bStackMeasured = true;
    call.nResult = CallMeasured(pfn, static_cast<int>(args.size()), args.data(), &call.nStackDrift);
#else
    typedef uintptr_t A;
    const A* a = args.data();
    switch (args.size())
    {
    case 1: call.nResult = reinterpret_cast<uint64_t (*)(A)>(pfn)(a[0]); break;
    case 2: call.nResult = reinterpret_cast<uint64_t (*)(A, A)>(pfn)(a[0], a[1]); break;
    case 3: call.nResult = reinterpret_cast<uint64_t (*)(A, A, A)>(pfn)(a[0], a[1], a[2]); break;
    case 4: call.nResult = reinterpret_cast<uint64_t (*)(A, A, A, A)>(pfn)(a[0], a[1], a[2], a[3]); break;
    case 5:
        call.nResult = reinterpret_cast<uint64_t (*)(A, A, A, A, A)>(pfn)(a[0], a[1], a[2], a[3], a[4]);
        break;
    case 6:
        call.nResult =
            reinterpret_cast<uint64_t (*)(A, A, A, A, A, A)>(pfn)(a[0], a[1], a[2], a[3], a[4], a[5]);
        break;
    case 7:
        call.nResult = reinterpret_cast<uint64_t (*)(A, A, A, A, A, A, A)>(pfn)(a[0], a[1], a[2], a[3],
                                                                               a[4], a[5], a[6]);
        break;
    case 8:
        call.nResult = reinterpret_cast<uint64_t (*)(A, A, A, A, A, A, A, A)>(pfn)(
            a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
        break;
    default: break;
    }
#endif
    return call;
}
} // namespace wintest

namespace wintest
{
namespace
{
std::vector<ChildScenario>& Scenarios()
{
    static std::vector<ChildScenario> s_scenarios;
    return s_scenarios;
}
} // namespace

ChildScenarioRegistration::ChildScenarioRegistration(const ChildScenario* pScenarios, size_t nCount)
{
    Scenarios().insert(Scenarios().end(), pScenarios, pScenarios + nCount);
}

void ExitPrintingLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        printf("%s\n", line.c_str());
    fflush(stdout);
    ExitProcess(0);
}

bool RunChildScenarioFromCommandLine(int argc, char** argv)
{
    if (argc != 3 || strcmp(argv[1], "--child") != 0)
        return false;
    for (const ChildScenario& s : Scenarios())
    {
        if (strcmp(s.pszName, argv[2]) == 0)
        {
            s.pfnRun();
            printf("not reached");
            fflush(stdout);
            return true;
        }
    }
    printf("unknown scenario %s", argv[2]);
    return true;
}

ChildResult RunChildScenario(const char* pszName, const char* pszExePath)
{
    ChildResult result{0xFFFFFFFF, ""};
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &sa, 0))
        return result;
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);

    char szExe[MAX_PATH];
    GetModuleFileNameA(nullptr, szExe, MAX_PATH);
    if (pszExePath)
        lstrcpynA(szExe, pszExePath, MAX_PATH);
    std::string commandLine = std::string("\"") + szExe + "\" --child " + pszName;

    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hWrite;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    const BOOL bStarted =
        CreateProcessA(szExe, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(hWrite);
    if (bStarted)
    {
        char buf[4096];
        DWORD nRead = 0;
        while (ReadFile(hRead, buf, sizeof(buf), &nRead, nullptr) && nRead > 0)
            result.out.append(buf, nRead);
        // Standard output is in text mode: line feeds arrive as CR LF.
        std::string::size_type nPos;
        while ((nPos = result.out.find("\r\n")) != std::string::npos)
            result.out.erase(nPos, 1);
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &result.nExitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(hRead);
    return result;
}
namespace
{
void RemoveTreeW(const std::wstring& path)
{
    const DWORD nAttributes = GetFileAttributesW(path.c_str());
    if (nAttributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(nAttributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..")
                RemoveTreeW(path + L"\\" + name);
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryW(path.c_str());
}
} // namespace

void RemoveTree(const std::string& path)
{
    std::wstring wide = Plat_WidePathForFileCalls(path.c_str());
    while (wide.size() > 1 && (wide.back() == L'\\' || wide.back() == L'/'))
        wide.pop_back();
    RemoveTreeW(wide);
}
} // namespace wintest

#include "tests/win/client_fixture.h"

#include <gtest/gtest.h>

namespace wintest
{
namespace
{
const wchar_t kActiveProcessKey[] = L"Software\\Ubrix\\Wexla\\ActiveProcess";

HMODULE g_hStandinClient = nullptr;
StandinClientApi g_standinClient;

std::wstring Widen(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    return wide;
}

HKEY OpenActiveProcessKey()
{
    HKEY hKey = nullptr;
    LONG nResult = RegCreateKeyExW(HKEY_CURRENT_USER, kActiveProcessKey, 0, nullptr, 0,
                                   KEY_READ | KEY_WRITE | KEY_WOW64_32KEY, nullptr, &hKey, nullptr);
    EXPECT_EQ(ERROR_SUCCESS, nResult) << "cannot create the active-process key";
    return nResult == ERROR_SUCCESS ? hKey : nullptr;
}
} // namespace

std::string ProgramFolder()
{
    char szPath[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path(szPath, n);
    return path.substr(0, path.find_last_of("\\/"));
}

std::string StandinClientPath()
{
    return ProgramFolder() + "\\wexlaclient.dll";
}

StandinClientApi& StandinClient()
{
    if (!g_hStandinClient)
    {
        g_hStandinClient = LoadLibraryA(StandinClientPath().c_str());
        EXPECT_TRUE(g_standinClient.Resolve(g_hStandinClient)) << "stand-in client not usable";
    }
    return g_standinClient;
}

void UnloadStandinClient()
{
    if (g_hStandinClient)
        FreeLibrary(g_hStandinClient);
    g_hStandinClient = nullptr;
    g_standinClient = StandinClientApi();
}

std::vector<std::string> StandinClientCalls()
{
    StandinClientApi& api = StandinClient();
    std::vector<std::string> calls;
    for (int i = 0; i < api.StandinClient_CallCount(); ++i)
        calls.emplace_back(api.StandinClient_CallAt(i));
    return calls;
}

std::string Wexla2Folder(const char* pszVariant)
{
    return ProgramFolder() + "\\" + pszVariant;
}

std::string Wexla2Path(const char* pszVariant)
{
    return Wexla2Folder(pszVariant) + "\\Wexla2.dll";
}

bool ResolveLoadedWexla2(const std::string& path, StandinWexla2Api& api)
{
    return api.Resolve(GetModuleHandleA(path.c_str()));
}

std::vector<std::string> Wexla2Calls(const StandinWexla2Api& api)
{
    std::vector<std::string> calls;
    for (int i = 0; i < api.StandinWexla2_CallCount(); ++i)
        calls.emplace_back(api.StandinWexla2_CallAt(i));
    return calls;
}

PublishedClient::PublishedClient()
{
    RemoveValues();
}

PublishedClient::~PublishedClient()
{
    RemoveValues();
}

void PublishedClient::PublishStandin()
{
    SetClientDll(StandinClientPath());
    SetPid(GetCurrentProcessId());
}

void PublishedClient::SetClientDll(const std::string& path)
{
    HKEY hKey = OpenActiveProcessKey();
    if (!hKey)
        return;
    const std::wstring wide = Widen(path);
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(hKey, L"WexlaClientDll", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                                            static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))));
    RegCloseKey(hKey);
}

void PublishedClient::SetPid(uint32_t nPid)
{
    HKEY hKey = OpenActiveProcessKey();
    if (!hKey)
        return;
    const DWORD nValue = nPid;
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExW(hKey, L"pid", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nValue), sizeof(nValue)));
    RegCloseKey(hKey);
}

void PublishedClient::RemoveValues()
{
    HKEY hKey = OpenActiveProcessKey();
    if (!hKey)
        return;
    RegDeleteValueW(hKey, L"WexlaClientDll");
    RegDeleteValueW(hKey, L"pid");
    RegCloseKey(hKey);
}

EndedProcess::EndedProcess()
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    char szCommand[] = "cmd.exe /c exit 3";
    EXPECT_TRUE(
        CreateProcessA(nullptr, szCommand, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &m_info));
    if (m_info.hProcess)
        WaitForSingleObject(m_info.hProcess, INFINITE);
}

EndedProcess::~EndedProcess()
{
    if (m_info.hThread)
        CloseHandle(m_info.hThread);
    if (m_info.hProcess)
        CloseHandle(m_info.hProcess);
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const char* pszName, const char* pszValue)
    : m_name(pszName), m_bHad(false)
{
    const DWORD nNeeded = GetEnvironmentVariableA(pszName, nullptr, 0);
    if (nNeeded > 0)
    {
        m_old.resize(nNeeded);
        const DWORD n = GetEnvironmentVariableA(pszName, &m_old[0], nNeeded);
        m_old.resize(n);
        m_bHad = true;
    }
    SetEnvironmentVariableA(pszName, pszValue);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable()
{
    SetEnvironmentVariableA(m_name.c_str(), m_bHad ? m_old.c_str() : nullptr);
}
} // namespace wintest

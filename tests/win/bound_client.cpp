#include "tests/win/bound_client.h"

#include "tests/win/win_test_support.h"

#include <cstring>

namespace wintest
{
namespace
{
const wchar_t kActiveProcessKey[] = L"Software\\Ubrix\\Wexla\\ActiveProcess";

void WriteActiveProcess(const std::string& clientPath, DWORD nPid)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kActiveProcessKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr,
                        &hKey, nullptr) != ERROR_SUCCESS)
        return;
    std::wstring path(clientPath.begin(), clientPath.end());
    RegSetValueExW(hKey, L"WexlaClientDll", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(hKey, L"pid", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nPid), sizeof(nPid));
    RegCloseKey(hKey);
}

void RemoveActiveProcess()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kActiveProcessKey, 0, KEY_WRITE | KEY_WOW64_32KEY, &hKey) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(hKey, L"WexlaClientDll");
    RegDeleteValueW(hKey, L"pid");
    RegCloseKey(hKey);
}
} // namespace

std::string TestProgramFolder()
{
    char szExe[MAX_PATH];
    const DWORD nLen = GetModuleFileNameA(nullptr, szExe, MAX_PATH);
    std::string folder(szExe, nLen);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

void UnbindClient()
{
    TWexlaError record;
    Export<int(__cdecl*)(TWexlaError*)>("WexlaCleanup")(&record);
}

BoundClient::BoundClient()
{
    const std::string path = TestProgramFolder() + "wexlaclient.dll";
    WriteActiveProcess(path, GetCurrentProcessId());
    m_hStandin = LoadLibraryA(path.c_str());
    if (m_api.Resolve(m_hStandin))
        m_api.StandinClient_Reset();
}

BoundClient::~BoundClient()
{
    UnbindClient();
    RemoveActiveProcess();
    if (m_hStandin)
        FreeLibrary(m_hStandin);
}

bool BoundClient::Start()
{
    if (!m_api.StandinClient_Reset)
        return false;
    TWexlaError record;
    Export<int(__cdecl*)(uint32_t, TWexlaError*)>("WexlaStartup")(0, &record);
    return WasCalled("ObtainApplicationsInterface(1,1,WEXLAAPPS_INTERFACE_VERSION008)");
}

bool BoundClient::WasCalled(const std::string& call) const
{
    const int nCount = m_api.StandinClient_CallCount();
    for (int i = 0; i < nCount; ++i)
    {
        const char* pszCall = m_api.StandinClient_CallAt(i);
        if (pszCall && call == pszCall)
            return true;
    }
    return false;
}
} // namespace wintest

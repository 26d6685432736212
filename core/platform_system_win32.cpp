// Modules, processes and the registry over the Windows API.
#include "core/platform_system.h"

#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <cstring>
#include <string>

namespace
{
// UTF-8 to UTF-16; false when the text is not valid UTF-8.
bool ToUtf16(const char* pszText, std::wstring& out)
{
    const int nChars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pszText, -1, nullptr, 0);
    if (nChars <= 0)
        return false;
    out.resize(static_cast<size_t>(nChars));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pszText, -1, &out[0], nChars);
    out.resize(static_cast<size_t>(nChars) - 1);
    return true;
}

// NUL-terminated UTF-16 to UTF-8 into a buffer; empty and false when it
// does not convert or fit.
bool ToUtf8(const wchar_t* pwszText, char* pszOut, size_t nOutSize)
{
    if (!pszOut || nOutSize == 0)
        return false;
    const int nCapacity = nOutSize > INT_MAX ? INT_MAX : static_cast<int>(nOutSize);
    if (WideCharToMultiByte(CP_UTF8, 0, pwszText, -1, pszOut, nCapacity, nullptr, nullptr) > 0)
        return true;
    pszOut[0] = '\0';
    return false;
}

HMODULE LoadWithAlteredSearchPath(const char* pszPath)
{
    std::wstring wide;
    HMODULE hModule = ToUtf16(pszPath, wide) ? LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                                             : nullptr;
    if (!hModule)
        hModule = LoadLibraryExA(pszPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return hModule;
}

// Queries a value under a key opened read-only in the 32-bit view: at most
// *pnBytes bytes into pData, *pnBytes set to what came back. False when the
// root, key or value cannot be read (or does not fit).
bool QueryRegistryValue(const char* pszRootName, const char* pszKeyPath, const char* pszValueName, void* pData,
                        DWORD* pnBytes)
{
    HKEY hRoot = static_cast<HKEY>(ParseRegistryRoot(pszRootName));
    std::wstring key;
    std::wstring value;
    if (!hRoot || !pszKeyPath || !pszValueName || !ToUtf16(pszKeyPath, key) || !ToUtf16(pszValueName, value))
        return false;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &hKey) != ERROR_SUCCESS)
        return false;
    const bool bOk =
        RegQueryValueExW(hKey, value.c_str(), nullptr, nullptr, static_cast<BYTE*>(pData), pnBytes) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bOk;
}
} // namespace

void* Sys_LoadModule(const char* pszPath)
{
    return pszPath ? LoadWithAlteredSearchPath(pszPath) : nullptr;
}

void* Plat_LoadModuleBySearch(const char* pszName)
{
    if (!pszName)
        return nullptr;
    std::wstring wide;
    HMODULE hModule = ToUtf16(pszName, wide) ? LoadLibraryW(wide.c_str()) : nullptr;
    if (!hModule)
        hModule = LoadLibraryA(pszName);
    return hModule;
}

void Plat_FreeModule(void* hModule)
{
    if (hModule)
        FreeLibrary(static_cast<HMODULE>(hModule));
}

void* Plat_GetModuleSymbol(void* hModule, const char* pszName)
{
    if (!hModule || !pszName)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(hModule), pszName));
}

bool Plat_GetModulePath(const char* pszModuleName, char* pszOut, size_t nOutSize)
{
    if (!pszOut || nOutSize == 0)
        return false;
    pszOut[0] = '\0';
    std::wstring name;
    if (pszModuleName && !ToUtf16(pszModuleName, name))
        return false;
    // A module that is not loaded gives a null handle, for which the system
    // reports the main executable.
    wchar_t wszPath[MAX_PATH] = {};
    const DWORD nChars =
        GetModuleFileNameW(pszModuleName ? GetModuleHandleW(name.c_str()) : nullptr, wszPath, MAX_PATH);
    if (nChars < 1 || nChars > MAX_PATH - 1)
        return false;
    wszPath[nChars] = L'\0';
    return ToUtf8(wszPath, pszOut, nOutSize);
}

bool Plat_GetCurrentDirectoryUtf8(char* pszOut, size_t nOutSize)
{
    if (!pszOut || nOutSize == 0)
        return false;
    pszOut[0] = '\0';
    std::wstring dir(32767, L'\0');
    const DWORD nChars = GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), &dir[0]);
    if (nChars == 0 || nChars >= dir.size())
        return false;
    return ToUtf8(dir.c_str(), pszOut, nOutSize);
}

bool Plat_IsProcessAlive(uint32_t nProcessId)
{
    if (nProcessId == 0)
        return false;
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, nProcessId);
    if (!hProcess)
        return false;
    DWORD nExitCode = 0;
    const bool bAlive = GetExitCodeProcess(hProcess, &nExitCode) && nExitCode == STILL_ACTIVE;
    CloseHandle(hProcess);
    return bAlive;
}

bool Plat_ShellOpen(const char* pszFile, const char* pszParameters)
{
    HINSTANCE hResult = ShellExecuteA(nullptr, nullptr, pszFile, pszParameters, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<intptr_t>(hResult) > 32;
}

void* ParseRegistryRoot(const char* pszRootName)
{
    if (!pszRootName)
        return nullptr;
    struct Root
    {
        const char* pszLong;
        const char* pszShort;
        HKEY hRoot;
    };
    static const Root kRoots[] = {
        {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
        {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
        {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
    };
    for (const Root& root : kRoots)
        if (_stricmp(pszRootName, root.pszLong) == 0 || _stricmp(pszRootName, root.pszShort) == 0)
            return root.hRoot;
    return nullptr;
}

bool ReadRegistryString(const char* pszRootName, const char* pszKeyPath, const char* pszValueName,
                        char* pszOut, size_t nOutSize)
{
    if (!pszOut || nOutSize == 0 || nOutSize > (MAXDWORD / 2) - 1)
        return false;
    // Room for nOutSize characters plus the terminator added here.
    std::wstring text(nOutSize + 1, L'\0');
    DWORD nBytes = static_cast<DWORD>(nOutSize * 2);
    if (!QueryRegistryValue(pszRootName, pszKeyPath, pszValueName, &text[0], &nBytes))
        return false;
    text[nBytes / 2] = L'\0';
    return ToUtf8(text.c_str(), pszOut, nOutSize);
}

uint32_t ReadRegistryDword(const char* pszRootName, const char* pszKeyPath, const char* pszValueName,
                           uint32_t nDefault)
{
    DWORD nNumber = 0;
    DWORD nBytes = sizeof(nNumber);
    return QueryRegistryValue(pszRootName, pszKeyPath, pszValueName, &nNumber, &nBytes) ? nNumber : nDefault;
}

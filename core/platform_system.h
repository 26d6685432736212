// Windows-only system services of the platform layer: modules, processes,
// the shell and the registry. Only the win build has them
// (platform_system_win32.cpp); the code that needs them is tested under Wine.
// Texts are UTF-8 throughout. The module functions also exist in the POSIX
// layer, as a process that has no libraries (loads fail, every module path
// is the executable's), so that portable code which binds an optional
// library builds and finds none on the host.
#pragma once

#include <cstddef>
#include <cstdint>

// --- Modules ---

// Loads a library by its path: the UTF-16 form with LoadLibraryExW and
// LOAD_WITH_ALTERED_SEARCH_PATH, then the text itself with LoadLibraryExA and
// the same flag. Null when both fail.
void* Sys_LoadModule(const char* pszPath);

// Loads a library by its bare file name through the system's normal search
// order (LoadLibraryW, then LoadLibraryA). Null when both fail.
void* Plat_LoadModuleBySearch(const char* pszName);

// FreeLibrary; a null handle does nothing.
void Plat_FreeModule(void* hModule);

// GetProcAddress; null when the module or the name is missing.
void* Plat_GetModuleSymbol(void* hModule, const char* pszName);

// The full path of the loaded module with that file name (null: the
// process's main executable), asked in UTF-16 with room for 260 characters.
// When no such module is loaded the system answers with the process's main
// executable. Empty (and false) unless the
// answer has 1 to 259 characters and converts into nOutSize bytes.
bool Plat_GetModulePath(const char* pszModuleName, char* pszOut, size_t nOutSize);

// The current directory read in UTF-16 (up to 32,767 characters), as UTF-8.
bool Plat_GetCurrentDirectoryUtf8(char* pszOut, size_t nOutSize);

// --- Processes ---

// True when the process opens with query-information rights and its exit
// code reads as the system's still-active code (259). Id 0 is never alive.
bool Plat_IsProcessAlive(uint32_t nProcessId);

// --- The shell ---

// Has the shell open a file with a parameter text (default verb, no working
// folder, normal window) without waiting; true when the shell reports
// success (a result above 32).
bool Plat_ShellOpen(const char* pszFile, const char* pszParameters);

// --- Registry: always the 32-bit view, read-only (KEY_READ | KEY_WOW64_32KEY) ---

// "HKEY_LOCAL_MACHINE"/"HKLM", "HKEY_CURRENT_USER"/"HKCU",
// "HKEY_CLASSES_ROOT"/"HKCR" in any letter case give that root (an HKEY);
// anything else null, and opening under null fails.
void* ParseRegistryRoot(const char* pszRootName);

// Reads a value as a string: queried as UTF-16 (at most nOutSize * 2 bytes,
// the type not examined), terminated, converted to UTF-8 into pszOut. False
// when the key or value cannot be read or the text does not fit.
bool ReadRegistryString(const char* pszRootName, const char* pszKeyPath, const char* pszValueName,
                        char* pszOut, size_t nOutSize);

// Reads a value's first 4 bytes as a number; nDefault on any failure.
uint32_t ReadRegistryDword(const char* pszRootName, const char* pszKeyPath, const char* pszValueName,
                           uint32_t nDefault);

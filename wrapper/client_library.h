// Locating, loading and binding the client library wexlaclient.dll that
// belongs to the running client.
#pragma once

#include <cstddef>

// Where the running client publishes itself (under the current user's root).
#define WEXLA_ACTIVE_PROCESS_KEY "Software\\Ubrix\\Wexla\\ActiveProcess"
#define WEXLA_CLIENT_DLL_VALUE "WexlaClientDll"
#define WEXLA_CLIENT_PID_VALUE "pid"
#define WEXLA_CLIENT_MODULE_NAME "wexlaclient.dll"

// Locates the client library, loads it into *phModule when the client
// process is alive and asks its factory for the interface. Returns the
// factory's answer (null or not); null when nothing was loaded, or when the
// factory is missing (the module is then released and *phModule emptied).
// Each failure writes its line to the debugger output stream. A module
// already held in *phModule is used again.
void* BindClientLibrary(void** phModule, const char* pszInterfaceVersion);

// Reads the client library's path from the registry into pszPath (when given;
// at most nPathSize bytes, the last one forced to NUL) and its folder into
// g_ClientBinding.szClientFolder. Without a registry value the path of a
// loaded wexlaclient.dll (or, when none is loaded, of the main executable)
// fills the folder, never counting as found. True when the registry named a
// library; with no buffer and a folder already known, true at once.
bool LocateClientLibrary(char* pszPath, size_t nPathSize);

// True when the process the registry names as the running client is alive.
bool IsClientProcessRunning();

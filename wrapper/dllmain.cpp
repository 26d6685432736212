// The library's entry routine and its exported data.
#include <windows.h>

#include <cstdint>

// Exported for modules that import it; this library never reads or writes it.
extern "C" {
uint32_t g_dwDllEntryThreadId = 0;
}

// Loading runs the static initialisation of the core and utility layers; the
// entry routine itself does nothing for any reason and reports success.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

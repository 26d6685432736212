// The two exported factories: _f hands out the versioned interface objects
// ("Wexla003" to "Wexla006"), CreateInterface is the utility layer's general
// factory (nothing is registered in it here).
#pragma once

#include "wrapper/wexla_frame.h"

// An object is a pointer to its table of methods and nothing else, as an
// MSVC-compiled object without data members; interface_slots.h gives the order
// of the methods. IWexlaInterface, the one public interface name, is version
// 006's interface: its first 150 methods.

// The object of the named version, the same one for the whole process; null
// for a null name (silently) and for any other name (with the debugger line
// "Wexla interface not implemented: <name>").
WEXLA_API void* _f(const char* pszVersion);

// Always status 1 and null; a null status pointer is not written through.
WEXLA_API void* CreateInterface(const char* pszName, int* pStatus);

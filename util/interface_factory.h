// The process-wide list of named interface factories: a module registers a
// creation routine under an interface name, and CreateInterface looks names up.
#pragma once

// Results written to CreateInterface's status output.
enum EInterfaceStatus
{
    eInterfaceFound = 0,
    eInterfaceNotFound = 1,
};

typedef void* (*InstantiateInterfaceFn)();

// One entry of the list. Constructing one puts it at the front of the list;
// entries are meant to live for the whole process (static objects).
class InterfaceReg
{
public:
    InterfaceReg(InstantiateInterfaceFn pfnCreate, const char* pszName);

    InstantiateInterfaceFn m_pfnCreate;
    const char* m_pszName;
    InterfaceReg* m_pNext;

    // Head of the list. Unguarded: entries are added during static
    // initialisation, before any lookup.
    static InterfaceReg* s_pInterfaceRegs;
};

// Searches the list front to back for the exact (case-sensitive) name. On a
// hit sets the status to eInterfaceFound and returns what the entry's routine
// returns; otherwise sets eInterfaceNotFound and returns null. The status
// pointer may be null; a null name finds nothing.
void* CreateRegisteredInterface(const char* pszName, int* pStatus);

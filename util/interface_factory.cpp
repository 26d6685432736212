#include "util/interface_factory.h"

#include <cstring>

InterfaceReg* InterfaceReg::s_pInterfaceRegs = nullptr;

InterfaceReg::InterfaceReg(InstantiateInterfaceFn pfnCreate, const char* pszName)
    : m_pfnCreate(pfnCreate), m_pszName(pszName), m_pNext(s_pInterfaceRegs)
{
    s_pInterfaceRegs = this;
}

void* CreateRegisteredInterface(const char* pszName, int* pStatus)
{
    if (pszName)
    {
        for (InterfaceReg* pReg = InterfaceReg::s_pInterfaceRegs; pReg; pReg = pReg->m_pNext)
        {
            if (strcmp(pReg->m_pszName, pszName) == 0)
            {
                if (pStatus)
                    *pStatus = eInterfaceFound;
                return pReg->m_pfnCreate();
            }
        }
    }
    if (pStatus)
        *pStatus = eInterfaceNotFound;
    return nullptr;
}

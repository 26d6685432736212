#include "util/diriterator.h"

#include <cstring>

const char* CDirIterator::Next()
{
    for (;;)
    {
        if (!m_bStarted)
        {
            m_bStarted = true;
            m_pFind = Plat_FindFirst(m_pszPattern, &m_data);
            if (!m_pFind)
                return nullptr;
        }
        else if (!m_pFind || !Plat_FindNext(m_pFind, &m_data))
        {
            return nullptr;
        }
        if (strcmp(m_data.szName, ".") != 0 && strcmp(m_data.szName, "..") != 0)
            return m_data.szName;
    }
}

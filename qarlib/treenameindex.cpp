#include "qarlib/treenameindex.h"

void CTreeNameIndex::Reset(size_t nCount)
{
    size_t nSize = 0;
    if (nCount > 0)
    {
        nSize = 8;
        while (nSize * 4 < nCount * 5)
            nSize *= 2;
    }
    std::vector<Slot>(nSize, Slot{0, EMPTY}).swap(m_slots);
    m_nMask = nSize ? static_cast<uint32_t>(nSize - 1) : 0;
}

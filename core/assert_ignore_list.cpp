#include "core/assert_ignore_list.h"

#include "core/coretext.h"

CAssertIgnoreList::~CAssertIgnoreList()
{
    while (m_pNewest)
    {
        Record* pNext = m_pNewest->pNext;
        delete m_pNewest;
        m_pNewest = pNext;
    }
}

void CAssertIgnoreList::Add(const char* pszSource, int nFirstLine, int nLastLine, int nCount)
{
    Record* pRecord = new Record;
    Core_CopyText(pRecord->szSource, sizeof(pRecord->szSource), pszSource ? pszSource : "");
    pRecord->nFirstLine = nFirstLine;
    pRecord->nLastLine = nLastLine;
    pRecord->nCount = nCount;
    pRecord->pNext = m_pNewest;
    m_pNewest = pRecord;
}

bool CAssertIgnoreList::Applies(const Record& r, const char* pszSource, int nLine)
{
    if (Core_CompareNoCase(r.szSource, pszSource, ASSERT_IGNORE_SOURCE_MAX) != 0)
        return false;
    if (r.nFirstLine == ASSERT_IGNORE_WHOLE_FILE && r.nLastLine == ASSERT_IGNORE_WHOLE_FILE)
        return true;
    return nLine >= r.nFirstLine && nLine <= r.nLastLine;
}

bool CAssertIgnoreList::Ignores(const char* pszSource, int nLine)
{
    if (!pszSource)
        pszSource = "";
    Record** ppLink = &m_pNewest;
    while (Record* pRecord = *ppLink)
    {
        if (!Applies(*pRecord, pszSource, nLine))
        {
            ppLink = &pRecord->pNext;
            continue;
        }
        if (pRecord->nCount <= 0)
            return true;
        if (--pRecord->nCount > 0)
            return true;
        *ppLink = pRecord->pNext; // used up
        delete pRecord;
    }
    return false;
}

size_t CAssertIgnoreList::Size() const
{
    size_t n = 0;
    for (const Record* p = m_pNewest; p; p = p->pNext)
        ++n;
    return n;
}

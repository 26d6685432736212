#include "util/keyvaluessystem.h"

#include "core/dbg.h"
#include "util/murmurhash3.h"
#include "util/strtools.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr uint32_t kEntriesPerBlock = 256;
// A new page while more than this is in use draws a warning.
constexpr uint32_t kLowMemoryMark = 0x7FFFFF;
} // namespace

CKeyValuesSystem::CKeyValuesSystem()
{
    // The empty name takes symbol 0, so symbol 0 always reads as "".
    AddStringToPool("", 1);
}

CKeyValuesSystem::~CKeyValuesSystem()
{
    for (uint32_t i = 0; i < m_nPagesAllocated; ++i)
        free(m_pPages[i]);
    for (HashEntry* pBlock : m_entryBlocks)
        delete[] pBlock;
}

CKeyValuesSystem* KeyValuesSystem()
{
    static CKeyValuesSystem s_system;
    return &s_system;
}

HKeySymbol CKeyValuesSystem::AddStringToPool(const char* pszText, uint32_t nBytes)
{
    if (nBytes > kMaxNameBytes)
    {
        char szText[128];
        snprintf(szText, sizeof(szText),
                 "CKeyValuesSystem::AddStringToPool: key name too long (%u chars)", nBytes);
        ReportAssertionText(szText, __FILE__, __LINE__);
        return 0;
    }

    const uint32_t nNextFree = m_nNextFree.load(std::memory_order_relaxed);
    uint32_t nPage = nNextFree / kPageSize;
    uint32_t nOffset = nNextFree % kPageSize;
    if (nOffset + nBytes >= kPageSize)
    {
        ++nPage;
        nOffset = 0;
    }
    // The test is on the page the name would go to, so that the page table
    // can never be overrun.
    if (nPage >= kMaxPages)
    {
        ReportAssertion("Fatal Assertion Failed: CKeyValuesSystem::AddStringToPool: out of memory",
                        true, __FILE__, __LINE__, 0);
        return 0; // only when the output function chose to go on
    }
    if (nPage >= m_nPagesAllocated)
    {
        if (nNextFree > kLowMemoryMark)
        {
            char szText[128];
            snprintf(szText, sizeof(szText),
                     "CKeyValuesSystem::AddStringToPool: running out of memory (%u bytes left)",
                     kPoolSize - nNextFree);
            ReportAssertionText(szText, __FILE__, __LINE__);
        }
        // Zeroed, so that the unused tail of a page reads as empty text.
        char* pPage = static_cast<char*>(calloc(1, kPageSize));
        if (!pPage)
        {
            ReportAssertion(
                "Fatal Assertion Failed: CKeyValuesSystem::AddStringToPool: out of memory", true,
                __FILE__, __LINE__, 0);
            return 0;
        }
        m_pPages[m_nPagesAllocated++] = pPage;
    }

    memcpy(m_pPages[nPage] + nOffset, pszText, nBytes);
    const uint32_t nSymbol = nPage * kPageSize + nOffset;
    m_nNextFree.store(nSymbol + nBytes, std::memory_order_release);
    return nSymbol;
}

const char* CKeyValuesSystem::NameForSymbol(HKeySymbol nSymbol)
{
    if (nSymbol == 0 || nSymbol >= m_nNextFree.load(std::memory_order_acquire))
        return "";
    return m_pPages[nSymbol / kPageSize] + nSymbol % kPageSize;
}

HKeySymbol CKeyValuesSystem::FindInBucket(const HashEntry& bucket, uint32_t nHash,
                                          const char* pszName, uint32_t nLength)
{
    for (const HashEntry* pEntry = &bucket; pEntry;
         pEntry = pEntry->pNext.load(std::memory_order_acquire))
    {
        // The symbol is published after the hash, so read it first.
        const uint32_t nSymbol = pEntry->nSymbol.load(std::memory_order_acquire);
        if (nSymbol != 0 && pEntry->nHash == nHash &&
            V_CompareNoCaseN(NameForSymbol(nSymbol), pszName, static_cast<int>(nLength) + 1) == 0)
            return nSymbol;
    }
    return 0;
}

CKeyValuesSystem::HashEntry* CKeyValuesSystem::NewChainEntry()
{
    if (m_nEntriesLeftInBlock == 0)
    {
        m_entryBlocks.push_back(new HashEntry[kEntriesPerBlock]);
        m_nEntriesLeftInBlock = kEntriesPerBlock;
    }
    return &m_entryBlocks.back()[kEntriesPerBlock - m_nEntriesLeftInBlock--];
}

HKeySymbol CKeyValuesSystem::SymbolForName(const char* pszName, bool bCreate)
{
    if (!pszName || !pszName[0])
        return 0;
    const size_t nLength = strlen(pszName);
    if (nLength >= kPoolSize)
        return 0; // could never be pooled; also keeps the length within 32 bits
    const uint32_t nLen32 = static_cast<uint32_t>(nLength);
    const uint32_t nHash = MurmurHash3_32_CaseFolded(pszName, nLength, WEXLA_HASH_SEED);
    HashEntry& bucket = m_buckets[nHash % kBucketCount];

    // Existing names are found without the lock: entries are only appended,
    // and each is published after it is filled.
    HKeySymbol nSymbol = FindInBucket(bucket, nHash, pszName, nLen32);
    if (nSymbol != 0 || !bCreate)
        return nSymbol;

    CSpinRWLockWriteGuard guard(m_lock);
    nSymbol = FindInBucket(bucket, nHash, pszName, nLen32);
    if (nSymbol != 0)
        return nSymbol;
    nSymbol = AddStringToPool(pszName, nLen32 + 1);
    if (nSymbol == 0)
        return 0; // refused: nothing to remember
    if (bucket.nSymbol.load(std::memory_order_relaxed) == 0)
    {
        bucket.nHash = nHash;
        bucket.nSymbol.store(nSymbol, std::memory_order_release);
        return nSymbol;
    }
    HashEntry* pEntry = NewChainEntry();
    pEntry->nHash = nHash;
    pEntry->nSymbol.store(nSymbol, std::memory_order_relaxed);
    HashEntry* pLast = &bucket;
    while (HashEntry* pNext = pLast->pNext.load(std::memory_order_relaxed))
        pLast = pNext;
    pLast->pNext.store(pEntry, std::memory_order_release);
    return nSymbol;
}

bool CKeyValuesSystem::ExpressionSymbolValue(const char* pszName)
{
    if (!pszName)
        return false;
    if (pszName[0] == '$')
        ++pszName;
    const HKeySymbol nSymbol = SymbolForName(pszName, false);
    if (nSymbol == 0)
        return false;
    CSpinRWLockReadGuard guard(m_lock);
    const auto it = m_expressionSymbols.find(nSymbol);
    return it != m_expressionSymbols.end() && it->second;
}

void CKeyValuesSystem::SetExpressionSymbol(const char* pszName, bool bValue)
{
    if (!pszName)
        return;
    if (pszName[0] == '$')
        ++pszName;
    const HKeySymbol nSymbol = SymbolForName(pszName, true);
    if (nSymbol == 0)
        return;
    CSpinRWLockWriteGuard guard(m_lock);
    m_expressionSymbols[nSymbol] = bValue;
}

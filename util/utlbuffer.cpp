#include "util/utlbuffer.h"

#include "core/dbg.h"
#include "util/utlcharconversion.h"
#include "util/utlmemory.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

CUtlBuffer::CUtlBuffer(int nGrowSize, int nInitSize, int nFlags)
    : m_nGrowSize(nGrowSize > 0 ? nGrowSize : 0), m_nFlags(static_cast<uint8_t>(nFlags))
{
    if (nInitSize > 0)
    {
        GrowMemory(nInitSize);
        AddNullTermination();
    }
}

CUtlBuffer::CUtlBuffer(const void* pMemory, int nSize, int nFlags)
    : m_pMemory(static_cast<char*>(const_cast<void*>(pMemory))),
      m_nAllocated(pMemory && nSize > 0 ? nSize : 0),
      m_bExternalMemory(true),
      m_nFlags(static_cast<uint8_t>(nFlags))
{
    if (IsReadOnly())
        m_nPut = m_nMaxPut = m_nAllocated;
    else
        AddNullTermination();
}

CUtlBuffer::~CUtlBuffer()
{
    if (!m_bExternalMemory)
        free(m_pMemory);
}

void CUtlBuffer::SetTextMode(bool bText, bool bCRLF)
{
    m_nFlags = static_cast<uint8_t>(bText ? (m_nFlags | TEXT_BUFFER) : (m_nFlags & ~TEXT_BUFFER));
    m_nFlags =
        static_cast<uint8_t>(bCRLF ? (m_nFlags | CONTAINS_CRLF) : (m_nFlags & ~CONTAINS_CRLF));
}

void CUtlBuffer::SetOverflowFuncs(OverflowFunc_t pfnRead, OverflowFunc_t pfnWrite)
{
    m_pfnReadOverflow = pfnRead ? pfnRead : DefaultReadOverflow;
    m_pfnWriteOverflow = pfnWrite ? pfnWrite : DefaultWriteOverflow;
}

// ---------------------------------------------------------------------------
// Memory and the write side

bool CUtlBuffer::DefaultReadOverflow(CUtlBuffer& /*buf*/, int /*nSize*/)
{
    return false;
}

bool CUtlBuffer::DefaultWriteOverflow(CUtlBuffer& buf, int nSize)
{
    // Room for the bytes and a terminator after them.
    const int64_t nNeeded = int64_t(buf.m_nPut) + nSize + 1;
    return nNeeded <= INT_MAX && buf.GrowMemory(static_cast<int>(nNeeded));
}

bool CUtlBuffer::GrowMemory(int nBytes)
{
    if (nBytes <= m_nAllocated)
        return true;
    if (m_bExternalMemory && !(m_nFlags & EXTERNAL_GROWABLE))
        return false;
    const int nNewSize = UtlMemory_CalcNewAllocationCount(m_nAllocated, m_nGrowSize, nBytes, 1);
    if (nNewSize < nBytes)
        return false;
    char* pNew;
    if (m_bExternalMemory)
    {
        // Outside memory is replaced by our own copy; the owner keeps theirs.
        pNew = static_cast<char*>(malloc(static_cast<size_t>(nNewSize)));
        if (pNew && m_nAllocated > 0)
            memcpy(pNew, m_pMemory, static_cast<size_t>(m_nAllocated));
    }
    else
    {
        pNew = static_cast<char*>(realloc(m_pMemory, static_cast<size_t>(nNewSize)));
    }
    if (!pNew)
        return false;
    m_pMemory = pNew;
    m_nAllocated = nNewSize;
    m_bExternalMemory = false;
    return true;
}

bool CUtlBuffer::Reserve(int n)
{
    if (n >= 0 && !IsReadOnly() && n < INT_MAX && GrowMemory(n + 1))
        return true;
    m_nError |= PUT_OVERFLOW;
    return false;
}

void CUtlBuffer::AddNullTermination()
{
    if (IsText() && !IsReadOnly() && m_nMaxPut < m_nAllocated)
        m_pMemory[m_nMaxPut] = 0;
}

int64_t CUtlBuffer::SeekTarget(SeekType_t eType, int nOffset, int nCurrent) const
{
    switch (eType)
    {
    case SEEK_HEAD:
        return nOffset;
    case SEEK_CURRENT:
        return int64_t(nCurrent) + nOffset;
    case SEEK_TAIL:
        return int64_t(m_nMaxPut) - nOffset;
    }
    return nCurrent;
}

bool CUtlBuffer::SeekWrite(SeekType_t eType, int nOffset)
{
    const int64_t nPos = SeekTarget(eType, nOffset, m_nPut);
    if (nPos < 0 || nPos > m_nAllocated)
        return false;
    m_nPut = static_cast<int>(nPos);
    if (m_nPut > m_nMaxPut)
    {
        m_nMaxPut = m_nPut;
        AddNullTermination();
    }
    return true;
}

bool CUtlBuffer::CheckPut(int n)
{
    if (m_nError & PUT_OVERFLOW)
        return false;
    if (n < 0 || IsReadOnly() || int64_t(m_nPut) + n >= INT_MAX)
    {
        m_nError |= PUT_OVERFLOW;
        return false;
    }
    if (m_nPut + n > m_nAllocated && !m_pfnWriteOverflow(*this, n))
    {
        m_nError |= PUT_OVERFLOW;
        return false;
    }
    return true;
}

void CUtlBuffer::Put(const void* pData, int nSize)
{
    if (nSize == 0 || !CheckPut(nSize))
        return;
    memcpy(m_pMemory + m_nPut, pData, static_cast<size_t>(nSize));
    m_nPut += nSize;
    if (m_nPut > m_nMaxPut)
        m_nMaxPut = m_nPut;
    AddNullTermination();
}

void CUtlBuffer::PutString(const char* pszText)
{
    if (pszText)
        Put(pszText, static_cast<int>(strlen(pszText)));
}

// ---------------------------------------------------------------------------
// The read side

bool CUtlBuffer::CheckRead(int n)
{
    if (m_nError & GET_OVERFLOW)
        return false;
    const int64_t nEnd = int64_t(m_nGet) + n;
    if (n < 0 || nEnd > m_nMaxPut)
    {
        m_nError |= GET_OVERFLOW;
        return false;
    }
    if (nEnd <= m_nAllocated)
        return true;
    if (!m_pfnReadOverflow(*this, n))
    {
        m_nError |= GET_OVERFLOW;
        return false;
    }
    return int64_t(m_nGet) + n <= m_nAllocated;
}

const char* CUtlBuffer::PeekRead(int n, int nOffset)
{
    if ((m_nError & GET_OVERFLOW) || n < 0 || nOffset < 0 || int64_t(n) + nOffset > INT_MAX)
        return nullptr;
    const bool bOk = CheckRead(nOffset + n);
    m_nError &= ~GET_OVERFLOW;
    return bOk ? m_pMemory + m_nGet + nOffset : nullptr;
}

bool CUtlBuffer::SeekRead(SeekType_t eType, int nOffset)
{
    const int64_t nPos = SeekTarget(eType, nOffset, m_nGet);
    if (nPos < 0)
    {
        // Reads before the memory would be unsafe: refuse the move.
        m_nError |= GET_OVERFLOW;
        return false;
    }
    m_nGet = nPos > INT_MAX ? INT_MAX : static_cast<int>(nPos);
    if (nPos > m_nMaxPut)
    {
        m_nError |= GET_OVERFLOW;
        return false;
    }
    m_nError &= ~GET_OVERFLOW;
    return true;
}

void CUtlBuffer::SkipWhitespace()
{
    if (!IsText() || !IsValid())
        return;
    const int nAvailable = GetBytesRemaining();
    const char* p = PeekRead(nAvailable);
    int n = 0;
    while (p && n < nAvailable && IsWhitespace(p[n]))
        ++n;
    m_nGet += n;
    // Reaching the end of data is a read past it.
    if (n == nAvailable)
        m_nError |= GET_OVERFLOW;
}

bool CUtlBuffer::SkipLineComment()
{
    if (!IsText() || !IsValid())
        return false;
    const bool bTwo = CheckRead(2);
    m_nError &= ~GET_OVERFLOW;
    if (!bTwo || m_pMemory[m_nGet] != '/' || m_pMemory[m_nGet + 1] != '/')
        return false;
    m_nGet += 2;
    // Through the line feed, or to the end of data (a read past it).
    const int nAvailable = GetBytesRemaining();
    const char* p = PeekRead(nAvailable);
    const void* pLineFeed = p ? memchr(p, '\n', static_cast<size_t>(nAvailable)) : nullptr;
    if (pLineFeed)
    {
        m_nGet += static_cast<int>(static_cast<const char*>(pLineFeed) - p) + 1;
    }
    else
    {
        m_nGet += nAvailable;
        m_nError |= GET_OVERFLOW;
    }
    return true;
}

char CUtlBuffer::ReadChar()
{
    if (!CheckRead(1))
        return 0;
    return m_pMemory[m_nGet++];
}

char CUtlBuffer::ReadDelimitedChar(const CUtlCharConversion* pConv)
{
    const char c = ReadChar();
    if (c != pConv->GetEscapeChar())
        return c;
    int nLength = pConv->MaxConversionLength();
    if (nLength > GetBytesRemaining())
        nLength = GetBytesRemaining();
    const char* pFollowing = nLength > 0 ? PeekRead(nLength) : nullptr;
    if (!pFollowing)
        return 0;
    int nUsed = 0;
    const char cDecoded = pConv->FindConversion(pFollowing, nLength, &nUsed);
    SeekRead(SEEK_CURRENT, nUsed);
    return cDecoded;
}

bool CUtlBuffer::PeekDelimiter(const CUtlCharConversion* pConv)
{
    const int nLength = pConv->GetDelimiterLength();
    const char* p = PeekRead(nLength);
    return p && memcmp(p, pConv->GetDelimiter(), static_cast<size_t>(nLength)) == 0;
}

void CUtlBuffer::ReadDelimitedString(const CUtlCharConversion* pConv, char* pDest, int nMaxChars)
{
    if (!IsText() || !pConv)
    {
        GetString(pDest, nMaxChars);
        return;
    }
    pDest[0] = 0;
    if (!IsValid())
        return;
    Assert(pConv && pConv->GetDelimiterLength() > 0);

    SkipWhitespace();
    if (!PeekDelimiter(pConv))
        return;
    SeekRead(SEEK_CURRENT, pConv->GetDelimiterLength());

    const int nCapacity = nMaxChars > 0 ? nMaxChars : INT_MAX;
    const char cEscape = pConv->GetEscapeChar();
    const char cDelimiter = pConv->GetDelimiter()[0];
    const bool bRuns = pConv->GetDelimiterLength() > 0;
    int nRead = 0;
    while (IsValid())
    {
        // A run of characters that are neither the escape character nor the
        // start of the delimiter is copied at once.
        const int nAvailable = GetBytesRemaining();
        const char* pRun = bRuns ? PeekRead(nAvailable) : nullptr;
        int nRun = 0;
        while (pRun && nRun < nAvailable && pRun[nRun] != cEscape && pRun[nRun] != cDelimiter)
            ++nRun;
        if (nRun > 0)
        {
            const int nKept = nRun < nCapacity - nRead ? nRun : nCapacity - nRead;
            memcpy(pDest + nRead, pRun, static_cast<size_t>(nKept));
            nRead += nKept;
            m_nGet += nRun;
            continue;
        }
        if (PeekDelimiter(pConv))
        {
            SeekRead(SEEK_CURRENT, pConv->GetDelimiterLength());
            break;
        }
        const char c = ReadDelimitedChar(pConv);
        if (nRead < nCapacity)
            pDest[nRead++] = c;
    }
    pDest[nRead < nCapacity ? nRead : nCapacity - 1] = 0;
}

void CUtlBuffer::GetString(char* pDest, int nMaxChars)
{
    const int nCapacity = nMaxChars > 0 ? nMaxChars : INT_MAX;
    int nRead = 0;
    while (CheckRead(1))
    {
        const char c = m_pMemory[m_nGet++];
        if (c == 0)
            break;
        if (nRead < nCapacity - 1)
            pDest[nRead++] = c;
    }
    pDest[nRead] = 0;
}

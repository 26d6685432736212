#include "qarlib/qarformat.h"

#include <cstring>

uint16_t QarReadU16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t QarReadU32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void QarWriteU16(unsigned char* p, uint16_t n)
{
    p[0] = static_cast<unsigned char>(n);
    p[1] = static_cast<unsigned char>(n >> 8);
}

void QarWriteU32(unsigned char* p, uint32_t n)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(n >> (8 * i));
}

QarDirectoryHeader QarParseDirectoryHeader(const unsigned char* pBytes, size_t nRead, int64_t nFileSize)
{
    QarDirectoryHeader header;
    if (nRead < static_cast<size_t>(QAR_HEADER_SIZE_V2) || QarReadU32(pBytes) != QAR_MAGIC)
    {
        header.eForm = QarDirectoryHeader::FORM_HEADERLESS;
        header.nTreeSize = nFileSize;
        return header;
    }
    header.nVersion = static_cast<int32_t>(QarReadU32(pBytes + 4));
    header.nTreeSize = static_cast<int32_t>(QarReadU32(pBytes + 8));
    if (header.nVersion == 1)
    {
        header.eForm = QarDirectoryHeader::FORM_V1;
        header.nHeaderSize = QAR_HEADER_SIZE_V1;
        const int64_t nData = nFileSize - header.nTreeSize - QAR_HEADER_SIZE_V1;
        header.nInDirectoryDataSize = nData > 0 && nData <= INT32_MAX ? static_cast<int32_t>(nData) : 0;
        return header;
    }
    if (header.nVersion > 2)
    {
        header.eForm = QarDirectoryHeader::FORM_UNKNOWN_VERSION;
        return header;
    }
    header.eForm = QarDirectoryHeader::FORM_V2;
    header.nHeaderSize = QAR_HEADER_SIZE_V2;
    header.nInDirectoryDataSize = static_cast<int32_t>(QarReadU32(pBytes + 12));
    header.nArchiveChecksumSize = static_cast<int32_t>(QarReadU32(pBytes + 16));
    header.nOtherChecksumSize = static_cast<int32_t>(QarReadU32(pBytes + 20));
    header.nSignatureSize = static_cast<int32_t>(QarReadU32(pBytes + 24));
    return header;
}

bool CQarTreeReader::ReadString(const char** ppsz)
{
    if (m_nPos < 0 || m_nPos >= m_nSize)
        return false;
    const void* pEnd = memchr(m_pTree + m_nPos, 0, static_cast<size_t>(m_nSize - m_nPos));
    if (!pEnd)
        return false;
    *ppsz = m_pTree + m_nPos;
    m_nPos = static_cast<int32_t>(static_cast<const char*>(pEnd) - m_pTree) + 1;
    return true;
}

bool CQarTreeReader::ReadEntry(QarEntry* pEntry)
{
    // Sizes are checked against what is left, so nothing here can overflow.
    const auto* p = reinterpret_cast<const unsigned char*>(m_pTree);
    int32_t nPos = m_nPos;
    if (m_nSize - nPos < QAR_ENTRY_FIXED_SIZE + 2)
        return false;
    QarEntry entry;
    entry.pRecord = p + nPos;
    entry.nChecksum = QarReadU32(p + nPos);
    entry.nPreloadCount = QarReadU16(p + nPos + 4);
    nPos += QAR_ENTRY_FIXED_SIZE;
    for (;;)
    {
        if (m_nSize - nPos < 2)
            return false;
        const uint16_t nIndex = QarReadU16(p + nPos);
        if (nIndex == QAR_PART_TERMINATOR)
            break;
        if (m_nSize - nPos < QAR_PART_SIZE)
            return false;
        if (entry.nParts == 0)
        {
            entry.nArchiveIndex = nIndex;
            entry.nOffset = QarReadU32(p + nPos + 2);
            entry.nLength = QarReadU32(p + nPos + 6);
        }
        ++entry.nParts;
        nPos += QAR_PART_SIZE;
    }
    nPos += 2;
    if (m_nSize - nPos < entry.nPreloadCount)
        return false;
    entry.pPreload = entry.nPreloadCount ? p + nPos : nullptr;
    nPos += entry.nPreloadCount;
    m_nPos = nPos;
    *pEntry = entry;
    return true;
}

bool QarWalkTree(const char* pTree, int32_t nTreeSize, IQarTreeVisitor& visitor, int32_t* pnStop)
{
    CQarTreeReader reader(pTree, nTreeSize);
    const char* pszExt;
    const char* pszDir;
    const char* pszName;
    QarEntry entry;
    bool bComplete = false;
    int32_t nGood = 0; // end of the last complete element
    while (reader.ReadString(&pszExt))
    {
        if (!*pszExt)
        {
            bComplete = true;
            nGood = reader.Position();
            break;
        }
        nGood = reader.Position();
        visitor.OnExtension(pszExt);
        bool bDirsEnded = false;
        while (reader.ReadString(&pszDir))
        {
            if (!*pszDir)
            {
                bDirsEnded = true;
                nGood = reader.Position();
                break;
            }
            nGood = reader.Position();
            visitor.OnDirectory(pszExt, pszDir);
            bool bFilesEnded = false;
            while (reader.ReadString(&pszName))
            {
                if (!*pszName)
                {
                    bFilesEnded = true;
                    nGood = reader.Position();
                    break;
                }
                if (!reader.ReadEntry(&entry))
                    break;
                nGood = reader.Position();
                visitor.OnFile(pszExt, pszDir, pszName, entry);
            }
            if (!bFilesEnded)
                break;
        }
        if (!bDirsEnded)
            break;
    }
    if (pnStop)
        *pnStop = nGood;
    return bComplete;
}

// CPackedStore: reading file data from the preload bytes, the chunk files and
// the in-directory data, and the table of open chunk files.
#include "qarlib/packedstore.h"

#include "core/dbg.h"
#include "qarlib/qarformat.h"
#include "util/strtools.h"

#include <cstring>

void CPackedStore::GetDataFileName(char* pszOut, int nOutSize, int32_t nArchiveIndex) const
{
    if (nArchiveIndex == QAR_DIRECTORY_ARCHIVE_INDEX)
    {
        if (V_FindNoCase(m_szBasePath, ".qar"))
            V_CopyBounded(pszOut, m_szBasePath, nOutSize);
        else
            V_FormatBounded(pszOut, nOutSize, "%s_dir.qar", m_szBasePath);
    }
    else
    {
        V_FormatBounded(pszOut, nOutSize, "%s_%03d.qar", m_szBasePath, nArchiveIndex);
    }
}

ChunkFileSlot* CPackedStore::GetChunkFile(int32_t nArchiveIndex)
{
    std::lock_guard<std::mutex> guard(m_storeLock);
    ChunkFileSlot& slot = m_chunkSlots[nArchiveIndex & (CHUNK_SLOTS - 1)];
    if (slot.nArchiveIndex == nArchiveIndex)
        return &slot;
    if (slot.nArchiveIndex != -1)
    {
        SpewError("Exceeded limit of number of qar files supported (%d)!\n", CHUNK_SLOTS);
        return nullptr; // only reached when the error was not fatal
    }
    char szName[PATH_SIZE];
    GetDataFileName(szName, sizeof(szName), nArchiveIndex);
    slot.nLastPosition = 0;
    slot.pStream = fopen(szName, "rb");
    if (!slot.pStream)
    {
        // The slot stays free, so the next read tries again.
        if (!slot.bOpenFailureReported)
        {
            slot.bOpenFailureReported = true;
            SpewWarning("qar %s: cannot open data file %s\n", m_szBasePath, szName);
        }
        return nullptr;
    }
    slot.nArchiveIndex = nArchiveIndex;
    return &slot;
}

int32_t CPackedStore::ReadChunkBytes(ChunkFileSlot& slot, int32_t nArchiveIndex, int64_t nFileOffset,
                                     unsigned char* pDest, int32_t nNumBytes)
{
    if (m_readCache.Read(slot, nArchiveIndex, nFileOffset, pDest, nNumBytes))
        return nNumBytes;
    // Offsets are 31-bit: bytes at 2 GiB and beyond cannot be addressed.
    int64_t nReadable = INT32_MAX - nFileOffset;
    if (nReadable > nNumBytes)
        nReadable = nNumBytes;
    size_t nGot = 0;
    if (nReadable > 0 && fseek(slot.pStream, static_cast<long>(nFileOffset), SEEK_SET) == 0)
    {
        nGot = fread(pDest, 1, static_cast<size_t>(nReadable), slot.pStream);
        slot.nLastPosition = static_cast<int32_t>(nFileOffset + static_cast<int64_t>(nGot));
    }
    return static_cast<int32_t>(nGot);
}

int32_t CPackedStore::ReadData(CPackedFileHandle& handle, void* pDest, int32_t nNumBytesAsked)
{
    if (handle.nPosition < 0 || !pDest)
        return 0;
    int64_t nLeft = static_cast<int64_t>(handle.nSize) - handle.nPosition;
    if (nNumBytesAsked < nLeft)
        nLeft = nNumBytesAsked;
    if (nLeft <= 0)
        return 0;
    int32_t n = static_cast<int32_t>(nLeft);
    auto* pOut = static_cast<unsigned char*>(pDest);

    int32_t nFromPreload = handle.nPreloadCount - handle.nPosition;
    if (nFromPreload > n)
        nFromPreload = n;
    if (nFromPreload > 0)
    {
        memcpy(pOut, handle.pPreload + handle.nPosition, static_cast<size_t>(nFromPreload));
        pOut += nFromPreload;
        handle.nPosition += nFromPreload;
        n -= nFromPreload;
    }
    else
    {
        nFromPreload = 0;
    }
    if (n <= 0)
        return nFromPreload;

    // An unopenable data file delivers the preload bytes only; its stream is
    // never touched.
    ChunkFileSlot* pSlot = GetChunkFile(handle.nArchiveIndex);
    if (!pSlot)
        return nFromPreload;

    int64_t nFileOffset = static_cast<int64_t>(handle.nOffset) + handle.nPosition - handle.nPreloadCount;
    if (handle.nArchiveIndex == QAR_DIRECTORY_ARCHIVE_INDEX)
        nFileOffset += m_nDataStart;

    std::lock_guard<std::mutex> guard(pSlot->lock);
    const int32_t nNumBytes = n;
    const int32_t nRead = ReadChunkBytes(*pSlot, handle.nArchiveIndex, nFileOffset, pOut, nNumBytes);
    handle.nPosition += nRead;
    Assert(nRead == nNumBytes);
    return nFromPreload + nRead;
}

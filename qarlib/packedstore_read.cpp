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
    ChunkFileSlot& slot = m_chunkSlots[nArchiveIndex & (CHUNK_SLOTS - 1)];
    // An open slot never changes again: no lock is needed to find it.
    if (slot.nArchiveIndex.load(std::memory_order_acquire) == nArchiveIndex)
        return &slot;
    std::lock_guard<std::mutex> guard(m_storeLock);
    const int32_t nHeld = slot.nArchiveIndex.load(std::memory_order_relaxed);
    if (nHeld == nArchiveIndex)
        return &slot;
    if (nHeld != -1)
    {
        SpewError("Exceeded limit of number of qar files supported (%d)!\n", CHUNK_SLOTS);
        return nullptr; // only reached when the error was not fatal
    }
    char szName[PATH_SIZE];
    GetDataFileName(szName, sizeof(szName), nArchiveIndex);
    slot.hFile = Plat_OpenFileForReading(szName);
    if (slot.hFile == PLAT_INVALID_FILE)
    {
        // The slot stays free, so the next read tries again.
        if (!slot.bOpenFailureReported)
        {
            slot.bOpenFailureReported = true;
            SpewWarning("qar %s: cannot open data file %s\n", m_szBasePath, szName);
        }
        return nullptr;
    }
    slot.nArchiveIndex.store(nArchiveIndex, std::memory_order_release);
    return &slot;
}

int64_t CPackedStore::GetChunkBytesRead() const
{
    int64_t nBytes = 0;
    for (const ChunkFileSlot& slot : m_chunkSlots)
        nBytes += slot.nBytesRead.load(std::memory_order_relaxed);
    return nBytes;
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

    // An unopenable data file delivers the preload bytes only; its file is
    // never touched.
    ChunkFileSlot* pSlot = GetChunkFile(handle.nArchiveIndex);
    if (!pSlot)
        return nFromPreload;

    int64_t nFileOffset = static_cast<int64_t>(handle.nOffset) + handle.nPosition - handle.nPreloadCount;
    if (handle.nArchiveIndex == QAR_DIRECTORY_ARCHIVE_INDEX)
        nFileOffset += m_nDataStart;

    const int32_t nNumBytes = n;
    const int32_t nRead = m_readCache.Read(*pSlot, handle.nArchiveIndex, nFileOffset, pOut, nNumBytes);
    handle.nPosition += nRead;
    Assert(nRead == nNumBytes);
    return nFromPreload + nRead;
}

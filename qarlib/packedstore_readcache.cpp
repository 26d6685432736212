#include "qarlib/packedstore_readcache.h"

#include "qarlib/chunkfileslot.h"

#include <cstring>
#include <mutex>
#include <new>

CPackedStoreReadCache::~CPackedStoreReadCache()
{
    for (Block& block : m_blocks)
        delete[] block.pBuffer;
}

void CPackedStoreReadCache::SetBlockLimit(int nBlocks)
{
    m_nBlockLimit = nBlocks < 1 ? 1 : (nBlocks > MAX_BLOCKS ? MAX_BLOCKS : nBlocks);
}

int32_t CPackedStoreReadCache::Read(ChunkFileSlot& slot, int32_t nArchiveIndex, int64_t nFileOffset,
                                    void* pDest, int32_t nCount)
{
    // Offsets are 31-bit: bytes at 2 GiB and beyond cannot be addressed.
    if (nFileOffset < 0 || nFileOffset >= INT32_MAX || nCount <= 0)
        return 0;
    if (nCount > INT32_MAX - nFileOffset)
        nCount = static_cast<int32_t>(INT32_MAX - nFileOffset);
    auto* pOut = static_cast<unsigned char*>(pDest);

    const int64_t nPreviousEnd = slot.nNextOffset.load(std::memory_order_relaxed);
    const bool bContinues = nFileOffset >= nPreviousEnd && nFileOffset - nPreviousEnd <= SEQUENTIAL_GAP;
    const int32_t nRun = bContinues ? slot.nSequentialRun.load(std::memory_order_relaxed) + 1 : 0;
    slot.nSequentialRun.store(nRun, std::memory_order_relaxed);

    int32_t nGot = -1;
    if (nCount < DIRECT_READ_SIZE)
    {
        if (CopyFromBlock(nArchiveIndex, nFileOffset, pOut, nCount))
        {
            nGot = nCount;
        }
        else if (nRun >= 2)
        {
            // Inside the block loaded last: it was taken before the reads
            // passed it (or the read runs past its end), so read directly.
            const int64_t nLastBlock = slot.nLastBlockStart.load(std::memory_order_relaxed);
            if (nLastBlock < 0 || nFileOffset < nLastBlock || nFileOffset >= nLastBlock + BLOCK_SIZE)
                nGot = LoadAndCopy(slot, nArchiveIndex, nFileOffset, pOut, nCount);
        }
    }
    if (nGot < 0)
    {
        nGot = static_cast<int32_t>(Plat_ReadFileAt(slot.hFile, nFileOffset, pOut, static_cast<size_t>(nCount)));
        slot.nBytesRead.fetch_add(nGot, std::memory_order_relaxed);
    }
    slot.nNextOffset.store(nFileOffset + nGot, std::memory_order_relaxed);
    return nGot;
}

bool CPackedStoreReadCache::CopyFromBlock(int32_t nArchiveIndex, int64_t nFileOffset, unsigned char* pDest,
                                          int32_t nCount)
{
    std::shared_lock<std::shared_mutex> shared(m_lock);
    for (int i = 0; i < m_nBlockLimit; ++i)
    {
        Block& block = m_blocks[i];
        if (block.nArchiveIndex == nArchiveIndex && nFileOffset >= block.nStart &&
            nFileOffset + nCount <= block.nStart + block.nLength)
        {
            memcpy(pDest, block.pBuffer + (nFileOffset - block.nStart), static_cast<size_t>(nCount));
            Stamp(block);
            return true;
        }
    }
    return false;
}

int32_t CPackedStoreReadCache::LoadAndCopy(ChunkFileSlot& slot, int32_t nArchiveIndex, int64_t nFileOffset,
                                           unsigned char* pDest, int32_t nCount)
{
    Block* pBlock = nullptr;
    {
        // An empty record first, else the least recently used one; never
        // one that another reader is filling.
        std::unique_lock<std::shared_mutex> exclusive(m_lock);
        for (int i = 0; i < m_nBlockLimit; ++i)
        {
            Block& block = m_blocks[i];
            if (block.bLoading)
                continue;
            if (block.nArchiveIndex < 0)
            {
                pBlock = &block;
                break;
            }
            if (!pBlock || block.nLastUse.load(std::memory_order_relaxed) <
                               pBlock->nLastUse.load(std::memory_order_relaxed))
                pBlock = &block;
        }
        if (!pBlock)
            return -1;
        pBlock->bLoading = true;
        pBlock->nArchiveIndex = -1;
    }

    // The record is this reader's alone until it is published again.
    if (!pBlock->pBuffer)
        pBlock->pBuffer = new (std::nothrow) unsigned char[BLOCK_SIZE];
    unsigned char* pBuffer = pBlock->pBuffer;
    int64_t nWant = BLOCK_SIZE;
    if (nWant > INT32_MAX - nFileOffset)
        nWant = INT32_MAX - nFileOffset;
    int32_t nRead = 0;
    int32_t nGot = -1;
    if (pBuffer)
    {
        nRead = static_cast<int32_t>(Plat_ReadFileAt(slot.hFile, nFileOffset, pBuffer, static_cast<size_t>(nWant)));
        slot.nBytesRead.fetch_add(nRead, std::memory_order_relaxed);
        nGot = nRead < nCount ? nRead : nCount;
        memcpy(pDest, pBuffer, static_cast<size_t>(nGot));
        slot.nLastBlockStart.store(nFileOffset, std::memory_order_relaxed);
    }

    std::unique_lock<std::shared_mutex> exclusive(m_lock);
    pBlock->bLoading = false;
    if (nRead > 0)
    {
        pBlock->nArchiveIndex = nArchiveIndex;
        pBlock->nStart = nFileOffset;
        pBlock->nLength = nRead;
        Stamp(*pBlock);
    }
    return nGot;
}

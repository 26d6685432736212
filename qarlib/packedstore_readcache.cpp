#include "qarlib/packedstore_readcache.h"

#include "core/platform.h"
#include "qarlib/chunkfileslot.h"

#include <cstring>
#include <mutex>
#include <new>

CPackedStoreReadCache::~CPackedStoreReadCache()
{
    for (auto& entry : m_blocks)
        delete[] entry.second.pBuffer;
}

void CPackedStoreReadCache::SetBlockLimit(int nBlocks)
{
    m_nBlockLimit = nBlocks < 1 ? 1 : (nBlocks > MAX_BLOCKS ? MAX_BLOCKS : nBlocks);
}

void CPackedStoreReadCache::StampSlot(int nSlot)
{
    m_nSlotTimes[nSlot].exchange(static_cast<uint32_t>(Plat_MillisecondsNow()));
}

bool CPackedStoreReadCache::Read(ChunkFileSlot& slot, int32_t nArchiveIndex, int64_t nFileOffset,
                                 void* pDest, int32_t nCount)
{
    if (nCount <= 0)
        return true;
    // Blocks are addressed by 31-bit offsets: anything beyond is read directly.
    if (nFileOffset < 0 || nFileOffset + nCount > INT32_MAX)
        return false;
    int32_t nOffset = static_cast<int32_t>(nFileOffset);
    auto* pOut = static_cast<unsigned char*>(pDest);
    int32_t nPiece = BLOCK_SIZE - (nOffset % BLOCK_SIZE);
    if (nPiece > nCount)
        nPiece = nCount;
    while (nCount > 0)
    {
        if (!ReadPiece(slot, nArchiveIndex, nOffset, pOut, nPiece))
            return false;
        nOffset += nPiece;
        pOut += nPiece;
        nCount -= nPiece;
        nPiece = nCount < BLOCK_SIZE ? nCount : BLOCK_SIZE;
    }
    return true;
}

bool CPackedStoreReadCache::ReadPiece(ChunkFileSlot& slot, int32_t nArchiveIndex, int32_t nOffset,
                                      unsigned char* pDest, int32_t nCount)
{
    const int32_t nBlockStart = (nOffset & 0x7FFFFFFF) & ~(BLOCK_SIZE - 1);
    const BlockKey key(nArchiveIndex, nBlockStart);

    // Copies from a found block, or fails when its buffer is gone or short.
    auto copyFrom = [&](BlockRecord& block) {
        if (!block.pBuffer)
            return false;
        StampSlot(block.nSlot);
        if (static_cast<int64_t>(block.nBlockStart) + block.nValidLength <
            static_cast<int64_t>(nOffset) + nCount)
            return false;
        memcpy(pDest, block.pBuffer + (nOffset - block.nBlockStart), static_cast<size_t>(nCount));
        return true;
    };

    {
        std::shared_lock<std::shared_mutex> shared(m_lock);
        auto it = m_blocks.find(key);
        if (it != m_blocks.end())
            return copyFrom(it->second);
    }

    std::unique_lock<std::shared_mutex> exclusive(m_lock);
    auto it = m_blocks.find(key);
    if (it != m_blocks.end())
        return copyFrom(it->second);
    BlockRecord* pBlock = LoadBlock(slot, nArchiveIndex, nBlockStart);
    return pBlock && copyFrom(*pBlock);
}

CPackedStoreReadCache::BlockRecord* CPackedStoreReadCache::LoadBlock(ChunkFileSlot& slot,
                                                                     int32_t nArchiveIndex,
                                                                     int32_t nBlockStart)
{
    int nSlot;
    unsigned char* pBuffer = nullptr;
    if (m_nBlocksInUse < m_nBlockLimit)
    {
        nSlot = m_nBlocksInUse;
    }
    else
    {
        // The least recently used slot; the first of equal times wins.
        nSlot = 0;
        for (int i = 1; i < m_nBlocksInUse; ++i)
        {
            if (m_nSlotTimes[i].load() < m_nSlotTimes[nSlot].load())
                nSlot = i;
        }
        if (BlockRecord* pOwner = m_pSlotOwners[nSlot])
        {
            pBuffer = pOwner->pBuffer;
            pOwner->pBuffer = nullptr; // stays in the index, never loaded again
        }
    }
    if (!pBuffer)
    {
        pBuffer = new (std::nothrow) unsigned char[BLOCK_SIZE];
        if (!pBuffer)
            return nullptr;
    }
    if (nSlot == m_nBlocksInUse)
        ++m_nBlocksInUse;

    size_t nRead = 0;
    if (fseek(slot.pStream, nBlockStart, SEEK_SET) == 0)
        nRead = fread(pBuffer, 1, BLOCK_SIZE, slot.pStream);
    fseek(slot.pStream, slot.nLastPosition, SEEK_SET);

    BlockRecord& block = m_blocks[BlockKey(nArchiveIndex, nBlockStart)];
    block.nArchiveIndex = nArchiveIndex;
    block.nBlockStart = nBlockStart;
    block.pBuffer = pBuffer;
    block.nValidLength = static_cast<int32_t>(nRead);
    block.nSlot = nSlot;
    m_pSlotOwners[nSlot] = &block;
    StampSlot(nSlot);
    return &block;
}

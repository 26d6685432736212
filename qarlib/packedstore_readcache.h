// Whole 1 MiB blocks of chunk data kept in memory for a store's reads.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <shared_mutex>
#include <utility>

struct ChunkFileSlot;

class CPackedStoreReadCache
{
public:
    static constexpr int32_t BLOCK_SIZE = 0x100000;
    static constexpr int MAX_BLOCKS = 64;

    CPackedStoreReadCache() = default;
    ~CPackedStoreReadCache();
    CPackedStoreReadCache(const CPackedStoreReadCache&) = delete;
    CPackedStoreReadCache& operator=(const CPackedStoreReadCache&) = delete;

    // Most blocks kept, 1 to 64 (values outside are clamped); set before the
    // first read.
    void SetBlockLimit(int nBlocks);
    int GetBlockLimit() const { return m_nBlockLimit; }

    // Copies nCount bytes at nFileOffset of the chunk file held by pSlot
    // (archive index nArchiveIndex) into pDest, loading blocks as needed. The
    // caller holds the slot's lock. False when the bytes could not all be
    // served from blocks (the caller then reads the whole request directly;
    // bytes already copied may be overwritten).
    bool Read(ChunkFileSlot& slot, int32_t nArchiveIndex, int64_t nFileOffset, void* pDest,
              int32_t nCount);

private:
    struct BlockRecord
    {
        int32_t nArchiveIndex = 0;
        int32_t nBlockStart = 0;
        unsigned char* pBuffer = nullptr; // null once another block took it
        int32_t nValidLength = 0;
        int nSlot = 0;
    };
    using BlockKey = std::pair<int32_t, int32_t>;

    // Copies one piece that lies inside a single block; false on failure.
    bool ReadPiece(ChunkFileSlot& slot, int32_t nArchiveIndex, int32_t nOffset, unsigned char* pDest,
                   int32_t nCount);
    // Under the exclusive lock: gives the block a slot and buffer and fills
    // it from the chunk file. Null when no buffer could be had.
    BlockRecord* LoadBlock(ChunkFileSlot& slot, int32_t nArchiveIndex, int32_t nBlockStart);
    void StampSlot(int nSlot);

    std::shared_mutex m_lock;
    std::map<BlockKey, BlockRecord> m_blocks;
    int m_nBlockLimit = MAX_BLOCKS;
    int m_nBlocksInUse = 0;
    BlockRecord* m_pSlotOwners[MAX_BLOCKS] = {};
    std::atomic<uint32_t> m_nSlotTimes[MAX_BLOCKS] = {};
};

// How a store reads chunk data. Chunk files are read with positional reads
// (no shared file position, no lock), so threads share one chunk file
// without waiting for each other. Reads of 64 KiB or more go straight into
// the caller's buffer. A smaller read is copied from a cached block when one
// holds it; otherwise, when reads on that chunk file run sequentially (the
// third read in a row that starts where the one before ended), the 1 MiB
// block that starts at the read is loaded and later reads are copied from
// it; scattered reads go straight to the caller's buffer, so no more is read
// than is asked for. A block whose chunk file's reads run on is loaded once:
// when another load takes its buffer before they have passed it, they read
// directly until they do, so two sequential readers sharing one block buffer
// read at most what they deliver again.
#pragma once

#include <atomic>
#include <cstdint>
#include <shared_mutex>

struct ChunkFileSlot;

class CPackedStoreReadCache
{
public:
    static constexpr int32_t BLOCK_SIZE = 0x100000;
    static constexpr int MAX_BLOCKS = 64;
    // Reads of at least this many bytes always go straight to the caller.
    static constexpr int32_t DIRECT_READ_SIZE = 64 * 1024;
    // A read that starts at most this far after the previous read's end
    // continues it (the packer may leave alignment gaps between files).
    static constexpr int32_t SEQUENTIAL_GAP = 64 * 1024;

    CPackedStoreReadCache() = default;
    ~CPackedStoreReadCache();
    CPackedStoreReadCache(const CPackedStoreReadCache&) = delete;
    CPackedStoreReadCache& operator=(const CPackedStoreReadCache&) = delete;

    // Most blocks kept, 1 to 64 (values outside are clamped); set before the
    // first read.
    void SetBlockLimit(int nBlocks);
    int GetBlockLimit() const { return m_nBlockLimit; }

    // Reads nCount bytes at nFileOffset of the slot's open chunk file into
    // pDest. Returns the bytes delivered: fewer only where the file ends.
    int32_t Read(ChunkFileSlot& slot, int32_t nArchiveIndex, int64_t nFileOffset, void* pDest,
                 int32_t nCount);

private:
    struct Block
    {
        int32_t nArchiveIndex = -1; // -1: holds nothing that can be found
        int64_t nStart = 0;
        int32_t nLength = 0;        // bytes read into the buffer
        bool bLoading = false;      // being filled by one reader, outside the lock
        unsigned char* pBuffer = nullptr;
        std::atomic<uint64_t> nLastUse{0}; // stamped by shared holders too
    };

    // Copies from a cached block that holds all nCount bytes; false when none does.
    bool CopyFromBlock(int32_t nArchiveIndex, int64_t nFileOffset, unsigned char* pDest, int32_t nCount);
    // Loads the block that starts at nFileOffset and copies from it; -1 when
    // no block buffer was free.
    int32_t LoadAndCopy(ChunkFileSlot& slot, int32_t nArchiveIndex, int64_t nFileOffset,
                        unsigned char* pDest, int32_t nCount);
    void Stamp(Block& block) { block.nLastUse.store(++m_nUseClock, std::memory_order_relaxed); }

    std::shared_mutex m_lock; // guards the block records; their buffers while not loading
    int m_nBlockLimit = MAX_BLOCKS;
    Block m_blocks[MAX_BLOCKS];
    std::atomic<uint64_t> m_nUseClock{0};
};

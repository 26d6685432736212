// One entry of a store's table of open chunk files.
#pragma once

#include "core/platform.h"

#include <atomic>
#include <cstdint>

struct ChunkFileSlot
{
    // The chunk held here; -1 while free. Written once, under the store lock,
    // after hFile, so a reader that sees its archive index may use hFile
    // without the lock.
    std::atomic<int32_t> nArchiveIndex{-1};
    PlatFile hFile = PLAT_INVALID_FILE; // kept open until the store is destroyed
    bool bOpenFailureReported = false;  // under the store lock

    // How reads on this chunk file run, for the read cache's choice between
    // loading a block and reading straight into the caller's buffer. Threads
    // update these without a lock: a lost update only changes that choice.
    std::atomic<int64_t> nNextOffset{0};   // where the last read ended
    std::atomic<int32_t> nSequentialRun{0}; // reads in a row that began where the one before ended
    std::atomic<int64_t> nLastBlockStart{-1}; // the block this file loaded last
    std::atomic<int64_t> nBytesRead{0};        // read from the file, into blocks or directly
};

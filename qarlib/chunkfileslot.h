// One entry of a store's table of open chunk files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>

struct ChunkFileSlot
{
    int32_t nArchiveIndex = -1; // the chunk held here; -1 while free
    FILE* pStream = nullptr;    // opened "rb", kept open until the store is destroyed
    int32_t nLastPosition = 0;  // file position after the last direct read
    bool bOpenFailureReported = false;
    std::mutex lock; // held while a read uses this chunk file
};

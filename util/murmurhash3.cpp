#include "util/murmurhash3.h"

#include <cstring>

namespace
{
inline uint32_t Rotl32(uint32_t x, int r)
{
    return (x << r) | (x >> (32 - r));
}

inline uint32_t FinalMix(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x85ebca6bu;
    h ^= h >> 13;
    h *= 0xc2b2ae35u;
    h ^= h >> 16;
    return h;
}

// The algorithm, with nMask applied to every block and to the tail.
uint32_t Murmur(const void* pKey, size_t nLen, uint32_t nSeed, uint32_t nMask)
{
    const uint8_t* pData = static_cast<const uint8_t*>(pKey);
    const size_t nBlocks = nLen / 4;
    const uint32_t c1 = 0xcc9e2d51u;
    const uint32_t c2 = 0x1b873593u;
    uint32_t h1 = nSeed;

    for (size_t i = 0; i < nBlocks; ++i)
    {
        uint32_t k1;
        memcpy(&k1, pData + i * 4, 4); // little-endian blocks, any alignment
        k1 &= nMask;
        k1 *= c1;
        k1 = Rotl32(k1, 15);
        k1 *= c2;
        h1 ^= k1;
        h1 = Rotl32(h1, 13);
        h1 = h1 * 5 + 0xe6546b64u;
    }

    const uint8_t* pTail = pData + nBlocks * 4;
    uint32_t k1 = 0;
    switch (nLen & 3)
    {
    case 3:
        k1 ^= static_cast<uint32_t>(pTail[2]) << 16;
        [[fallthrough]];
    case 2:
        k1 ^= static_cast<uint32_t>(pTail[1]) << 8;
        [[fallthrough]];
    case 1:
        k1 ^= pTail[0];
        k1 &= nMask;
        k1 *= c1;
        k1 = Rotl32(k1, 15);
        k1 *= c2;
        h1 ^= k1;
    }

    h1 ^= static_cast<uint32_t>(nLen);
    return FinalMix(h1);
}
} // namespace

uint32_t MurmurHash3_32(const void* pKey, size_t nLen, uint32_t nSeed)
{
    return Murmur(pKey, nLen, nSeed, 0xFFFFFFFFu);
}

uint32_t MurmurHash3_32_CaseFolded(const void* pKey, size_t nLen, uint32_t nSeed)
{
    return Murmur(pKey, nLen, nSeed, 0xDFDFDFDFu);
}

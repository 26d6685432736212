#include "qarlib/crc32.h"

namespace
{
struct Crc32Tables
{
    // Slicing by four: one table per byte position of a 32-bit word.
    uint32_t t[4][256];
    Crc32Tables()
    {
        for (uint32_t i = 0; i < 256; ++i)
        {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
        {
            for (int k = 1; k < 4; ++k)
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
        }
    }
};

const Crc32Tables& Tables()
{
    static const Crc32Tables s_tables;
    return s_tables;
}
} // namespace

uint32_t QarCrc32(uint32_t nCrc, const void* pData, size_t nLen)
{
    const auto& t = Tables().t;
    const auto* p = static_cast<const unsigned char*>(pData);
    uint32_t c = ~nCrc;
    while (nLen >= 4)
    {
        c ^= static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        c = t[3][c & 0xFF] ^ t[2][(c >> 8) & 0xFF] ^ t[1][(c >> 16) & 0xFF] ^ t[0][c >> 24];
        p += 4;
        nLen -= 4;
    }
    while (nLen--)
        c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

// Test content: n bytes that differ from file to file (by seed) and from
// position to position, including CR, LF and bytes above 0x7F.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testcommon
{
inline std::string Pattern(size_t n, uint32_t nSeed)
{
    std::string s(n, '\0');
    uint32_t x = nSeed * 2654435761u + 12345u;
    for (size_t i = 0; i < n; ++i)
    {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}
} // namespace testcommon

#include "util/murmurhash3.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(MurmurHash3, MatchesThePublishedTestVectors)
{
    struct Case
    {
        std::string key;
        uint32_t nSeed;
        uint32_t nExpected;
    };
    const Case cases[] = {
        {"", 0, 0},
        {"", 1, 0x514E28B7},
        {"", 0xffffffff, 0x81F16F39},
        {std::string(4, '\0'), 0, 0x2362F9DE},
        {"aaaa", 0x9747b28c, 0x5A97808A},
        {"aaa", 0x9747b28c, 0x283E0130},
        {"aa", 0x9747b28c, 0x5D211726},
        {"a", 0x9747b28c, 0x7FA09EA6},
        {"abcd", 0x9747b28c, 0xF0478627},
        {"abc", 0x9747b28c, 0xC84A62DD},
        {"ab", 0x9747b28c, 0x74875592},
        {"Hello, world!", 0x9747b28c, 0x24884CBA},
        {"The quick brown fox jumps over the lazy dog", 0x9747b28c, 0x2FA826CD},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.nExpected, MurmurHash3_32(c.key.data(), c.key.size(), c.nSeed)) << '"' << c.key << '"';
}

TEST(MurmurHash3, CaseFoldedHashIgnoresAsciiLetterCase)
{
    for (const char* psz : {"a", "ab", "abc", "abcd", "models/player", "Texture_01.VTF"})
    {
        std::string upper = psz;
        for (char& ch : upper)
            ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(MurmurHash3_32_CaseFolded(psz, strlen(psz), WEXLA_HASH_SEED),
                  MurmurHash3_32_CaseFolded(upper.data(), upper.size(), WEXLA_HASH_SEED))
            << psz;
    }
    // Upper-case text already has bit 5 clear in its letters, so the folded
    // hash of an all-capital name is the plain hash.
    EXPECT_EQ(MurmurHash3_32("ABCDE", 5, WEXLA_HASH_SEED), MurmurHash3_32_CaseFolded("abcde", 5, WEXLA_HASH_SEED));
}

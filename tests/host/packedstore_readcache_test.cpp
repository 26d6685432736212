// The read cache, observed from outside: once a block is cached, changing the
// chunk file on disk does not change what is read from it; a direct read
// sees the change.
#include "core/platform.h"
#include "qarlib/packedstore.h"
#include "tests/host/qar_fixture.h"

#include <gtest/gtest.h>

using namespace qartest;

namespace
{
constexpr int32_t kBlock = CPackedStoreReadCache::BLOCK_SIZE;

// A headerless tree of files d/<name>.bin, each one part of chunk 0.
struct Span
{
    const char* pszName;
    uint32_t nOffset;
    uint32_t nLength;
};
std::string TreeOf(const std::vector<Span>& spans)
{
    std::string tree = Str("bin") + Str("d");
    for (const Span& s : spans)
        tree += Str(s.pszName) + Entry(0, "", {{0, s.nOffset, s.nLength}});
    return tree + std::string(3, '\0');
}

class ReadCacheTest : public ::testing::Test
{
protected:
    void Build(const std::vector<Span>& spans, size_t nChunkSize)
    {
        WriteFileBytes(m_dir.Path("p_dir.qar"), TreeOf(spans));
        m_original = Pattern(nChunkSize, 1);
        WriteFileBytes(m_dir.Path("p_000.qar"), m_original);
        m_store = std::make_unique<CPackedStore>(m_dir.Path("p").c_str(), nullptr);
    }
    // Rewrites the whole chunk file in place with different bytes.
    void ChangeChunkOnDisk()
    {
        m_changed = Pattern(m_original.size(), 2);
        FILE* f = fopen(m_dir.Path("p_000.qar").c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        fwrite(m_changed.data(), 1, m_changed.size(), f);
        fclose(f);
    }
    // 'o' when the file reads as the original bytes, 'c' as the changed ones.
    char Source(const char* pszName, const Span& span)
    {
        const std::string got = ReadAll(*m_store, pszName);
        if (got == m_original.substr(span.nOffset, span.nLength))
            return 'o';
        if (got == m_changed.substr(span.nOffset, span.nLength))
            return 'c';
        return '?';
    }

    TempDir m_dir;
    std::string m_original, m_changed;
    std::unique_ptr<CPackedStore> m_store;
};
} // namespace

TEST_F(ReadCacheTest, CachedBlocksServeLaterReads)
{
    const Span a{"a", 100, 5000};
    Build({a}, 3 * kBlock);
    EXPECT_EQ(Source("d/a.bin", a), 'o');
    ChangeChunkOnDisk();
    EXPECT_EQ(Source("d/a.bin", a), 'o');
}

TEST_F(ReadCacheTest, ReadAcrossABlockBoundaryIsCutIntoTwoPieces)
{
    const Span across{"x", kBlock - 10, 30};
    Build({across}, 3 * kBlock);
    EXPECT_EQ(Source("d/x.bin", across), 'o');
    ChangeChunkOnDisk();
    EXPECT_EQ(Source("d/x.bin", across), 'o'); // both blocks cached
}

TEST_F(ReadCacheTest, StolenBlockIsNeverLoadedAgainAndFallsBackToDirectReads)
{
    const Span b0{"b0", 10, 100}, b1{"b1", kBlock + 10, 100};
    Build({b0, b1}, 3 * kBlock);
    m_store->GetReadCache().SetBlockLimit(1);
    EXPECT_EQ(Source("d/b0.bin", b0), 'o');
    EXPECT_EQ(Source("d/b1.bin", b1), 'o'); // takes block 0's buffer
    ChangeChunkOnDisk();
    EXPECT_EQ(Source("d/b0.bin", b0), 'c'); // direct
    EXPECT_EQ(Source("d/b1.bin", b1), 'o'); // still cached
}

TEST_F(ReadCacheTest, OneMissingPieceRereadsTheWholeRequestDirectly)
{
    const Span across{"x", kBlock - 10, 30}, b2{"b2", 2 * kBlock + 5, 10};
    Build({across, b2}, 3 * kBlock);
    m_store->GetReadCache().SetBlockLimit(1);
    EXPECT_EQ(Source("d/x.bin", across), 'o'); // block 1 took block 0's buffer
    ChangeChunkOnDisk();
    EXPECT_EQ(Source("d/x.bin", across), 'c');
}

TEST_F(ReadCacheTest, TheLeastRecentlyUsedSlotIsTaken)
{
    const Span b0{"b0", 0, 10}, b1{"b1", kBlock, 10}, b2{"b2", 2 * kBlock, 10};
    Build({b0, b1, b2}, 3 * kBlock);
    m_store->GetReadCache().SetBlockLimit(2);
    EXPECT_EQ(Source("d/b0.bin", b0), 'o');
    Plat_Sleep(5);
    EXPECT_EQ(Source("d/b1.bin", b1), 'o');
    Plat_Sleep(5);
    EXPECT_EQ(Source("d/b0.bin", b0), 'o'); // block 0 is now the more recent
    Plat_Sleep(5);
    EXPECT_EQ(Source("d/b2.bin", b2), 'o'); // takes block 1's slot
    ChangeChunkOnDisk();
    EXPECT_EQ(Source("d/b0.bin", b0), 'o');
    EXPECT_EQ(Source("d/b1.bin", b1), 'c');
    EXPECT_EQ(Source("d/b2.bin", b2), 'o');
}

TEST_F(ReadCacheTest, BlockLimitIsClamped)
{
    Build({{"a", 0, 1}}, 10);
    CPackedStoreReadCache& cache = m_store->GetReadCache();
    EXPECT_EQ(cache.GetBlockLimit(), 64);
    cache.SetBlockLimit(0);
    EXPECT_EQ(cache.GetBlockLimit(), 1);
    cache.SetBlockLimit(1000);
    EXPECT_EQ(cache.GetBlockLimit(), 64);
}

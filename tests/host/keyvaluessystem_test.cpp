// The key name pool: case-insensitive symbols, limits, pages, the
// expression symbol table and concurrent use.
#include "util/keyvaluessystem.h"
#include "core/dbg.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

using testsupport::RunInChild;
using testsupport::SpewCapture;

namespace
{
std::unique_ptr<CKeyValuesSystem> NewPool()
{
    return std::unique_ptr<CKeyValuesSystem>(new CKeyValuesSystem());
}

// A distinct name of exactly nLength characters.
std::string NameOfLength(int nIndex, size_t nLength)
{
    std::string s = "n" + std::to_string(nIndex) + "_";
    s.resize(nLength, 'x');
    return s;
}
} // namespace

TEST(KeyValuesSystem, NamesDifferingOnlyInCaseShareASymbolAndTheFirstText)
{
    auto pool = NewPool();
    const HKeySymbol nSymbol = pool->SymbolForName("Mount", true);
    ASSERT_NE(0u, nSymbol);
    EXPECT_EQ(nSymbol, pool->SymbolForName("mount", true));
    EXPECT_EQ(nSymbol, pool->SymbolForName("MOUNT", false));
    EXPECT_STREQ("Mount", pool->NameForSymbol(nSymbol));
    EXPECT_NE(nSymbol, pool->SymbolForName("mounts", true));
    EXPECT_NE(nSymbol, pool->SymbolForName("moun", true));
    // Only letters fold: '@' (0x40) and '`' (0x60) differ by bit 5 too.
    EXPECT_NE(pool->SymbolForName("a@", true), pool->SymbolForName("a`", true));
}

TEST(KeyValuesSystem, EmptyNullAndUnknownNamesGiveZeroWithoutPooling)
{
    auto pool = NewPool();
    EXPECT_EQ(1u, pool->BytesUsed()) << "the empty name takes symbol 0";
    EXPECT_EQ(0u, pool->SymbolForName(nullptr, true));
    EXPECT_EQ(0u, pool->SymbolForName("", true));
    EXPECT_EQ(0u, pool->SymbolForName("absent", false));
    EXPECT_EQ(1u, pool->BytesUsed());
    EXPECT_STREQ("", pool->NameForSymbol(0));
    const HKeySymbol nSymbol = pool->SymbolForName("abc", true);
    EXPECT_EQ(1u, nSymbol);
    EXPECT_STREQ("", pool->NameForSymbol(pool->BytesUsed()));
    EXPECT_STREQ("", pool->NameForSymbol(0xFFFFFF));
}

TEST(KeyValuesSystem, NamesUpTo1022CharactersArePooled)
{
    auto pool = NewPool();
    SpewCapture spew;
    const std::string ok(1022, 'k');
    const HKeySymbol nSymbol = pool->SymbolForName(ok.c_str(), true);
    ASSERT_NE(0u, nSymbol);
    EXPECT_EQ(ok, pool->NameForSymbol(nSymbol));
    EXPECT_TRUE(spew.AssertionMessages().empty());

    const std::string tooLong(1023, 'k');
    const uint32_t nUsed = pool->BytesUsed();
    EXPECT_EQ(0u, pool->SymbolForName(tooLong.c_str(), true));
    EXPECT_EQ(0u, pool->SymbolForName(tooLong.c_str(), true));
    const std::string message =
        "Assertion Failed: CKeyValuesSystem::AddStringToPool: key name too long (1024 chars)";
    EXPECT_EQ(std::vector<std::string>(2, message), spew.AssertionMessages());
    EXPECT_EQ(nUsed, pool->BytesUsed());
    EXPECT_EQ(0u, pool->SymbolForName(tooLong.c_str(), false));
}

TEST(KeyValuesSystem, ANameNeverStraddlesTwoPages)
{
    auto pool = NewPool();
    // 1 byte for the empty name, then names of 1000 bytes: 32 fit page 0
    // (ending at 32,001); the 33rd would reach past 0x8000.
    std::vector<HKeySymbol> symbols;
    for (int i = 0; i < 40; ++i)
        symbols.push_back(pool->SymbolForName(NameOfLength(i, 999).c_str(), true));
    EXPECT_EQ(1u + 31 * 1000, symbols[31]);
    EXPECT_EQ(CKeyValuesSystem::kPageSize, symbols[32]) << "first name of page 1";
    EXPECT_EQ(CKeyValuesSystem::kPageSize + 1000, symbols[33]);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(NameOfLength(i, 999), pool->NameForSymbol(symbols[i]));
}

TEST(KeyValuesSystem, ManyNamesInSharedBucketsAllRoundTrip)
{
    auto pool = NewPool();
    // 20,000 names in 4,096 buckets: most buckets chain.
    std::vector<HKeySymbol> symbols;
    for (int i = 0; i < 20000; ++i)
        symbols.push_back(pool->SymbolForName(("key" + std::to_string(i)).c_str(), true));
    EXPECT_EQ(symbols.size(), std::set<HKeySymbol>(symbols.begin(), symbols.end()).size());
    for (int i = 0; i < 20000; ++i)
    {
        const std::string name = "KEY" + std::to_string(i);
        ASSERT_EQ(symbols[i], pool->SymbolForName(name.c_str(), false)) << name;
        ASSERT_EQ("key" + std::to_string(i), pool->NameForSymbol(symbols[i]));
    }
}

namespace
{
// Fills a pool with 1,022-character names until it refuses one; the number
// of names pooled.
int FillPool(CKeyValuesSystem& pool)
{
    for (int i = 0;; ++i)
    {
        if (pool.SymbolForName(NameOfLength(i, 1022).c_str(), true) == 0)
            return i;
    }
}
} // namespace

TEST(KeyValuesSystem, WarnsPastHalfAndRefusesWhenFullWithoutOverrunningThePageTable)
{
    // The refusal is a fatal assertion, which ends the process whatever the
    // output function answers: the pool is filled in a child whose output
    // function prints each assertion message and, at the fatal one, the
    // pool's state and whether an early name is still readable.
    static CKeyValuesSystem* s_pPool = nullptr;
    static HKeySymbol s_nEarly = 0;
    const auto result = RunInChild([] {
        s_pPool = new CKeyValuesSystem();
        s_nEarly = s_pPool->SymbolForName(NameOfLength(-7, 1022).c_str(), true);
        SpewOutputFunc([](SpewType_t eType, const char* pszText) {
            const char* pszMessage = eType == SPEW_ASSERT ? strstr(pszText, ") : ") : nullptr;
            if (pszMessage && strstr(pszMessage, "Assertion Failed"))
            {
                printf("%s", pszMessage + 4);
                if (strstr(pszMessage, "Fatal"))
                    printf("used %u early %s\n", s_pPool->BytesUsed(),
                           NameOfLength(-7, 1022) == s_pPool->NameForSymbol(s_nEarly) ? "ok" : "lost");
            }
            return SPEW_CONTINUE;
        });
        FillPool(*s_pPool);
    });
    EXPECT_EQ(1, result.nExitCode);
    std::vector<std::string> lines;
    for (size_t nStart = 0; nStart < result.out.size();)
    {
        const size_t nEnd = result.out.find('\n', nStart);
        lines.push_back(result.out.substr(nStart, nEnd - nStart));
        nStart = nEnd == std::string::npos ? result.out.size() : nEnd + 1;
    }
    ASSERT_EQ(255u + 2u, lines.size()) << "one per new page, then the fatal one";
    // Page 256 is the first started with more than 8 MiB in use.
    EXPECT_EQ("Assertion Failed: CKeyValuesSystem::AddStringToPool: running out of memory "
              "(8355872 bytes left)",
              lines.front());
    EXPECT_EQ("Fatal Assertion Failed: CKeyValuesSystem::AddStringToPool: out of memory", lines[255]);
    // 32 names of 1,023 bytes per page, in all 512 pages, below the limit.
    const uint32_t nUsed = (CKeyValuesSystem::kMaxPages - 1) * CKeyValuesSystem::kPageSize + 32 * 1023;
    EXPECT_LT(nUsed, CKeyValuesSystem::kPoolSize);
    EXPECT_EQ("used " + std::to_string(nUsed) + " early ok", lines[256]);
}

TEST(KeyValuesSystem, AFullPoolEndsTheProcess)
{
    const auto result = RunInChild([] {
        CKeyValuesSystem* pPool = new CKeyValuesSystem();
        FillPool(*pPool);
        printf("still running\n");
    });
    EXPECT_EQ(1, result.nExitCode);
    EXPECT_NE(std::string::npos,
              result.out.find(
                  "Fatal Assertion Failed: CKeyValuesSystem::AddStringToPool: out of memory"));
    EXPECT_EQ(std::string::npos, result.out.find("still running"));
}

TEST(KeyValuesSystem, ExpressionSymbolsAreLookedUpWithOrWithoutDollar)
{
    auto pool = NewPool();
    pool->SymbolForName("WIN32", true);
    EXPECT_FALSE(pool->ExpressionSymbolValue("$WIN32")) << "the table is empty";
    EXPECT_FALSE(pool->ExpressionSymbolValue("WIN32"));
    EXPECT_FALSE(pool->ExpressionSymbolValue("$NEVERSEEN"));
    EXPECT_FALSE(pool->ExpressionSymbolValue(nullptr));

    pool->SetExpressionSymbol("$MyCond", true);
    EXPECT_TRUE(pool->ExpressionSymbolValue("$MYCOND"));
    EXPECT_TRUE(pool->ExpressionSymbolValue("mycond"));
    EXPECT_FALSE(pool->ExpressionSymbolValue("$$MYCOND")) << "only one '$' is dropped";
    pool->SetExpressionSymbol("MyCond", false);
    EXPECT_FALSE(pool->ExpressionSymbolValue("$MyCond"));
}

TEST(KeyValuesSystem, ThreadsAddingAndLookingUpTheSameNamesGetTheSameSymbols)
{
    auto pool = NewPool();
    constexpr int kThreads = 4;
    constexpr int kNames = 3000;
    std::vector<std::vector<HKeySymbol>> results(kThreads, std::vector<HKeySymbol>(kNames));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            // Each thread its own order and letter case; lookups without
            // create interleave with the adds.
            std::vector<int> order(kNames);
            for (int i = 0; i < kNames; ++i)
                order[i] = i;
            std::shuffle(order.begin(), order.end(), std::mt19937(t));
            for (int i : order)
            {
                std::string name = "Name" + std::to_string(i);
                if (t % 2)
                    std::transform(name.begin(), name.end(), name.begin(), ::toupper);
                pool->SymbolForName(("Name" + std::to_string(kNames - 1 - i)).c_str(), false);
                results[t][i] = pool->SymbolForName(name.c_str(), true);
                // The expression table's shared and exclusive sides too.
                if (i % 100 == 0)
                    pool->SetExpressionSymbol(name.c_str(), true);
                pool->ExpressionSymbolValue(name.c_str());
                const char* pszText = pool->NameForSymbol(results[t][i]);
                if (strcasecmp(pszText, name.c_str()) != 0)
                    results[t][i] = 0;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(results[0], results[t]) << "thread " << t;
    EXPECT_EQ(0, std::count(results[0].begin(), results[0].end(), 0u));
    EXPECT_EQ(size_t(kNames), std::set<HKeySymbol>(results[0].begin(), results[0].end()).size());
}

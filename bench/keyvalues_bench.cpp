// Key-value text: parse speed of a large generated file, and name lookups
// in the name pool.
#include "core/dbg.h"
#include "util/keyvalues.h"
#include "util/keyvaluessystem.h"
#include "util/utlbuffer.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace
{
// About nBytes of text in the shapes real files have: nested blocks, quoted
// and bare tokens, ints, paths, comments and conditionals.
std::string GenerateText(size_t nBytes)
{
    std::string text = "// generated\n\"root\"\n{\n";
    for (int nBlock = 0; text.size() < nBytes; ++nBlock)
    {
        text += "\t\"block" + std::to_string(nBlock % 997) + "\"\n\t{\n";
        for (int i = 0; i < 20; ++i)
        {
            const std::string n = std::to_string(i);
            switch (i % 5)
            {
            case 0:
                text += "\t\t\"path" + n + "\"\t\"qars\\\\content\\\\pak" + n + "_dir\"\n";
                break;
            case 1:
                text += "\t\tcount" + n + " " + std::to_string(nBlock * 31 + i) + "\n";
                break;
            case 2:
                text += "\t\t\"name" + n + "\"\t\"a longer string value with spaces\" // note\n";
                break;
            case 3:
                text += "\t\tflag" + n + "\t\"1\"\t[$WIN32]\n";
                break;
            default:
                text += "\t\tsub" + n + "\n\t\t{\n\t\t\tx 1.5\n\t\t\ty -2\n\t\t}\n";
                break;
            }
        }
        text += "\t}\n";
    }
    text += "}\n";
    return text;
}

SpewRetval_t QuietSpew(SpewType_t, const char*)
{
    return SPEW_CONTINUE;
}

void BM_ParseLargeFile(benchmark::State& state)
{
    SpewOutputFunc(QuietSpew);
    const std::string text = GenerateText(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
    {
        CUtlBuffer buf(text.data(), static_cast<int>(text.size()),
                       CUtlBuffer::TEXT_BUFFER | CUtlBuffer::READ_ONLY);
        KeyValues* pRoot = new KeyValues("bench");
        if (!pRoot->LoadFromBuffer("bench", buf))
            state.SkipWithError("parse failed");
        pRoot->Destroy();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    SpewOutputFunc(nullptr);
}
BENCHMARK(BM_ParseLargeFile)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

// A pool holding 10,000 names, built once.
struct LookupFixture
{
    CKeyValuesSystem pool;
    std::vector<std::string> names;
    LookupFixture()
    {
        for (int i = 0; i < 10000; ++i)
        {
            names.push_back("SomeKeyName_" + std::to_string(i));
            pool.SymbolForName(names.back().c_str(), true);
        }
    }
};

LookupFixture& Lookups()
{
    static LookupFixture* s_pFixture = new LookupFixture();
    return *s_pFixture;
}

// Lookups of existing names (create off), in the case they were pooled in or
// in another case.
void BM_NameLookup(benchmark::State& state)
{
    CKeyValuesSystem& pool = Lookups().pool;
    std::vector<std::string> queries = Lookups().names;
    if (state.range(0))
    {
        for (std::string& s : queries)
            for (char& c : s)
                c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    size_t i = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(pool.SymbolForName(queries[i].c_str(), false));
        if (++i == queries.size())
            i = 0;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_NameLookup)->ArgName("othercase")->Arg(0)->Arg(1);
BENCHMARK(BM_NameLookup)->ArgName("othercase")->Arg(0)->Threads(2);
} // namespace

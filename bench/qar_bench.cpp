// Benchmarks of the packed store against the plain alternatives, on the
// corpus that bench/run.sh generates:
//   qar_bench --corpus=DIR [benchmark options]
// DIR holds loose/ (the files) and pack/corpus (the same files packed).
#include "core/platform.h"
#include "qarlib/packedstore.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{
struct Corpus
{
    std::string dir;
    std::unique_ptr<CPackedStore> store; // mounted as the file system mounts: block limit 1
    std::vector<std::string> paths;      // every file, normalised, shuffled
    std::vector<std::string> small;      // files under 16 KiB, shuffled
    std::vector<std::string> smallLoose; // the same, as loose file names
    std::vector<std::string> large;      // files of 2 MiB or more
    std::vector<std::string> byChunk[2]; // small files of chunk 0 and chunk 1, shuffled
    // A level's files: a fixed random 20% of the small files in random order,
    // and 20,000 small files that lie one after the other in chunk 0.
    std::vector<std::string> levelLoad[2];
    std::vector<std::string> levelLoadLoose[2];
    int64_t nMountResident = 0;          // resident bytes the first mount added
};
Corpus g_corpus;
enum ELevelList
{
    LEVEL_SCATTERED,
    LEVEL_ARCHIVE_ORDER,
};

std::string PackBase()
{
    return g_corpus.dir + "/pack/corpus";
}

std::string LoosePath(const std::string& path)
{
    return g_corpus.dir + "/loose/" + path;
}

int64_t ResidentBytes()
{
    long nPages = 0, nResident = 0;
    if (FILE* f = fopen("/proc/self/statm", "r"))
    {
        if (fscanf(f, "%ld %ld", &nPages, &nResident) != 2)
            nResident = 0;
        fclose(f);
    }
    return static_cast<int64_t>(nResident) * sysconf(_SC_PAGESIZE);
}

std::unique_ptr<CPackedStore> Mount()
{
    auto store = std::make_unique<CPackedStore>(PackBase().c_str(), nullptr);
    store->GetReadCache().SetBlockLimit(1);
    return store;
}

void ReadWholeFromStore(CPackedStore& store, const std::string& path, std::vector<char>& buffer)
{
    CPackedFileHandle h = store.OpenFile(path.c_str());
    if (buffer.size() < static_cast<size_t>(h.nSize))
        buffer.resize(static_cast<size_t>(h.nSize));
    const int32_t n = store.ReadData(h, buffer.data(), h.nSize);
    benchmark::DoNotOptimize(n);
}

size_t ReadWholeLoose(const std::string& name, std::vector<char>& buffer)
{
    FILE* f = fopen(name.c_str(), "rb");
    if (!f)
        return 0;
    size_t nTotal = 0, n;
    if (buffer.size() < (1u << 24))
        buffer.resize(1u << 24);
    while ((n = fread(buffer.data() + nTotal, 1, buffer.size() - nTotal, f)) > 0)
        nTotal += n;
    fclose(f);
    return nTotal;
}

bool LoadCorpus()
{
    const int64_t nBefore = ResidentBytes();
    g_corpus.store = Mount();
    g_corpus.nMountResident = ResidentBytes() - nBefore;
    if (g_corpus.store->IsEmpty())
        return false;
    CPackedStore& store = *g_corpus.store;
    store.GetFileList(g_corpus.paths, false);
    std::mt19937 rng(1);
    std::shuffle(g_corpus.paths.begin(), g_corpus.paths.end(), rng);
    for (const std::string& path : g_corpus.paths)
    {
        const CPackedFileHandle h = store.OpenFile(path.c_str());
        if (h.nSize < 16384 && g_corpus.small.size() < 20000)
        {
            g_corpus.small.push_back(path);
            g_corpus.smallLoose.push_back(LoosePath(path));
        }
        if (h.nSize >= (2 << 20))
            g_corpus.large.push_back(path);
        // The largest file first.
        if (g_corpus.large.size() > 1 &&
            store.OpenFile(g_corpus.large.back().c_str()).nSize > store.OpenFile(g_corpus.large[0].c_str()).nSize)
            std::swap(g_corpus.large.front(), g_corpus.large.back());
        if (h.nSize < 16384 && h.nArchiveIndex < 2 && g_corpus.byChunk[h.nArchiveIndex].size() < 20000)
            g_corpus.byChunk[h.nArchiveIndex].push_back(path);
    }
    if (g_corpus.large.size() < 2 || g_corpus.byChunk[0].empty() || g_corpus.byChunk[1].empty())
    {
        fprintf(stderr, "qar_bench: the corpus needs two large files and two chunk files\n");
        return false;
    }
    g_corpus.levelLoad[LEVEL_SCATTERED] = g_corpus.small;
    std::vector<std::pair<uint32_t, std::string>> chunk0;
    for (const std::string& path : g_corpus.paths)
    {
        const CPackedFileHandle h = store.OpenFile(path.c_str());
        if (h.nArchiveIndex == 0 && h.nSize < 16384)
            chunk0.emplace_back(h.nOffset, path);
    }
    std::sort(chunk0.begin(), chunk0.end());
    for (size_t i = 0; i < chunk0.size() && i < 20000; ++i)
        g_corpus.levelLoad[LEVEL_ARCHIVE_ORDER].push_back(chunk0[i].second);
    for (int nList : {LEVEL_SCATTERED, LEVEL_ARCHIVE_ORDER})
        for (const std::string& path : g_corpus.levelLoad[nList])
            g_corpus.levelLoadLoose[nList].push_back(LoosePath(path));
    // Warm the page cache and the store (steady state: every block read once).
    std::vector<char> buffer;
    for (const std::string& path : g_corpus.paths)
        ReadWholeFromStore(store, path, buffer);
    for (const std::string& name : g_corpus.smallLoose)
        ReadWholeLoose(name, buffer);
    for (const std::string& path : g_corpus.large)
        ReadWholeLoose(LoosePath(path), buffer);
    return true;
}

// Runs fn on the list's elements in turn, one per iteration.
template <typename Fn>
void CycleOver(benchmark::State& state, const std::vector<std::string>& list, Fn fn)
{
    size_t i = 0;
    for (auto _ : state)
    {
        fn(list[i]);
        if (++i == list.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

// --- lookup ---------------------------------------------------------------

void BM_Lookup_Store(benchmark::State& state)
{
    CPackedStore& store = *g_corpus.store;
    CycleOver(state, g_corpus.paths,
              [&](const std::string& path) { benchmark::DoNotOptimize(store.OpenFile(path.c_str())); });
}
BENCHMARK(BM_Lookup_Store);
BENCHMARK(BM_Lookup_Store)->Threads(1)->Threads(2)->UseRealTime();

void BM_Lookup_UnorderedMap(benchmark::State& state)
{
    struct Info
    {
        int32_t nArchiveIndex;
        uint32_t nOffset;
        int32_t nSize;
    };
    std::unordered_map<std::string, Info> map;
    for (const std::string& path : g_corpus.paths)
    {
        const CPackedFileHandle h = g_corpus.store->OpenFile(path.c_str());
        map.emplace(path, Info{h.nArchiveIndex, h.nOffset, h.nSize});
    }
    CycleOver(state, g_corpus.paths, [&](const std::string& path) { benchmark::DoNotOptimize(map.find(path)); });
}
BENCHMARK(BM_Lookup_UnorderedMap);

// --- small files: open, read whole, close ------------------------------------

void BM_SmallFiles_Store(benchmark::State& state)
{
    std::vector<char> buffer(1 << 16);
    CycleOver(state, g_corpus.small,
              [&](const std::string& path) { ReadWholeFromStore(*g_corpus.store, path, buffer); });
}
BENCHMARK(BM_SmallFiles_Store);

void BM_SmallFiles_Stdio(benchmark::State& state)
{
    std::vector<char> buffer(1 << 16);
    CycleOver(state, g_corpus.smallLoose, [&](const std::string& name) {
        FILE* f = fopen(name.c_str(), "rb");
        const size_t n = fread(buffer.data(), 1, buffer.size(), f);
        fclose(f);
        benchmark::DoNotOptimize(n);
    });
}
BENCHMARK(BM_SmallFiles_Stdio);

// --- a level load: open, read whole and close each of a level's files ------------

// Bytes the store read from its chunk files; -1 for a store that does not
// count them (so that this program also builds against earlier versions of
// the store, for before-and-after runs).
template <typename Store>
auto ChunkBytesRead(Store& store, int) -> decltype(store.GetChunkBytesRead())
{
    return store.GetChunkBytesRead();
}
template <typename Store>
int64_t ChunkBytesRead(Store&, long)
{
    return -1;
}

// A fresh mount for each pass (not timed); range(0) picks the list, range(1)
// the pass: 1 is the first pass over the fresh mount, 2 the second. Counters:
// MiB delivered and MiB read from chunk files per pass.
void BM_LevelLoad_Store(benchmark::State& state)
{
    const std::vector<std::string>& files = g_corpus.levelLoad[state.range(0)];
    std::vector<char> buffer(1 << 16);
    int64_t nRead = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto store = Mount();
        if (state.range(1) == 2)
        {
            for (const std::string& path : files)
                ReadWholeFromStore(*store, path, buffer);
        }
        const int64_t nReadBefore = ChunkBytesRead(*store, 0);
        state.ResumeTiming();
        for (const std::string& path : files)
            ReadWholeFromStore(*store, path, buffer);
        state.PauseTiming();
        nRead = nReadBefore < 0 ? -1 : nRead + ChunkBytesRead(*store, 0) - nReadBefore;
        store.reset();
        state.ResumeTiming();
    }
    int64_t nDelivered = 0;
    for (const std::string& path : files)
    {
        const CPackedFileHandle h = g_corpus.store->OpenFile(path.c_str());
        nDelivered += h.nSize - h.nPreloadCount;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
    state.counters["delivered_MiB"] = static_cast<double>(nDelivered) / 1048576.0;
    state.counters["read_MiB"] =
        nRead < 0 ? -1.0 : static_cast<double>(nRead) / 1048576.0 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LevelLoad_Store)
    ->ArgNames({"order", "pass"})
    ->Args({LEVEL_SCATTERED, 1})
    ->Args({LEVEL_ARCHIVE_ORDER, 1})
    ->Args({LEVEL_ARCHIVE_ORDER, 2})
    ->Unit(benchmark::kMillisecond);

void BM_LevelLoad_Stdio(benchmark::State& state)
{
    const std::vector<std::string>& names = g_corpus.levelLoadLoose[state.range(0)];
    std::vector<char> buffer(1 << 16);
    for (auto _ : state)
    {
        for (const std::string& name : names)
        {
            FILE* f = fopen(name.c_str(), "rb");
            const size_t n = fread(buffer.data(), 1, buffer.size(), f);
            fclose(f);
            benchmark::DoNotOptimize(n);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
BENCHMARK(BM_LevelLoad_Stdio)
    ->ArgName("order")
    ->Arg(LEVEL_SCATTERED)
    ->Arg(LEVEL_ARCHIVE_ORDER)
    ->Unit(benchmark::kMillisecond);

// --- one large sequential read -------------------------------------------------

// Every large read lands in a buffer of this size, allocated and touched
// once: the destination's pages (and whether they are huge pages) change the
// copy's speed by more than anything the reader does.
constexpr size_t kLargeBuffer = 16 << 20;

// Steady state: the file was read through this store before.
void BM_LargeRead_Store(benchmark::State& state)
{
    const std::string& path = g_corpus.large[0];
    std::vector<char> buffer(kLargeBuffer);
    int64_t nBytes = 0;
    for (auto _ : state)
    {
        CPackedFileHandle h = g_corpus.store->OpenFile(path.c_str());
        nBytes += g_corpus.store->ReadData(h, buffer.data(), h.nSize);
    }
    state.SetBytesProcessed(nBytes);
}
BENCHMARK(BM_LargeRead_Store);

// First read through a freshly mounted store. A read of another large file
// before (not timed) stands for a running game's earlier reads (with the
// earlier read cache it gave the cache its block buffer).
void BM_LargeRead_StoreFirstRead(benchmark::State& state)
{
    const std::string& path = g_corpus.large[0];
    std::vector<char> buffer(kLargeBuffer);
    int64_t nBytes = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto store = Mount();
        ReadWholeFromStore(*store, g_corpus.large[1], buffer);
        CPackedFileHandle h = store->OpenFile(path.c_str());
        state.ResumeTiming();
        nBytes += store->ReadData(h, buffer.data(), h.nSize);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(nBytes);
}
BENCHMARK(BM_LargeRead_StoreFirstRead);

// With after_mount:1, each read follows (untimed) what the first-read
// benchmark does before its read: a mount and a read of another large file,
// so that both start with the same memory caches.
void BM_LargeRead_Fread(benchmark::State& state)
{
    const std::string name = LoosePath(g_corpus.large[0]);
    std::vector<char> buffer(kLargeBuffer), other;
    int64_t nBytes = 0;
    for (auto _ : state)
    {
        if (state.range(0))
        {
            state.PauseTiming();
            auto store = Mount();
            ReadWholeFromStore(*store, g_corpus.large[1], other);
            store.reset();
            state.ResumeTiming();
        }
        FILE* f = fopen(name.c_str(), "rb");
        nBytes += static_cast<int64_t>(fread(buffer.data(), 1, buffer.size(), f));
        fclose(f);
    }
    state.SetBytesProcessed(nBytes);
}
BENCHMARK(BM_LargeRead_Fread)->ArgName("after_mount")->Arg(0)->Arg(1);

// --- mount -----------------------------------------------------------------------

void BM_Mount(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Mount());
    state.counters["files"] = static_cast<double>(g_corpus.paths.size());
    state.counters["tree_MiB"] = g_corpus.store->GetTreeSize() / 1048576.0;
    state.counters["resident_MiB"] = static_cast<double>(g_corpus.nMountResident) / 1048576.0;
}
BENCHMARK(BM_Mount)->Unit(benchmark::kMillisecond);

// --- threads on different chunk files ---------------------------------------------

void BM_ChunkReads(benchmark::State& state)
{
    const std::vector<std::string>& files = g_corpus.byChunk[state.thread_index() % 2];
    std::vector<char> buffer(1 << 16);
    int64_t nBytes = 0;
    CycleOver(state, files, [&](const std::string& path) {
        CPackedFileHandle h = g_corpus.store->OpenFile(path.c_str());
        nBytes += g_corpus.store->ReadData(h, buffer.data(), h.nSize);
    });
    state.SetBytesProcessed(nBytes);
}
BENCHMARK(BM_ChunkReads)->Threads(1)->Threads(2)->UseRealTime();

// --- threads on one chunk file --------------------------------------------------

// The thread's share of a list: all of it for one thread, else every
// thread_count-th file from its index on.
std::vector<std::string> ShareOf(const benchmark::State& state, const std::vector<std::string>& list)
{
    std::vector<std::string> share;
    for (size_t i = static_cast<size_t>(state.thread_index()); i < list.size();
         i += static_cast<size_t>(state.threads()))
        share.push_back(list[i]);
    return share;
}

void BM_OneChunkReads(benchmark::State& state)
{
    const std::vector<std::string> files = ShareOf(state, g_corpus.byChunk[0]);
    std::vector<char> buffer(1 << 16);
    CycleOver(state, files, [&](const std::string& path) {
        CPackedFileHandle h = g_corpus.store->OpenFile(path.c_str());
        benchmark::DoNotOptimize(g_corpus.store->ReadData(h, buffer.data(), h.nSize));
    });
}
BENCHMARK(BM_OneChunkReads)->Threads(1)->Threads(2)->UseRealTime();

// The ceiling for the same reads: the platform's positional reads of the
// same byte ranges of the chunk file, without the store.
void BM_OneChunkPreadCeiling(benchmark::State& state)
{
    struct Range
    {
        uint32_t nOffset;
        int32_t nSize;
    };
    std::vector<Range> ranges;
    for (const std::string& path : ShareOf(state, g_corpus.byChunk[0]))
    {
        const CPackedFileHandle h = g_corpus.store->OpenFile(path.c_str());
        ranges.push_back({h.nOffset, h.nSize - h.nPreloadCount});
    }
    const PlatFile hFile = Plat_OpenFileForReading((PackBase() + "_000.qar").c_str());
    std::vector<char> buffer(1 << 16);
    size_t i = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(Plat_ReadFileAt(hFile, ranges[i].nOffset, buffer.data(),
                                                 static_cast<size_t>(ranges[i].nSize)));
        if (++i == ranges.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    Plat_CloseFile(hFile);
}
BENCHMARK(BM_OneChunkPreadCeiling)->Threads(1)->Threads(2)->UseRealTime();

// The machine's own scaling, for comparison: the same files read loose with
// stdio, each thread its own half.
void BM_LooseReads(benchmark::State& state)
{
    const std::vector<std::string>& files = g_corpus.byChunk[state.thread_index() % 2];
    std::vector<char> buffer(1 << 16);
    CycleOver(state, files,
              [&](const std::string& path) { benchmark::DoNotOptimize(ReadWholeLoose(LoosePath(path), buffer)); });
}
BENCHMARK(BM_LooseReads)->Threads(1)->Threads(2)->UseRealTime();
} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i)
    {
        if (strncmp(argv[i], "--corpus=", 9) == 0)
            g_corpus.dir = argv[i] + 9;
        else
            args.push_back(argv[i]);
    }
    if (g_corpus.dir.empty() || !LoadCorpus())
    {
        fprintf(stderr, "qar_bench: give --corpus=DIR with DIR/pack/corpus_dir.qar (see bench/run.sh)\n");
        return 2;
    }
    int nArgs = static_cast<int>(args.size());
    benchmark::Initialize(&nArgs, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

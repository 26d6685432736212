// Writes the benchmark corpus as loose files: about 100,000 files, mostly
// small, a few of several MiB, in a few hundred folders. bench/run.sh packs
// it with qar.
//   qar_bench_corpus OUT_DIR [FILE_COUNT]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        fprintf(stderr, "usage: qar_bench_corpus OUT_DIR [FILE_COUNT]\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path out(argv[1]);
    const int nFiles = argc > 2 ? atoi(argv[2]) : 100000;
    const int nLarge = nFiles / 2000; // 50 of 100,000
    static const char* kExtensions[] = {"txt", "vmt", "vtf", "mdl", "wav", "cfg", "res", "lua"};
    std::mt19937 rng(20261210);
    std::vector<char> data(8 << 20);
    for (char& c : data)
        c = static_cast<char>(rng());

    int64_t nBytes = 0;
    for (int i = 0; i < nFiles; ++i)
    {
        const int nTop = i % 40, nSub = (i / 40) % 25;
        const fs::path folder = out / ("area" + std::to_string(nTop)) / ("set" + std::to_string(nSub));
        if (i < 1000)
            fs::create_directories(folder);
        size_t nSize;
        if (i % (nFiles / nLarge) == 7)
            nSize = (2u << 20) + rng() % (6u << 20); // 2 to 8 MiB
        else
            nSize = 100 + static_cast<size_t>(std::exp2(7 + (rng() % 7000) / 1000.0)); // 230 B to 16 KiB
        const std::string name = "file" + std::to_string(i) + "." + kExtensions[i % 8];
        FILE* f = fopen((folder / name).c_str(), "wb");
        if (!f)
        {
            perror((folder / name).c_str());
            return 1;
        }
        const size_t nStart = rng() % (data.size() - nSize);
        fwrite(data.data() + nStart, 1, nSize, f);
        fclose(f);
        nBytes += static_cast<int64_t>(nSize);
    }
    printf("wrote %d files, %lld MiB, into %s\n", nFiles, static_cast<long long>(nBytes >> 20), out.c_str());
    return 0;
}

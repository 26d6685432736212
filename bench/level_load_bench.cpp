// A level load as a game does it, through wexla.dll's exports: every file of
// a packed content tree opened, sized, read whole and closed, in folder
// order; once right after mounting and once again. Then a scattered load:
// a fixed random 20% of the small files in random order, right after
// mounting. The same files loose on disk through the Windows C runtime in
// the same process, in the same orders, are the baseline.
//
//   level_load_bench.exe [work folder] [rounds]
//
// Prints the medians of the rounds and the ratios (loose time / archive
// time: above 1 means the archive is faster).
#include "qarlib/qarpacker.h"
#include "tests/common/test_pattern.h"
#include "wrapper/wexla2wrapper_stdio.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
namespace stdfs = std::filesystem;

struct ContentFile
{
    std::string path; // relative, '/' separated
    size_t nSize;
};

// Thousands of small files in a few dozen folders, and a few large ones.
std::vector<ContentFile> ContentTree()
{
    std::vector<ContentFile> files;
    uint32_t x = 12345;
    for (int nFolder = 0; nFolder < 40; ++nFolder)
    {
        const char* kinds[] = {"materials", "models", "sound", "scripts"};
        std::string folder = std::string(kinds[nFolder % 4]) + "/set" + std::to_string(nFolder);
        for (int i = 0; i < 100; ++i)
        {
            x = x * 1103515245u + 12345u;
            const char* exts[] = {".vmt", ".mdl", ".wav", ".txt"};
            files.push_back({folder + "/item" + std::to_string(i) + exts[nFolder % 4], 200 + (x >> 16) % 12000});
        }
    }
    for (int i = 0; i < 4; ++i)
        files.push_back({"maps/level" + std::to_string(i) + ".bsp", size_t(12 + 6 * i) << 20});
    std::sort(files.begin(), files.end(), [](const ContentFile& a, const ContentFile& b) { return a.path < b.path; });
    return files;
}

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Exports
{
    decltype(&WexlaOpenFile) open;
    decltype(&WexlaReadFile) read;
    decltype(&WexlaSizeFile) size;
    decltype(&WexlaCloseFile) close;
    decltype(&WexlaMountAppFilesystem) mount;
    decltype(&WexlaUnmountAppFilesystem) unmount;
};

template <typename Fn>
Fn Export(HMODULE hModule, const char* pszName)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
}

// One pass through the exports; the number of bytes read (checked by the
// caller).
// A fixed random fifth of the small files, in random order.
std::vector<ContentFile> ScatteredSubset(const std::vector<ContentFile>& files)
{
    std::vector<ContentFile> subset;
    for (const ContentFile& file : files)
        if (file.nSize < (1 << 20))
            subset.push_back(file);
    uint32_t x = 4242;
    for (size_t i = subset.size(); i > 1; --i)
    {
        x = x * 1103515245u + 12345u;
        std::swap(subset[i - 1], subset[(x >> 8) % i]);
    }
    subset.resize(subset.size() / 5);
    return subset;
}

size_t ArchivePass(const Exports& wexla, const std::vector<ContentFile>& files)
{
    size_t nTotal = 0;
    for (const ContentFile& file : files)
    {
        TWexlaError error;
        WexlaFileHandle_t hFile = wexla.open(file.path.c_str(), "rb", &error);
        if (!(hFile & QAR_FILE_HANDLE_FLAG))
        {
            fprintf(stderr, "not in the archive: %s\n", file.path.c_str());
            exit(1);
        }
        const int32_t nSize = wexla.size(hFile, &error);
        char* pBuffer = static_cast<char*>(malloc(size_t(nSize) + 1));
        nTotal += wexla.read(pBuffer, 1, uint32_t(nSize), hFile, &error);
        free(pBuffer);
        wexla.close(hFile, &error);
    }
    return nTotal;
}

size_t LoosePass(const std::string& root, const std::vector<ContentFile>& files)
{
    size_t nTotal = 0;
    for (const ContentFile& file : files)
    {
        FILE* pFile = fopen((root + "/" + file.path).c_str(), "rb");
        if (!pFile)
        {
            fprintf(stderr, "missing loose file: %s\n", file.path.c_str());
            exit(1);
        }
        fseek(pFile, 0, SEEK_END);
        const long nSize = ftell(pFile);
        fseek(pFile, 0, SEEK_SET);
        char* pBuffer = static_cast<char*>(malloc(size_t(nSize) + 1));
        nTotal += fread(pBuffer, 1, size_t(nSize), pFile);
        free(pBuffer);
        fclose(pFile);
    }
    return nTotal;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv)
{
    const stdfs::path work = argc > 1 ? stdfs::path(argv[1]) : stdfs::temp_directory_path() / "wexla_level_load";
    const int nRounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    const std::vector<ContentFile> files = ContentTree();
    size_t nBytes = 0;
    for (const ContentFile& file : files)
        nBytes += file.nSize;

    // The content, loose and packed, made once per work folder.
    const stdfs::path loose = work / "loose";
    const stdfs::path pack = work / "pack" / "content";
    if (!stdfs::exists(work / "pack" / "content_dir.qar"))
    {
        stdfs::remove_all(work);
        CQarPacker packer;
        std::string error;
        uint32_t nSeed = 1;
        for (const ContentFile& file : files)
        {
            const std::string bytes = testcommon::Pattern(file.nSize, nSeed++);
            const stdfs::path diskPath = loose / stdfs::path(file.path).make_preferred();
            stdfs::create_directories(diskPath.parent_path());
            FILE* pOut = fopen(diskPath.string().c_str(), "wb");
            fwrite(bytes.data(), 1, bytes.size(), pOut);
            fclose(pOut);
            if (!packer.AddDiskFile(file.path, diskPath.string(), int64_t(bytes.size()), &error))
            {
                fprintf(stderr, "%s\n", error.c_str());
                return 1;
            }
        }
        stdfs::create_directories(pack.parent_path());
        if (!packer.Write(pack.string(), &error))
        {
            fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }

    // The game's working directory holds the mount list.
    stdfs::current_path(work);
    FILE* pList = fopen("wexla_qars.rmk", "wb");
    fprintf(pList, "\"qars\" { \"mount\" { \"content\" \"%s\" } }\n", pack.string().c_str());
    fclose(pList);

    HMODULE hWexla = LoadLibraryA("wexla.dll");
    Exports wexla = {Export<decltype(&WexlaOpenFile)>(hWexla, "WexlaOpenFile"),
                     Export<decltype(&WexlaReadFile)>(hWexla, "WexlaReadFile"),
                     Export<decltype(&WexlaSizeFile)>(hWexla, "WexlaSizeFile"),
                     Export<decltype(&WexlaCloseFile)>(hWexla, "WexlaCloseFile"),
                     Export<decltype(&WexlaMountAppFilesystem)>(hWexla, "WexlaMountAppFilesystem"),
                     Export<decltype(&WexlaUnmountAppFilesystem)>(hWexla, "WexlaUnmountAppFilesystem")};
    if (!wexla.open || !wexla.read || !wexla.size || !wexla.close || !wexla.mount || !wexla.unmount)
    {
        fprintf(stderr, "wexla.dll or its exports not found\n");
        return 1;
    }

    const std::vector<ContentFile> scattered = ScatteredSubset(files);
    size_t nScatteredBytes = 0;
    for (const ContentFile& file : scattered)
        nScatteredBytes += file.nSize;

    std::vector<double> first, second, looseTimes, scatteredFirst, scatteredLoose;
    for (int nRound = 0; nRound < nRounds; ++nRound)
    {
        wexla.unmount(nullptr);
        if (wexla.mount(nullptr) != 1)
        {
            fprintf(stderr, "mount failed\n");
            return 1;
        }
        Clock::time_point start = Clock::now();
        size_t n1 = ArchivePass(wexla, files);
        first.push_back(Seconds(start));
        start = Clock::now();
        size_t n2 = ArchivePass(wexla, files);
        second.push_back(Seconds(start));
        start = Clock::now();
        size_t n3 = LoosePass(loose.string(), files);
        looseTimes.push_back(Seconds(start));
        if (n1 != nBytes || n2 != nBytes || n3 != nBytes)
        {
            fprintf(stderr, "short read: %zu %zu %zu of %zu\n", n1, n2, n3, nBytes);
            return 1;
        }

        wexla.unmount(nullptr);
        if (wexla.mount(nullptr) != 1)
        {
            fprintf(stderr, "mount failed\n");
            return 1;
        }
        start = Clock::now();
        const size_t n4 = ArchivePass(wexla, scattered);
        scatteredFirst.push_back(Seconds(start));
        start = Clock::now();
        const size_t n5 = LoosePass(loose.string(), scattered);
        scatteredLoose.push_back(Seconds(start));
        if (n4 != nScatteredBytes || n5 != nScatteredBytes)
        {
            fprintf(stderr, "short read: %zu %zu of %zu\n", n4, n5, nScatteredBytes);
            return 1;
        }
    }
    const double dFirst = Median(first), dSecond = Median(second), dLoose = Median(looseTimes);
    printf("level load: %zu files, %.1f MiB, medians of %d rounds\n", files.size(), nBytes / 1048576.0, nRounds);
    printf("  archive, first pass after mounting  %8.1f ms\n", dFirst * 1000);
    printf("  archive, second pass                %8.1f ms\n", dSecond * 1000);
    printf("  loose files, Windows C runtime      %8.1f ms\n", dLoose * 1000);
    printf("  ratio loose/first  %.2f (target >= 1.0)\n", dLoose / dFirst);
    printf("  ratio loose/second %.2f (target >= 1.5)\n", dLoose / dSecond);
    const double dScattered = Median(scatteredFirst), dScatteredLoose = Median(scatteredLoose);
    printf("scattered load: %zu files, %.1f MiB\n", scattered.size(), nScatteredBytes / 1048576.0);
    printf("  archive, first pass after mounting  %8.1f ms\n", dScattered * 1000);
    printf("  loose files, Windows C runtime      %8.1f ms\n", dScatteredLoose * 1000);
    printf("  ratio loose/first  %.2f\n", dScatteredLoose / dScattered);
    return 0;
}

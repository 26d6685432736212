// The commands that read an archive: list, cat, extract, verify.
#include "core/platform.h"
#include "qarlib/crc32.h"
#include "qarlib/qarformat.h"
#include "tools/qar/qar_tool.h"

#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace
{
constexpr int32_t kReadPiece = 1 << 20;

// Reads a whole file through the store, handing each piece to pfnSink.
// False, after an error line, on a short read.
bool ReadWhole(CPackedStore& store, CPackedFileHandle handle, const std::string& path,
               const std::function<bool(const char*, size_t)>& sink)
{
    std::vector<char> buffer(static_cast<size_t>(std::min(handle.nSize, kReadPiece)) + 1);
    while (handle.nPosition < handle.nSize)
    {
        const int32_t nWant = std::min(handle.nSize - handle.nPosition, kReadPiece);
        const int32_t nGot = store.ReadData(handle, buffer.data(), nWant);
        if (nGot > 0 && !sink(buffer.data(), static_cast<size_t>(nGot)))
            return false;
        if (nGot < nWant)
        {
            QarToolError("%s: short read at byte %d of %d (data file missing or cut short)", path.c_str(),
                         handle.nPosition, handle.nSize);
            return false;
        }
    }
    return true;
}

// A path from the tree that can be written below an output folder: relative,
// no "." or ".." segment, no drive or stream colon.
bool IsSafeRelativePath(const std::string& path)
{
    if (path.empty() || path[0] == '/' || path.find('\\') != std::string::npos ||
        path.find(':') != std::string::npos)
        return false;
    size_t nStart = 0;
    for (;;)
    {
        const size_t nEnd = path.find('/', nStart);
        const std::string segment = path.substr(nStart, nEnd == std::string::npos ? nEnd : nEnd - nStart);
        if (segment.empty() || segment == "." || segment == "..")
            return false;
        if (nEnd == std::string::npos)
            return true;
        nStart = nEnd + 1;
    }
}

// Header sections that do not add up, for verify.
int CheckDirectoryFile(const std::string& base)
{
    std::string name = base + "_dir.qar";
    struct stat st;
    if (stat(name.c_str(), &st) != 0)
        name = base;
    FILE* pFile = fopen(name.c_str(), "rb");
    if (!pFile || stat(name.c_str(), &st) != 0)
    {
        if (pFile)
            fclose(pFile);
        return 0;
    }
    unsigned char header[QAR_HEADER_SIZE_V2];
    const size_t nRead = fread(header, 1, sizeof(header), pFile);
    fclose(pFile);
    const QarDirectoryHeader info = QarParseDirectoryHeader(header, nRead, st.st_size);
    if (info.eForm != QarDirectoryHeader::FORM_V2)
        return 0;
    int nProblems = 0;
    if (info.nArchiveChecksumSize % QAR_ARCHIVE_CHECKSUM_RECORD_SIZE != 0)
    {
        QarToolError("%s: archive checksum section of %d bytes is not a whole number of %d-byte records",
                     name.c_str(), info.nArchiveChecksumSize, QAR_ARCHIVE_CHECKSUM_RECORD_SIZE);
        ++nProblems;
    }
    const int64_t nDeclared = static_cast<int64_t>(QAR_HEADER_SIZE_V2) + info.nTreeSize +
                              info.nInDirectoryDataSize + info.nArchiveChecksumSize +
                              info.nOtherChecksumSize + info.nSignatureSize;
    if (nDeclared != static_cast<int64_t>(st.st_size))
    {
        QarToolError("%s: header sections add up to %" PRId64 " bytes, the file has %" PRId64, name.c_str(),
                     nDeclared, static_cast<int64_t>(st.st_size));
        ++nProblems;
    }
    return nProblems;
}
// Checks the argument count and opens the archive named first. The exit code
// to end with, or -1 to go on.
int OpenCommandArchive(const std::vector<std::string>& args, size_t nArgs, const char* pszUsage,
                       std::unique_ptr<CPackedStore>* pStore)
{
    if (args.size() != nArgs)
    {
        QarToolError("usage: %s", pszUsage);
        return QAR_EXIT_USAGE;
    }
    *pStore = QarOpenArchive(args[0]);
    return *pStore ? -1 : QAR_EXIT_FAILURE;
}

// Every path the tree lists, sorted, with its lookup result (invalid when the
// path cannot be looked up, e.g. a tree string in upper case).
std::vector<std::pair<std::string, CPackedFileHandle>> ListedFiles(CPackedStore& store)
{
    std::vector<std::string> paths;
    store.GetFileList(paths, true);
    std::vector<std::pair<std::string, CPackedFileHandle>> files;
    for (std::string& path : paths)
    {
        const CPackedFileHandle h = store.OpenFile(path.c_str());
        files.emplace_back(std::move(path), h);
    }
    return files;
}
} // namespace

int QarCommandList(const std::vector<std::string>& args)
{
    std::unique_ptr<CPackedStore> store;
    const int nExit = OpenCommandArchive(args, 1, "qar list ARCHIVE", &store);
    if (nExit >= 0)
        return nExit;
    for (const auto& file : ListedFiles(*store))
    {
        const std::string& path = file.first;
        const CPackedFileHandle& h = file.second;
        if (!h.IsValid())
        {
            printf("%s\t(not found by lookup)\n", path.c_str());
            continue;
        }
        printf("%s\t%d\t%u\t%d\t%u\n", path.c_str(), h.nSize, h.nPreloadCount, h.nArchiveIndex, h.nOffset);
    }
    return QAR_EXIT_OK;
}

int QarCommandCat(const std::vector<std::string>& args)
{
    std::unique_ptr<CPackedStore> store;
    const int nExit = OpenCommandArchive(args, 2, "qar cat ARCHIVE PATH", &store);
    if (nExit >= 0)
        return nExit;
    const CPackedFileHandle h = store->OpenFile(args[1].c_str());
    if (!h.IsValid())
    {
        QarToolError("%s: no file %s in the archive", args[0].c_str(), args[1].c_str());
        return QAR_EXIT_FAILURE;
    }
    Plat_SetStdoutBinary(); // the file's bytes, unchanged
    const bool bOk = ReadWhole(*store, h, args[1], [](const char* p, size_t n) {
        if (fwrite(p, 1, n, stdout) == n)
            return true;
        QarToolError("cannot write to standard output");
        return false;
    });
    return bOk && fflush(stdout) == 0 ? QAR_EXIT_OK : QAR_EXIT_FAILURE;
}

int QarCommandExtract(const std::vector<std::string>& args)
{
    std::unique_ptr<CPackedStore> store;
    const int nExit = OpenCommandArchive(args, 2, "qar extract ARCHIVE OUT_DIR", &store);
    if (nExit >= 0)
        return nExit;
    namespace fs = std::filesystem;
    const fs::path outDir(args[1]);
    int nFailed = 0;
    for (const auto& file : ListedFiles(*store))
    {
        const std::string& path = file.first;
        const CPackedFileHandle& h = file.second;
        if (!IsSafeRelativePath(path))
        {
            QarToolError("%s: refusing to write outside the output folder", path.c_str());
            ++nFailed;
            continue;
        }
        if (!h.IsValid())
        {
            QarToolError("%s: listed in the tree but not found by lookup", path.c_str());
            ++nFailed;
            continue;
        }
        const fs::path target = outDir / path;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        FILE* pOut = fopen(target.string().c_str(), "wb");
        if (!pOut)
        {
            QarToolError("cannot create %s", target.string().c_str());
            ++nFailed;
            continue;
        }
        bool bOk = ReadWhole(*store, h, path, [&](const char* p, size_t n) {
            return fwrite(p, 1, n, pOut) == n;
        });
        if (fclose(pOut) != 0)
            bOk = false;
        if (!bOk)
        {
            QarToolError("could not write %s completely", target.string().c_str());
            ++nFailed;
        }
    }
    return nFailed ? QAR_EXIT_FAILURE : QAR_EXIT_OK;
}

int QarCommandVerify(const std::vector<std::string>& args)
{
    std::unique_ptr<CPackedStore> store;
    const int nExit = OpenCommandArchive(args, 1, "qar verify ARCHIVE", &store);
    if (nExit >= 0)
        return nExit;
    const auto files = ListedFiles(*store);
    int nBad = 0;
    for (const auto& file : files)
    {
        const std::string& path = file.first;
        const CPackedFileHandle& h = file.second;
        if (!h.IsValid())
        {
            QarToolError("%s: listed in the tree but not found by lookup", path.c_str());
            ++nBad;
            continue;
        }
        uint32_t nCrc = 0;
        if (!ReadWhole(*store, h, path, [&](const char* p, size_t n) {
                nCrc = QarCrc32(nCrc, p, n);
                return true;
            }))
        {
            ++nBad;
            continue;
        }
        if (nCrc != h.GetChecksum())
        {
            QarToolError("%s: checksum mismatch (stored %08x, content %08x)", path.c_str(), h.GetChecksum(),
                         nCrc);
            ++nBad;
        }
    }
    nBad += CheckDirectoryFile(store->GetBasePath());
    printf("%zu files checked, %d problem%s\n", files.size(), nBad, nBad == 1 ? "" : "s");
    return nBad ? QAR_EXIT_FAILURE : QAR_EXIT_OK;
}

// qar pack: every regular file below a folder into one archive.
#include "qarlib/qarpacker.h"
#include "tools/qar/qar_tool.h"

#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace
{
// Progress is shown for packs at least this big, when standard error is a terminal.
constexpr int64_t kProgressBytes = 64ll << 20;
constexpr size_t kProgressFiles = 10000;

// A byte count with an optional K, M or G suffix; -1 when malformed.
int64_t ParseSize(const std::string& text)
{
    if (text.empty())
        return -1;
    char* pEnd = nullptr;
    const long long n = strtoll(text.c_str(), &pEnd, 10);
    if (pEnd == text.c_str() || n < 0)
        return -1;
    int nShift = 0;
    switch (*pEnd)
    {
    case '\0':
        break;
    case 'k': case 'K': nShift = 10; ++pEnd; break;
    case 'm': case 'M': nShift = 20; ++pEnd; break;
    case 'g': case 'G': nShift = 30; ++pEnd; break;
    default:
        return -1;
    }
    if (*pEnd || n > (INT64_MAX >> 31))
        return -1;
    return static_cast<int64_t>(n) << nShift;
}

bool ParseOptions(const std::vector<std::string>& args, QarPackOptions* pOptions,
                  std::vector<std::string>* pPositional)
{
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0)
        {
            pPositional->push_back(arg);
            continue;
        }
        if (i + 1 >= args.size())
        {
            QarToolError("%s needs a value", arg.c_str());
            return false;
        }
        const std::string& value = args[++i];
        const int64_t nValue = ParseSize(value);
        if (arg == "--chunk-size" && nValue >= 1)
            pOptions->nChunkSize = nValue;
        else if (arg == "--preload" && nValue >= 0 && nValue <= 0xFFFF)
            pOptions->nPreloadBytes = static_cast<uint16_t>(nValue);
        else if (arg == "--in-dir" && nValue >= 0)
            pOptions->nInDirectoryMaxSize = nValue;
        else if (arg == "--format" && (value == "v2" || value == "v1" || value == "headerless"))
            pOptions->eForm = value == "v2" ? EQarHeaderForm::Version2
                              : value == "v1" ? EQarHeaderForm::Version1
                                              : EQarHeaderForm::Headerless;
        else
        {
            QarToolError("bad option %s %s (try qar --help)", arg.c_str(), value.c_str());
            return false;
        }
    }
    return true;
}

// One line on standard error, rewritten in place, at most ten times a second.
class CProgressLine
{
public:
    void Update(size_t nFilesDone, size_t nFiles, int64_t nBytesDone, int64_t nBytes)
    {
        const auto now = std::chrono::steady_clock::now();
        if (nFilesDone != nFiles && now - m_last < std::chrono::milliseconds(100))
            return;
        m_last = now;
        fprintf(stderr, "\rqar: packed %zu/%zu files, %" PRId64 "/%" PRId64 " MiB", nFilesDone, nFiles,
                nBytesDone >> 20, nBytes >> 20);
        if (nFilesDone == nFiles)
            fputc('\n', stderr);
        fflush(stderr);
    }

private:
    std::chrono::steady_clock::time_point m_last;
};
} // namespace

int QarCommandPack(const std::vector<std::string>& args)
{
    QarPackOptions options;
    std::vector<std::string> positional;
    if (!ParseOptions(args, &options, &positional))
        return QAR_EXIT_USAGE;
    if (positional.size() != 2)
    {
        QarToolError("usage: qar pack [OPTIONS] SRC_DIR BASE_PATH");
        return QAR_EXIT_USAGE;
    }
    namespace fs = std::filesystem;
    const fs::path source(positional[0]);
    std::error_code ec;
    if (!fs::is_directory(source, ec))
    {
        QarToolError("%s: not a folder", positional[0].c_str());
        return QAR_EXIT_FAILURE;
    }

    CQarPacker packer(options);
    int64_t nBytes = 0;
    fs::recursive_directory_iterator it(source, ec), end;
    for (; !ec && it != end; it.increment(ec))
    {
        if (!it->is_regular_file(ec))
            continue;
        const int64_t nSize = static_cast<int64_t>(it->file_size(ec));
        const std::string relative = fs::relative(it->path(), source, ec).generic_string();
        std::string error;
        if (ec || !packer.AddDiskFile(relative, it->path().string(), nSize, &error))
        {
            QarToolError("%s", ec ? (it->path().string() + ": " + ec.message()).c_str() : error.c_str());
            return QAR_EXIT_FAILURE;
        }
        nBytes += nSize;
    }
    if (ec)
    {
        QarToolError("%s: %s", positional[0].c_str(), ec.message().c_str());
        return QAR_EXIT_FAILURE;
    }

    const fs::path parent = fs::path(positional[1]).parent_path();
    if (!parent.empty())
        fs::create_directories(parent, ec);

    CProgressLine line;
    QarPackProgress progress;
    if (isatty(STDERR_FILENO) && (nBytes >= kProgressBytes || packer.FileCount() >= kProgressFiles))
        progress = [&line](size_t nDone, size_t nFiles, int64_t nDoneBytes, int64_t nAllBytes) {
            line.Update(nDone, nFiles, nDoneBytes, nAllBytes);
        };
    std::string error;
    if (!packer.Write(positional[1], &error, progress))
    {
        QarToolError("%s", error.c_str());
        return QAR_EXIT_FAILURE;
    }
    printf("packed %zu files (%" PRId64 " bytes) into %s_dir.qar\n", packer.FileCount(), nBytes,
           positional[1].c_str());
    return QAR_EXIT_OK;
}

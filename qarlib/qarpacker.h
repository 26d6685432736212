// Writes packed archives: the directory file and its chunk files. Used by
// the qar tool and by the tests to make their fixture archives.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>

enum class EQarHeaderForm
{
    Version2,
    Version1,
    Headerless,
};

struct QarPackOptions
{
    int64_t nChunkSize = 200 * 1024 * 1024; // a chunk file is closed before it would pass this
    uint16_t nPreloadBytes = 0;             // leading bytes of each file kept in the tree
    int64_t nInDirectoryMaxSize = -1;       // files up to this size go into the directory file; -1: none
    EQarHeaderForm eForm = EQarHeaderForm::Version2;
    // Chunk data of files this large starts at a multiple of 4096 bytes, so
    // that reading it copies page-aligned memory; -1: never.
    int64_t nAlignFrom = 64 * 1024;
};

// Called after each file written.
using QarPackProgress =
    std::function<void(size_t nFilesDone, size_t nFiles, int64_t nBytesDone, int64_t nBytes)>;

class CQarPacker
{
public:
    explicit CQarPacker(const QarPackOptions& options = QarPackOptions());

    // Adds a file under an archive-relative path ('/' or '\' separators; it
    // is stored lower-cased). False, with the reason in *pError, for a path
    // the format cannot hold, a duplicate, or a file of 2 GiB or more.
    bool AddFile(const std::string& path, std::string content, std::string* pError);
    // As AddFile, with the content read from a disk file at Write time.
    bool AddDiskFile(const std::string& path, const std::string& diskPath, int64_t nSize,
                     std::string* pError);

    // Writes "<base>_dir.qar" and "<base>_NNN.qar". False with the reason in
    // *pError.
    bool Write(const std::string& basePath, std::string* pError,
               const QarPackProgress& progress = QarPackProgress());

    size_t FileCount() const { return m_items.size(); }

private:
    struct Item
    {
        std::string content;  // in memory, or empty with a disk path
        std::string diskPath;
        int64_t nSize = 0;
        uint32_t nChecksum = 0;
        uint16_t nArchiveIndex = 0;
        uint32_t nOffset = 0;
        uint32_t nLength = 0;
        std::string preload;
    };
    // (extension, directory, name): the tree's nesting order.
    using ItemKey = std::tuple<std::string, std::string, std::string>;

    bool AddItem(const std::string& path, Item item, std::string* pError);
    bool Layout(int* pnChunks, int64_t* pnInDirectorySize, std::string* pError);
    bool WriteData(const std::string& basePath, std::string& inDirectoryData, std::string* pError,
                   const QarPackProgress& progress);
    std::string BuildTree() const;
    bool WriteDirectoryFile(const std::string& basePath, const std::string& tree,
                            const std::string& inDirectoryData, std::string* pError) const;

    QarPackOptions m_options;
    std::map<ItemKey, Item> m_items;
};

// CPackedStore: one opened packed archive. It loads the directory tree of a
// qar directory file, indexes it for lookup by path, hands out
// CPackedFileHandle records for its files and reads their bytes from the
// preload bytes and the chunk files.
#pragma once

#include "qarlib/chunkfileslot.h"
#include "qarlib/packedstore_readcache.h"
#include "qarlib/treenameindex.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CPackedStore;

// The result of a lookup, copied by value. It points into its store's tree
// and is valid as long as the store lives; its user serialises access to it.
struct CPackedFileHandle
{
    int32_t nArchiveIndex = -1; // first part's archive index; -1 when the lookup failed
    uint32_t nOffset = 0;       // first part's offset
    int32_t nSize = 0;          // preload count + first part's length
    int32_t nPosition = 0;      // read position; the caller may set it within 0..size
    const unsigned char* pPreload = nullptr; // null when the preload count is 0
    uint16_t nPreloadCount = 0;
    CPackedStore* pStore = nullptr;           // null when the lookup failed
    const unsigned char* pEntry = nullptr;    // the entry record (checksum first)
    const char* pszName = nullptr;            // the file-name string in the tree

    bool IsValid() const { return pStore != nullptr; }
    // The CRC-32 of the content, as the archive records it.
    uint32_t GetChecksum() const;
};

// How the directory file was taken in.
enum EPackedStoreLoad
{
    QAR_LOAD_OK,
    QAR_LOAD_NO_BASE_PATH,      // constructed without a base path
    QAR_LOAD_NOT_FOUND,         // no directory file could be opened
    QAR_LOAD_BASE_PATH_TOO_LONG,// base path leaves no room for the file names
    QAR_LOAD_BAD_TREE_SIZE,     // tree size negative or too large: store left empty
    QAR_LOAD_READ_FAILED,       // the directory file could not be read
    QAR_LOAD_TREE_TRUNCATED,    // tree cut short: files after the last complete entry are absent
    QAR_LOAD_UNKNOWN_VERSION,   // only reached when the fatal error was not fatal
};
const char* PackedStoreLoadText(EPackedStoreLoad eLoad);

class CPackedStore
{
public:
    static constexpr int PATH_SIZE = 1024;
    static constexpr int CHUNK_SLOTS = 512;
    static constexpr int EXTENSION_BUCKETS = 15;

    // pszBasePath may be null (an empty store). pszDirFileName (at least 1024
    // bytes, may be null) receives the directory file name tried first.
    CPackedStore(const char* pszBasePath, char* pszDirFileName);
    ~CPackedStore();
    CPackedStore(const CPackedStore&) = delete;
    CPackedStore& operator=(const CPackedStore&) = delete;

    // True when the tree holds fewer than 2 bytes.
    bool IsEmpty() const { return m_tree.size() < 2; }
    EPackedStoreLoad GetLoadStatus() const { return m_eLoad; }
    // Where a truncated tree's walk stopped (the tree size otherwise).
    int32_t GetTreeWalkEnd() const { return m_nTreeWalkEnd; }

    CPackedFileHandle OpenFile(const char* pszPath);
    int32_t ReadData(CPackedFileHandle& handle, void* pDest, int32_t nNumBytesAsked);

    CPackedStoreReadCache& GetReadCache() { return m_readCache; }
    // Bytes read from chunk files and in-directory data so far, for
    // measuring how much more is read than delivered.
    int64_t GetChunkBytesRead() const;

    const char* GetBasePath() const { return m_szBasePath; }
    const char* GetFullPath() const { return m_szFullPath; }
    int32_t GetTreeSize() const { return m_nTreeSize; }
    int32_t GetDataStart() const { return m_nDataStart; }

    // Name of the file holding archive index nArchiveIndex's data.
    void GetDataFileName(char* pszOut, int nOutSize, int32_t nArchiveIndex) const;

    // Directory search over the archive's directory index.
    bool DirectoryExists(const char* pszPath);
    int FindEntries(const char* pszPattern, std::vector<std::string>& directories,
                    std::vector<std::string>& files);
    // Every file path of the tree (directory/name.extension); sorted by byte
    // value when bSort is set.
    int GetFileList(std::vector<std::string>& paths, bool bSort);

private:
    struct ExtensionNode
    {
        int32_t nNext; // index into m_extensionNodes, -1 ends the chain
        const char* pszExtension;
    };
    struct DirectoryNode
    {
        int32_t nExtension; // index into m_extensionNodes
        const char* pszDirectory;
        // Tree positions of this directory's file names lie in [begin, end).
        uint32_t nFilesBegin;
        uint32_t nFilesEnd;
    };
    class CIndexBuilder;

    void Load(const char* pszBasePath, char* pszDirFileName);
    FILE* OpenDirectoryFile(char* pszDirFileName);
    bool ReadTree(FILE* pFile);
    void BuildHashIndex();

    ChunkFileSlot* GetChunkFile(int32_t nArchiveIndex);

    void BuildDirectoryIndex();
    void EnsureDirectoryIndex();

    char m_szBasePath[PATH_SIZE] = {};
    char m_szFullPath[PATH_SIZE] = {};
    int32_t m_nTreeSize = 0;
    int32_t m_nDataStart = 0;
    std::mutex m_storeLock; // guards opening the chunk slots (an open slot is read without it)
    CPackedStoreReadCache m_readCache;
    int32_t m_nExtensionHeads[EXTENSION_BUCKETS];
    std::vector<char> m_tree;
    ChunkFileSlot m_chunkSlots[CHUNK_SLOTS];

    // The lookup index, built at mount time and fixed afterwards: extensions
    // in hash chains, directories by (extension node, string), file names by
    // (directory node, name).
    std::vector<ExtensionNode> m_extensionNodes;
    std::vector<DirectoryNode> m_directoryNodes;
    CTreeNameIndex m_directoryIndex; // values: directory node numbers
    CTreeNameIndex m_fileIndex;      // values: tree positions of file names
    EPackedStoreLoad m_eLoad = QAR_LOAD_NO_BASE_PATH;
    int32_t m_nTreeWalkEnd = 0;

    // Directory index, built once on first use.
    std::mutex m_directoryIndexLock;
    std::atomic<bool> m_bDirectoryIndexBuilt{false};
    std::vector<std::string> m_directories;                // each with its trailing '/'
    std::vector<std::vector<std::string>> m_directoryFiles; // per directory-list position
};

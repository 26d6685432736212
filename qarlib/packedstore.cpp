// CPackedStore: construction, loading of the directory file, the hash index
// and lookup.
#include "qarlib/packedstore.h"

#include "core/dbg.h"
#include "qarlib/lookuppath.h"
#include "qarlib/qarformat.h"
#include "util/murmurhash3.h"
#include "util/strtools.h"

#include <algorithm>
#include <cstring>

namespace
{
// Room the longest derived name needs beyond the base path: "_dir.qar" or
// "_NNNNN.qar".
constexpr int kLongestSuffix = 10;

uint32_t HashKey(const char* pszKey)
{
    return MurmurHash3_32(pszKey, strlen(pszKey), WEXLA_HASH_SEED);
}

// Size of a file, or -1.
int64_t FileSize(FILE* pFile)
{
    if (fseek(pFile, 0, SEEK_END) != 0)
        return -1;
    const long nSize = ftell(pFile);
    if (fseek(pFile, 0, SEEK_SET) != 0)
        return -1;
    return nSize;
}
} // namespace

const char* PackedStoreLoadText(EPackedStoreLoad eLoad)
{
    switch (eLoad)
    {
    case QAR_LOAD_OK:
        return "loaded";
    case QAR_LOAD_NO_BASE_PATH:
        return "no base path given";
    case QAR_LOAD_NOT_FOUND:
        return "directory file not found";
    case QAR_LOAD_BASE_PATH_TOO_LONG:
        return "base path too long";
    case QAR_LOAD_BAD_TREE_SIZE:
        return "corrupt directory file: impossible tree size";
    case QAR_LOAD_READ_FAILED:
        return "directory file could not be read";
    case QAR_LOAD_TREE_TRUNCATED:
        return "corrupt directory file: directory tree ends early";
    case QAR_LOAD_UNKNOWN_VERSION:
        return "unknown directory file version";
    }
    return "unknown load status";
}

uint32_t CPackedFileHandle::GetChecksum() const
{
    return pEntry ? QarReadU32(pEntry) : 0;
}

// Fills the lookup index while the tree is walked. Extension nodes are
// pushed at the front of their bucket chains and a repeated directory string
// under one extension replaces the earlier one, so the later of two equal
// strings is found; of two equal file names in one directory list the first
// is found.
class CPackedStore::CIndexBuilder final : public IQarTreeVisitor
{
public:
    explicit CIndexBuilder(CPackedStore& store) : m_store(store) {}

    void OnExtension(const char* pszExtension) override
    {
        const uint32_t nBucket = HashKey(pszExtension) % EXTENSION_BUCKETS;
        m_store.m_extensionNodes.push_back({m_store.m_nExtensionHeads[nBucket], pszExtension});
        m_store.m_nExtensionHeads[nBucket] = static_cast<int32_t>(m_store.m_extensionNodes.size() - 1);
    }

    void OnDirectory(const char* /*pszExtension*/, const char* pszDirectory) override
    {
        const uint32_t nBegin = PositionOf(pszDirectory) + static_cast<uint32_t>(strlen(pszDirectory)) + 1;
        const int32_t nExtension = static_cast<int32_t>(m_store.m_extensionNodes.size() - 1);
        m_directories.push_back(
            {CTreeNameIndex::Hash(pszDirectory, strlen(pszDirectory), static_cast<uint32_t>(nExtension)),
             static_cast<uint32_t>(m_store.m_directoryNodes.size())});
        m_store.m_directoryNodes.push_back({nExtension, pszDirectory, nBegin, nBegin});
    }

    void OnFile(const char* /*pszExtension*/, const char* /*pszDirectory*/, const char* pszName,
                const QarEntry& /*entry*/) override
    {
        const uint32_t nDirectory = static_cast<uint32_t>(m_store.m_directoryNodes.size() - 1);
        const uint32_t nPosition = PositionOf(pszName);
        m_files.push_back({CTreeNameIndex::Hash(pszName, strlen(pszName), nDirectory), nPosition});
        m_store.m_directoryNodes.back().nFilesEnd = nPosition + 1;
    }

    // Fills the two tables once the walk has counted their entries.
    void Finish()
    {
        CPackedStore& store = m_store;
        store.m_directoryIndex.Reset(m_directories.size());
        for (const Item& item : m_directories)
        {
            const DirectoryNode& node = store.m_directoryNodes[item.nValue];
            store.m_directoryIndex.Insert(item.nHash, item.nValue, true, [&](uint32_t nOther) {
                const DirectoryNode& other = store.m_directoryNodes[nOther];
                return other.nExtension == node.nExtension && strcmp(other.pszDirectory, node.pszDirectory) == 0;
            });
        }
        store.m_fileIndex.Reset(m_files.size());
        const char* pTree = store.m_tree.data();
        for (const Item& item : m_files)
        {
            store.m_fileIndex.Insert(item.nHash, item.nValue, false, [&](uint32_t nOther) {
                return strcmp(pTree + nOther, pTree + item.nValue) == 0 &&
                       SameDirectoryList(store, nOther, item.nValue);
            });
        }
    }

private:
    struct Item
    {
        uint32_t nHash;
        uint32_t nValue;
    };

    uint32_t PositionOf(const char* psz) const { return static_cast<uint32_t>(psz - m_store.m_tree.data()); }

    // Equal hashes of equal names mostly mean one directory list, but seeds
    // of two lists may collide: the positions tell the lists apart (their
    // ranges follow tree order).
    static bool SameDirectoryList(const CPackedStore& store, uint32_t nA, uint32_t nB)
    {
        const auto& nodes = store.m_directoryNodes;
        auto it = std::upper_bound(nodes.begin(), nodes.end(), nA,
                                   [](uint32_t n, const DirectoryNode& node) { return n < node.nFilesBegin; });
        if (it == nodes.begin())
            return false;
        --it;
        return nB >= it->nFilesBegin && nB < it->nFilesEnd;
    }

    CPackedStore& m_store;
    std::vector<Item> m_directories;
    std::vector<Item> m_files;
};

CPackedStore::CPackedStore(const char* pszBasePath, char* pszDirFileName)
{
    m_tree.assign(1, '\0');
    for (int32_t& nHead : m_nExtensionHeads)
        nHead = -1;
    if (pszBasePath)
        Load(pszBasePath, pszDirFileName);
    BuildHashIndex();
}

CPackedStore::~CPackedStore()
{
    for (ChunkFileSlot& slot : m_chunkSlots)
        Plat_CloseFile(slot.hFile);
}

void CPackedStore::Load(const char* pszBasePath, char* pszDirFileName)
{
    char szLocalName[PATH_SIZE];
    char* pszName = pszDirFileName ? pszDirFileName : szLocalName;
    if (strlen(pszBasePath) + kLongestSuffix >= static_cast<size_t>(PATH_SIZE))
    {
        pszName[0] = '\0';
        m_eLoad = QAR_LOAD_BASE_PATH_TOO_LONG;
        return;
    }
    V_CopyBounded(m_szBasePath, pszBasePath, PATH_SIZE);
    V_FormatBounded(pszName, PATH_SIZE, "%s_dir.qar", m_szBasePath);
    V_LowerAscii(pszName);

    m_eLoad = QAR_LOAD_NOT_FOUND;
    if (FILE* pFile = OpenDirectoryFile(pszName))
    {
        ReadTree(pFile);
        fclose(pFile);
    }

    V_MakeAbsolutePath(m_szFullPath, PATH_SIZE, m_szBasePath);
    V_LowerAscii(m_szFullPath);
    V_SetSeparators(m_szFullPath, '\\');
}

FILE* CPackedStore::OpenDirectoryFile(char* pszDirFileName)
{
    if (FILE* pFile = fopen(pszDirFileName, "rb"))
        return pFile;
    // The lower-cased name only finds files on a case-insensitive file
    // system; try the name as the base path spells it before the base path
    // itself.
    char szKeptCase[PATH_SIZE];
    V_FormatBounded(szKeptCase, PATH_SIZE, "%s_dir.qar", m_szBasePath);
    if (strcmp(szKeptCase, pszDirFileName) != 0)
    {
        if (FILE* pFile = fopen(szKeptCase, "rb"))
            return pFile;
    }
    return fopen(m_szBasePath, "rb");
}

bool CPackedStore::ReadTree(FILE* pFile)
{
    const int64_t nFileSize = FileSize(pFile);
    if (nFileSize < 0)
    {
        m_eLoad = QAR_LOAD_READ_FAILED;
        return false;
    }
    unsigned char header[QAR_HEADER_SIZE_V2];
    const size_t nHeaderRead = fread(header, 1, sizeof(header), pFile);
    const QarDirectoryHeader info = QarParseDirectoryHeader(header, nHeaderRead, nFileSize);
    if (info.eForm == QarDirectoryHeader::FORM_UNKNOWN_VERSION)
    {
        SpewError("Unknown version %d for qar %s", info.nVersion, m_szBasePath);
        m_eLoad = QAR_LOAD_UNKNOWN_VERSION;
        return false;
    }
    if (info.nTreeSize < 0 || info.nTreeSize > INT32_MAX)
    {
        m_eLoad = QAR_LOAD_BAD_TREE_SIZE;
        return false;
    }

    // A file shorter than the tree it declares gives what it holds; the walk
    // then stops at the last complete entry.
    const int64_t nAvailable = nFileSize - info.nHeaderSize;
    const int32_t nLoad =
        static_cast<int32_t>(info.nTreeSize < nAvailable ? info.nTreeSize : (nAvailable > 0 ? nAvailable : 0));
    const int64_t nDataStart = info.nHeaderSize + info.nTreeSize;
    m_nDataStart = static_cast<int32_t>(nDataStart > INT32_MAX ? INT32_MAX : nDataStart);
    m_nTreeSize = nLoad;
    m_eLoad = nLoad < info.nTreeSize ? QAR_LOAD_TREE_TRUNCATED : QAR_LOAD_OK;
    if (nLoad == 0)
        return true;

    m_tree.resize(static_cast<size_t>(nLoad));
    if (fseek(pFile, info.nHeaderSize, SEEK_SET) != 0 ||
        fread(m_tree.data(), 1, m_tree.size(), pFile) != m_tree.size())
    {
        m_tree.assign(1, '\0');
        m_nTreeSize = 0;
        m_eLoad = QAR_LOAD_READ_FAILED;
        return false;
    }
    return true;
}

void CPackedStore::BuildHashIndex()
{
    CIndexBuilder builder(*this);
    const bool bComplete = QarWalkTree(m_tree.data(), static_cast<int32_t>(m_tree.size()), builder,
                                       &m_nTreeWalkEnd);
    builder.Finish();
    if (!bComplete && m_eLoad == QAR_LOAD_OK)
        m_eLoad = QAR_LOAD_TREE_TRUNCATED;
}

CPackedFileHandle CPackedStore::OpenFile(const char* pszPath)
{
    CPackedFileHandle handle;
    QarLookupKeys keys;
    if (!SplitLookupPath(pszPath, &keys))
        return handle;

    const uint32_t nExtensionHash =
        MurmurHash3_32(keys.szExtension, static_cast<size_t>(keys.nExtensionLength), WEXLA_HASH_SEED);
    int32_t nExt = m_nExtensionHeads[nExtensionHash % EXTENSION_BUCKETS];
    while (nExt >= 0 && strcmp(m_extensionNodes[nExt].pszExtension, keys.szExtension) != 0)
        nExt = m_extensionNodes[nExt].nNext;
    if (nExt < 0)
        return handle;

    const uint32_t nDirectoryHash = CTreeNameIndex::Hash(
        keys.szDirectory, static_cast<size_t>(keys.nDirectoryLength), static_cast<uint32_t>(nExt));
    const uint32_t nDir = m_directoryIndex.Find(nDirectoryHash, [&](uint32_t nNode) {
        const DirectoryNode& node = m_directoryNodes[nNode];
        return node.nExtension == nExt && strcmp(node.pszDirectory, keys.szDirectory) == 0;
    });
    if (nDir == CTreeNameIndex::EMPTY)
        return handle;

    const DirectoryNode& dir = m_directoryNodes[nDir];
    const char* pTree = m_tree.data();
    const uint32_t nNameHash = CTreeNameIndex::Hash(keys.szBase, static_cast<size_t>(keys.nBaseLength), nDir);
    const uint32_t nName = m_fileIndex.Find(nNameHash, [&](uint32_t nPosition) {
        return nPosition >= dir.nFilesBegin && nPosition < dir.nFilesEnd && strcmp(pTree + nPosition, keys.szBase) == 0;
    });
    if (nName == CTreeNameIndex::EMPTY)
        return handle;

    // The walk that indexed the name read its entry whole; it follows the
    // name's terminator.
    const char* pszName = pTree + nName;
    CQarTreeReader reader(pTree, static_cast<int32_t>(m_tree.size()),
                          static_cast<int32_t>(nName) + keys.nBaseLength + 1);
    QarEntry entry;
    if (reader.ReadEntry(&entry))
    {
        // A file without parts holds only its preload bytes.
        handle.nArchiveIndex = entry.nParts ? entry.nArchiveIndex : QAR_DIRECTORY_ARCHIVE_INDEX;
        handle.nOffset = entry.nOffset;
        const int64_t nSize = static_cast<int64_t>(entry.nPreloadCount) + entry.nLength;
        handle.nSize = static_cast<int32_t>(nSize > INT32_MAX ? INT32_MAX : nSize);
        handle.nPosition = 0;
        handle.pPreload = entry.pPreload;
        handle.nPreloadCount = entry.nPreloadCount;
        handle.pStore = this;
        handle.pEntry = entry.pRecord;
        handle.pszName = pszName;
        return handle;
    }
    return handle;
}

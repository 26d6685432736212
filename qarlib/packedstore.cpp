// CPackedStore: construction, loading of the directory file, the hash index
// and lookup.
#include "qarlib/packedstore.h"

#include "core/dbg.h"
#include "qarlib/lookuppath.h"
#include "qarlib/qarformat.h"
#include "util/murmurhash3.h"
#include "util/strtools.h"

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

// Fills the hash index while the tree is walked: extension and directory
// nodes are pushed at the front of their bucket chains.
class CPackedStore::CIndexBuilder final : public IQarTreeVisitor
{
public:
    explicit CIndexBuilder(CPackedStore& store) : m_store(store) {}

    void OnExtension(const char* pszExtension) override
    {
        ExtensionNode node;
        const uint32_t nBucket = HashKey(pszExtension) % EXTENSION_BUCKETS;
        node.nNext = m_store.m_nExtensionHeads[nBucket];
        node.pszExtension = pszExtension;
        for (int32_t& nHead : node.nDirectoryHeads)
            nHead = -1;
        m_store.m_nExtensionHeads[nBucket] = static_cast<int32_t>(m_store.m_extensionNodes.size());
        m_store.m_extensionNodes.push_back(node);
    }

    void OnDirectory(const char* /*pszExtension*/, const char* pszDirectory) override
    {
        ExtensionNode& ext = m_store.m_extensionNodes.back();
        const uint32_t nBucket = HashKey(pszDirectory) % DIRECTORY_BUCKETS;
        m_store.m_directoryNodes.push_back({ext.nDirectoryHeads[nBucket], pszDirectory});
        ext.nDirectoryHeads[nBucket] = static_cast<int32_t>(m_store.m_directoryNodes.size() - 1);
    }

private:
    CPackedStore& m_store;
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
    {
        if (slot.pStream)
            fclose(slot.pStream);
    }
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
    if (!bComplete && m_eLoad == QAR_LOAD_OK)
        m_eLoad = QAR_LOAD_TREE_TRUNCATED;
}

CPackedFileHandle CPackedStore::OpenFile(const char* pszPath)
{
    CPackedFileHandle handle;
    QarLookupKeys keys;
    if (!SplitLookupPath(pszPath, &keys))
        return handle;

    int32_t nExt = m_nExtensionHeads[HashKey(keys.szExtension) % EXTENSION_BUCKETS];
    while (nExt >= 0 && strcmp(m_extensionNodes[nExt].pszExtension, keys.szExtension) != 0)
        nExt = m_extensionNodes[nExt].nNext;
    if (nExt < 0)
        return handle;

    int32_t nDir = m_extensionNodes[nExt].nDirectoryHeads[HashKey(keys.szDirectory) % DIRECTORY_BUCKETS];
    while (nDir >= 0 && strcmp(m_directoryNodes[nDir].pszDirectory, keys.szDirectory) != 0)
        nDir = m_directoryNodes[nDir].nNext;
    if (nDir < 0)
        return handle;

    // The directory's file list follows its string.
    const char* pszDirectory = m_directoryNodes[nDir].pszDirectory;
    const int32_t nTreeSize = static_cast<int32_t>(m_tree.size());
    CQarTreeReader reader(m_tree.data(), nTreeSize,
                          static_cast<int32_t>(pszDirectory - m_tree.data() + strlen(pszDirectory) + 1));
    const char* pszName;
    QarEntry entry;
    while (reader.ReadString(&pszName) && *pszName && reader.ReadEntry(&entry))
    {
        if (strcmp(pszName, keys.szBase) != 0)
            continue;
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

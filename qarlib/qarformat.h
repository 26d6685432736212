// Byte layout of a packed archive's directory file: the header forms and a
// bounds-checked walk of the directory tree. Every read stays inside the tree
// buffer whatever its bytes are; an element that does not end before the
// buffer's end stops the walk.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t QAR_MAGIC = 0x55AA1234;
constexpr int32_t QAR_HEADER_SIZE_V2 = 28;
constexpr int32_t QAR_HEADER_SIZE_V1 = 12;
constexpr uint16_t QAR_DIRECTORY_ARCHIVE_INDEX = 0x7FFF; // data inside the directory file
constexpr uint16_t QAR_PART_TERMINATOR = 0xFFFF;
constexpr int32_t QAR_ENTRY_FIXED_SIZE = 4 + 2;          // checksum, preload count
constexpr int32_t QAR_PART_SIZE = 2 + 4 + 4;             // archive index, offset, length
constexpr int32_t QAR_ARCHIVE_CHECKSUM_RECORD_SIZE = 28;
constexpr int32_t QAR_OTHER_CHECKSUM_SECTION_SIZE = 48;

// What the first bytes of a directory file say.
struct QarDirectoryHeader
{
    enum EForm
    {
        FORM_HEADERLESS,
        FORM_V1,
        FORM_V2,          // also versions 0 and below, read the same way
        FORM_UNKNOWN_VERSION, // magic with a version above 2
    };
    EForm eForm = FORM_HEADERLESS;
    int32_t nVersion = 0;
    int32_t nHeaderSize = 0; // 28, 12 or 0
    int64_t nTreeSize = 0;   // as declared (headerless: the file size)
    // Version 2 only.
    int32_t nInDirectoryDataSize = 0;
    int32_t nArchiveChecksumSize = 0;
    int32_t nOtherChecksumSize = 0;
    int32_t nSignatureSize = 0;
};

// Reads the header from the first nRead bytes (up to 28) of a file of
// nFileSize bytes.
QarDirectoryHeader QarParseDirectoryHeader(const unsigned char* pBytes, size_t nRead, int64_t nFileSize);

uint16_t QarReadU16(const unsigned char* p);
uint32_t QarReadU32(const unsigned char* p);
void QarWriteU16(unsigned char* p, uint16_t n);
void QarWriteU32(unsigned char* p, uint32_t n);

// One entry record as found in the tree.
struct QarEntry
{
    const unsigned char* pRecord = nullptr; // the checksum field
    uint32_t nChecksum = 0;
    uint16_t nPreloadCount = 0;
    int nParts = 0; // 0: the terminator follows the preload count at once
    // The first part (zero when there is none).
    uint16_t nArchiveIndex = 0;
    uint32_t nOffset = 0;
    uint32_t nLength = 0;
    const unsigned char* pPreload = nullptr; // null when the count is 0
};

// A cursor over the tree buffer. A read that would pass the end fails and
// leaves the cursor where it was.
class CQarTreeReader
{
public:
    CQarTreeReader(const char* pTree, int32_t nTreeSize, int32_t nPosition = 0)
        : m_pTree(pTree), m_nSize(nTreeSize < 0 ? 0 : nTreeSize), m_nPos(nPosition)
    {
    }

    // A 0-terminated string; an empty one ends a list.
    bool ReadString(const char** ppsz);
    bool ReadEntry(QarEntry* pEntry);

    int32_t Position() const { return m_nPos; }
    // Position of a string that lies inside the buffer.
    int32_t PositionOf(const char* psz) const { return static_cast<int32_t>(psz - m_pTree); }

private:
    const char* m_pTree;
    int32_t m_nSize;
    int32_t m_nPos;
};

// Receives the elements of a tree walk in tree order.
class IQarTreeVisitor
{
public:
    virtual void OnExtension(const char* pszExtension) {}
    virtual void OnDirectory(const char* pszExtension, const char* pszDirectory) {}
    virtual void OnFile(const char* pszExtension, const char* pszDirectory, const char* pszName,
                        const QarEntry& entry)
    {
    }

protected:
    ~IQarTreeVisitor() = default;
};

// Walks the whole tree. True when every list ended with its terminator
// inside the buffer; otherwise the walk stopped after the last complete
// element and *pnStop (when given) receives the position just after it.
bool QarWalkTree(const char* pTree, int32_t nTreeSize, IQarTreeVisitor& visitor,
                 int32_t* pnStop = nullptr);

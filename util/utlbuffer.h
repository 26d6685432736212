// A growable byte buffer with independent read and write positions, sticky
// error flags and a text mode that offers the lexical services of the
// key-value parser: skipping whitespace and "//" comments, peeking, reading
// single characters and reading strings between delimiters through a
// character conversion.
#pragma once

#include <cstdint>

class CUtlCharConversion;

class CUtlBuffer
{
public:
    // Mode flags.
    enum BufferFlags_t : uint8_t
    {
        TEXT_BUFFER = 0x1,       // text mode: the lexical services work, a 0 follows the data
        EXTERNAL_GROWABLE = 0x2, // memory supplied from outside may be replaced by our own
        CONTAINS_CRLF = 0x4,     // the text uses CR LF line ends (recorded only)
        READ_ONLY = 0x8,         // writes are refused
    };

    // Error flags; they stay set until cleared (see SeekRead and PeekRead).
    enum ErrorFlags_t : uint8_t
    {
        PUT_OVERFLOW = 0x1,
        GET_OVERFLOW = 0x2,
    };

    enum SeekType_t
    {
        SEEK_HEAD = 0,
        SEEK_CURRENT,
        SEEK_TAIL,
    };

    // Asked for nSize more bytes beyond the memory (reads) or for room for
    // nSize bytes at the write position (writes); false refuses.
    typedef bool (*OverflowFunc_t)(CUtlBuffer& buf, int nSize);

    // Own, growable memory: empty, both positions 0. With an initial size the
    // memory is allocated at once and (unless read-only) holds a 0 byte.
    explicit CUtlBuffer(int nGrowSize = 0, int nInitSize = 0, int nFlags = 0);
    // Memory supplied from outside, not freed by the buffer. Read-only
    // memory counts as nSize bytes of data; otherwise it is empty room to
    // write into.
    CUtlBuffer(const void* pMemory, int nSize, int nFlags = 0);
    ~CUtlBuffer();
    CUtlBuffer(const CUtlBuffer&) = delete;
    CUtlBuffer& operator=(const CUtlBuffer&) = delete;

    // Mode.
    int GetFlags() const { return m_nFlags; }
    bool IsText() const { return (m_nFlags & TEXT_BUFFER) != 0; }
    bool IsReadOnly() const { return (m_nFlags & READ_ONLY) != 0; }
    bool ContainsCRLF() const { return (m_nFlags & CONTAINS_CRLF) != 0; }
    void SetTextMode(bool bText, bool bCRLF = false);

    // True when no error flag is set.
    bool IsValid() const { return m_nError == 0; }
    bool HasError(int nErrorFlags) const { return (m_nError & nErrorFlags) != 0; }

    void SetOverflowFuncs(OverflowFunc_t pfnRead, OverflowFunc_t pfnWrite);

    // Memory and positions.
    const char* Base() const { return m_pMemory; }
    char* Base() { return m_pMemory; }
    int AllocatedSize() const { return m_nAllocated; }
    int TellGet() const { return m_nGet; }
    int TellPut() const { return m_nPut; }
    int TellMaxPut() const { return m_nMaxPut; } // end of data
    int GetBytesRemaining() const { return m_nMaxPut > m_nGet ? m_nMaxPut - m_nGet : 0; }

    // --- Write side ---

    // Makes the memory hold at least n + 1 bytes (room for a terminator), so
    // that a caller may fill it directly and then SeekWrite past the bytes.
    // False (and the write-overflow flag) when it cannot.
    bool Reserve(int n);
    // Moves the write position, within the memory; the end of data follows it
    // when it moves beyond. In text mode a 0 byte stays after the data when
    // the memory has room for it. False when the position would leave the
    // memory.
    bool SeekWrite(SeekType_t eType, int nOffset);
    // Writes bytes at the write position, growing the memory through the
    // write-overflow function; on refusal nothing is written and the
    // write-overflow flag is set.
    void Put(const void* pData, int nSize);
    // The text without its terminator.
    void PutString(const char* pszText);

    // --- Read side ---

    // True when n bytes can be read at the read position. Past the end of
    // data it sets the read-overflow flag.
    bool CheckRead(int n);
    // The bytes at read position + nOffset when n of them can be read there,
    // or null; a peek leaves no error flag behind.
    const char* PeekRead(int n = 0, int nOffset = 0);
    // True when the new position is within the data (and clears the
    // read-overflow flag); otherwise sets it. A position before the start is
    // refused and the read position is left as it was.
    bool SeekRead(SeekType_t eType, int nOffset);

    // Space, tab, CR, LF, vertical tab or form feed.
    static bool IsWhitespace(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

    // Text mode: skips whitespace (IsWhitespace).
    // Reaching the end of data sets the read-overflow flag.
    void SkipWhitespace();
    // Text mode: skips a "//" comment through its line feed (or to the end
    // of data); true when one was skipped.
    bool SkipLineComment();
    // The next byte, or 0 (and the read-overflow flag) at the end.
    char ReadChar();
    // The next character, decoded through the conversion's escapes.
    char ReadDelimitedChar(const CUtlCharConversion* pConv);
    // Reads a string between the conversion's delimiters into pDest, at most
    // nMaxChars - 1 characters and a terminator (0 or less: no limit); later
    // characters are read and dropped. Without an opening delimiter (after
    // whitespace) it stores an empty string and consumes nothing more.
    void ReadDelimitedString(const CUtlCharConversion* pConv, char* pDest, int nMaxChars);
    // Outside text mode: a 0-terminated string, at most nMaxChars - 1
    // characters kept.
    void GetString(char* pDest, int nMaxChars);

private:
    static bool DefaultReadOverflow(CUtlBuffer& buf, int nSize);
    static bool DefaultWriteOverflow(CUtlBuffer& buf, int nSize);

    // The position a seek leads to (64-bit: offsets may overflow an int).
    int64_t SeekTarget(SeekType_t eType, int nOffset, int nCurrent) const;
    // Grows the own memory to hold at least nBytes bytes.
    bool GrowMemory(int nBytes);
    bool CheckPut(int n);
    void AddNullTermination();
    // True when the delimiter text follows at the read position.
    bool PeekDelimiter(const CUtlCharConversion* pConv);

    char* m_pMemory = nullptr;
    int m_nAllocated = 0;
    int m_nGrowSize = 0;
    bool m_bExternalMemory = false;

    int m_nGet = 0;
    int m_nPut = 0;
    int m_nMaxPut = 0;
    uint8_t m_nError = 0;
    uint8_t m_nFlags = 0;
    OverflowFunc_t m_pfnReadOverflow = DefaultReadOverflow;
    OverflowFunc_t m_pfnWriteOverflow = DefaultWriteOverflow;
};

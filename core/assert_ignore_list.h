// The assertion dialog's ignore list: records of source text, line range and
// remaining count, newest first. Used only by the thread that shows the
// dialog (the main thread), so it has no lock.
#pragma once

#include <cstddef>

// A record's line range of -1, -1 covers the whole source file; a count of
// -1 ignores for ever.
constexpr int ASSERT_IGNORE_WHOLE_FILE = -1;
constexpr int ASSERT_IGNORE_FOREVER = -1;
// Characters of the source text a record keeps.
constexpr size_t ASSERT_IGNORE_SOURCE_MAX = 511;

class CAssertIgnoreList
{
public:
    CAssertIgnoreList() = default;
    ~CAssertIgnoreList();
    CAssertIgnoreList(const CAssertIgnoreList&) = delete;
    CAssertIgnoreList& operator=(const CAssertIgnoreList&) = delete;

    void Add(const char* pszSource, int nFirstLine, int nLastLine, int nCount);

    // Walks the records from the newest: an applying record with a count of 0
    // or less ignores the assertion; a positive count is lowered and ignores
    // while it stays above 0, and the record is removed when it reaches 0
    // (the walk then goes on). A record applies when its source text equals
    // pszSource without regard to letter case (on the characters it keeps)
    // and it covers the whole file or nLine lies in its range.
    bool Ignores(const char* pszSource, int nLine);

    size_t Size() const;

private:
    struct Record
    {
        char szSource[ASSERT_IGNORE_SOURCE_MAX + 1];
        int nFirstLine;
        int nLastLine;
        int nCount;
        Record* pNext;
    };
    static bool Applies(const Record& r, const char* pszSource, int nLine);

    Record* m_pNewest = nullptr;
};

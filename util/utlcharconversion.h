// Character conversions for delimited strings in text buffers: an escape
// character, a delimiter text, a table of (character, replacement text)
// pairs, and the decoding of the bytes that follow an escape character.
#pragma once

class CUtlCharConversion
{
public:
    struct ConversionArray_t
    {
        char m_nActualChar;
        const char* m_pReplacementString;
    };

    // Registers the table; a character registered twice is reported
    // (non-fatal) and keeps its later replacement.
    CUtlCharConversion(char nEscapeChar, const char* pDelimiter, int nCount,
                       const ConversionArray_t* pArray);
    virtual ~CUtlCharConversion() = default;
    CUtlCharConversion(const CUtlCharConversion&) = delete;
    CUtlCharConversion& operator=(const CUtlCharConversion&) = delete;

    char GetEscapeChar() const { return m_nEscapeChar; }
    const char* GetDelimiter() const { return m_pDelimiter; }
    int GetDelimiterLength() const { return m_nDelimiterLength; }

    // The replacement text of a character, or null when it has none.
    const char* GetConversionString(char c) const;
    // The length of the longest replacement text.
    int MaxConversionLength() const { return m_nMaxConversionLength; }

    // Decodes the nAvailable (at least 1) bytes that follow an escape
    // character: the encoded character, and in *pLength how many of the
    // bytes it used.
    virtual char FindConversion(const char* pString, int nAvailable, int* pLength) const = 0;

protected:
    struct ConversionInfo_t
    {
        int m_nLength = 0;
        const char* m_pReplacementString = nullptr;
    };

    char m_nEscapeChar;
    const char* m_pDelimiter;
    int m_nDelimiterLength;
    int m_nMaxConversionLength = 0;
    ConversionInfo_t m_replacements[256];
};

// No escapes: the escape character 0x7F decodes to 0 and uses no bytes; the
// delimiter is the double quote. Backslashes are ordinary characters.
const CUtlCharConversion* GetNoEscCharConversion();

// The C escapes \n \t \v \b \r \f \a \\ \? \' \" between double quotes; an
// unknown letter after the backslash decodes to 0 and uses no bytes.
const CUtlCharConversion* GetCStringCharConversion();

#include "util/utlcharconversion.h"

#include "core/dbg.h"

#include <cstring>

CUtlCharConversion::CUtlCharConversion(char nEscapeChar, const char* pDelimiter, int nCount,
                                       const ConversionArray_t* pArray)
    : m_nEscapeChar(nEscapeChar),
      m_pDelimiter(pDelimiter ? pDelimiter : ""),
      m_nDelimiterLength(static_cast<int>(strlen(m_pDelimiter)))
{
    for (int i = 0; i < nCount; ++i)
    {
        ConversionInfo_t& info = m_replacements[static_cast<unsigned char>(pArray[i].m_nActualChar)];
        Assert(info.m_pReplacementString == 0);
        info.m_pReplacementString = pArray[i].m_pReplacementString;
        info.m_nLength = static_cast<int>(strlen(info.m_pReplacementString));
        if (info.m_nLength > m_nMaxConversionLength)
            m_nMaxConversionLength = info.m_nLength;
    }
}

const char* CUtlCharConversion::GetConversionString(char c) const
{
    return m_replacements[static_cast<unsigned char>(c)].m_pReplacementString;
}

namespace
{
class CUtlNoEscConversion : public CUtlCharConversion
{
public:
    CUtlNoEscConversion(char nEscapeChar, const char* pDelimiter, int nCount,
                        const ConversionArray_t* pArray)
        : CUtlCharConversion(nEscapeChar, pDelimiter, nCount, pArray)
    {
    }

    char FindConversion(const char* /*pString*/, int /*nAvailable*/, int* pLength) const override
    {
        *pLength = 0;
        return 0;
    }
};

class CUtlCStringConversion : public CUtlCharConversion
{
public:
    CUtlCStringConversion(char nEscapeChar, const char* pDelimiter, int nCount,
                          const ConversionArray_t* pArray)
        : CUtlCharConversion(nEscapeChar, pDelimiter, nCount, pArray)
    {
        // Reverse table: the letter after the escape character to the
        // character it stands for.
        for (int i = 0; i < nCount; ++i)
        {
            const char* pReplacement = pArray[i].m_pReplacementString;
            if (pReplacement[0] == nEscapeChar && pReplacement[1] != 0)
                m_decoded[static_cast<unsigned char>(pReplacement[1])] = pArray[i].m_nActualChar;
        }
    }

    char FindConversion(const char* pString, int nAvailable, int* pLength) const override
    {
        const char c = nAvailable > 0 ? m_decoded[static_cast<unsigned char>(pString[0])] : 0;
        *pLength = c != 0 ? 1 : 0;
        return c;
    }

private:
    char m_decoded[256] = {};
};

const CUtlCharConversion::ConversionArray_t kNoEscTable[] = {
    {0x7F, ""},
};

const CUtlCharConversion::ConversionArray_t kCStringTable[] = {
    {'\n', "\\n"}, {'\t', "\\t"}, {'\v', "\\v"}, {'\b', "\\b"}, {'\r', "\\r"},  {'\f', "\\f"},
    {'\a', "\\a"}, {'\\', "\\\\"}, {'\?', "\\?"}, {'\'', "\\'"}, {'"', "\\\""},
};
} // namespace

const CUtlCharConversion* GetNoEscCharConversion()
{
    static const CUtlNoEscConversion s_conv(0x7F, "\"", 1, kNoEscTable);
    return &s_conv;
}

const CUtlCharConversion* GetCStringCharConversion()
{
    static const CUtlCStringConversion s_conv('\\', "\"",
                                              sizeof(kCStringTable) / sizeof(kCStringTable[0]),
                                              kCStringTable);
    return &s_conv;
}

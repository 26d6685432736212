#include "util/strtools.h"

#include "core/platform.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace
{
// Removes nCount characters at position i by moving the rest of the text left.
void RemoveAt(char* pText, size_t i, size_t nCount)
{
    memmove(pText + i, pText + i + nCount, strlen(pText + i + nCount) + 1);
}

char FoldUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Position of the first ".." segment (at the start or after a separator, and
// followed by the end or a separator), or -1.
long FindDotDotSegment(const char* pText, char cSep)
{
    for (size_t i = 0; pText[i]; ++i)
    {
        if (pText[i] == '.' && pText[i + 1] == '.' && (i == 0 || pText[i - 1] == cSep) &&
            (pText[i + 2] == '\0' || pText[i + 2] == cSep))
        {
            return static_cast<long>(i);
        }
    }
    return -1;
}
} // namespace

void V_CopyBounded(char* pDest, const char* pSrc, int maxLen)
{
    Assert(maxLen == 0 || pDest != NULL);
    Assert(pSrc != NULL);
    if (maxLen <= 0 || !pDest)
        return;
    if (!pSrc)
    {
        pDest[0] = '\0';
        return;
    }
    int i = 0;
    for (; i < maxLen - 1 && pSrc[i]; ++i)
        pDest[i] = pSrc[i];
    pDest[i] = '\0';
}

void V_AppendBounded(char* pDest, const char* pSrc, int nDestSize, int nMaxChars)
{
    Assert(pDest != NULL);
    Assert(pSrc != NULL);
    if (!pDest || !pSrc)
        return;
    const int nDestLen = static_cast<int>(strlen(pDest));
    int n = static_cast<int>(strlen(pSrc));
    if (nMaxChars >= 0 && nMaxChars < n)
        n = nMaxChars;
    if (nDestLen + n >= nDestSize)
        n = nDestSize - nDestLen - 1;
    if (n > 0)
    {
        memcpy(pDest + nDestLen, pSrc, static_cast<size_t>(n));
        pDest[nDestLen + n] = '\0';
    }
}

namespace
{
// Signed comparison of at most nCount positions; with bFold, two differing
// characters are compared after folding 'a'..'z' to upper case.
int CompareBounded(const char* s1, const char* s2, int nCount, bool bFold)
{
    if (nCount <= 0 || !s1 || !s2)
        return 0;
    for (int i = 0; i < nCount; ++i)
    {
        signed char c1 = static_cast<signed char>(s1[i]);
        signed char c2 = static_cast<signed char>(s2[i]);
        if (c1 != c2 && bFold)
        {
            c1 = static_cast<signed char>(FoldUpper(static_cast<char>(c1)));
            c2 = static_cast<signed char>(FoldUpper(static_cast<char>(c2)));
        }
        if (c1 != c2)
            return c1 < c2 ? -1 : 1;
        if (c1 == 0)
            break;
    }
    return 0;
}
} // namespace

int V_CompareN(const char* s1, const char* s2, int count)
{
    Assert(count >= 0);
    Assert(count == 0 || s1 != NULL);
    Assert(count == 0 || s2 != NULL);
    return CompareBounded(s1, s2, count, false);
}

int V_CompareNoCaseN(const char* s1, const char* s2, int n)
{
    Assert(n >= 0);
    Assert(n == 0 || s1 != NULL);
    Assert(n == 0 || s2 != NULL);
    return CompareBounded(s1, s2, n, true);
}

const char* V_FindNoCase(const char* pStr, const char* pSearch)
{
    Assert(pStr != NULL);
    Assert(pSearch != NULL);
    if (!pStr || !pSearch || !*pSearch)
        return nullptr;
    auto lower = [](char c) { return tolower(static_cast<unsigned char>(c)); };
    for (const char* pStart = pStr; *pStart; ++pStart)
    {
        const char* s = pStart;
        const char* t = pSearch;
        while (*t && *s && lower(*s) == lower(*t))
        {
            ++s;
            ++t;
        }
        if (!*t)
            return pStart;
        if (!*s)
            return nullptr; // the text ended inside a partial match
    }
    return nullptr;
}

char* V_LowerAscii(char* pText)
{
    if (!pText)
        return pText;
    for (char* p = pText; *p; ++p)
    {
        if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p - 'A' + 'a');
    }
    return pText;
}

void V_SetSeparators(char* pText, char cSeparator)
{
    if (!pText)
        return;
    for (char* p = pText; *p; ++p)
    {
        if (V_IsSeparator(*p))
            *p = cSeparator;
    }
}

void V_CollapseDoubleSlashes(char* pText)
{
    if (!pText)
        return;
    size_t nLen = strlen(pText);
    for (size_t i = 1; i + 1 < nLen; ++i)
    {
        if (V_IsSeparator(pText[i]) && V_IsSeparator(pText[i + 1]))
        {
            RemoveAt(pText, i, 1);
            --nLen;
        }
    }
}

bool V_RemoveDotSlashes(char* pText, char cSep)
{
    if (!pText)
        return true;
    V_SetSeparators(pText, cSep);

    // "/./" inside the text.
    for (size_t i = 0; i + 3 <= strlen(pText);)
    {
        if (pText[i] == cSep && pText[i + 1] == '.' && pText[i + 2] == cSep)
            RemoveAt(pText, i, 2);
        else
            ++i;
    }

    // A trailing "/." keeps its separator.
    size_t nLen = strlen(pText);
    if (nLen > 2 && pText[nLen - 2] == cSep && pText[nLen - 1] == '.')
        pText[nLen - 1] = '\0';

    // A leading "./".
    if (strlen(pText) > 1 && pText[0] == '.' && pText[1] == cSep)
        RemoveAt(pText, 0, 2);

    // ".." segments, each taking the segment before it.
    for (;;)
    {
        const long nDots = FindDotDotSegment(pText, cSep);
        if (nDots < 0)
            return true;
        if (nDots == 0 || (nDots == 1 && pText[0] == cSep))
            return false;
        // Back from two before the ".." to the nearest separator (or the start).
        long nCut = nDots - 2;
        while (nCut > 0 && pText[nCut] != cSep)
            --nCut;
        const size_t nEnd = static_cast<size_t>(nDots) + 2; // just after the ".."
        RemoveAt(pText, static_cast<size_t>(nCut), nEnd - static_cast<size_t>(nCut));
    }
}

void V_AppendSlash(char* pText, int nCapacity)
{
    if (!pText)
        return;
    const int nLen = static_cast<int>(strlen(pText));
    if (nLen == 0 || V_IsSeparator(pText[nLen - 1]))
        return;
    if (nLen + 1 >= nCapacity)
    {
        SpewError("V_AppendSlash: ran out of space on %s.", pText);
        return; // only reached when a replaced output function lets the call go on
    }
    pText[nLen] = CORRECT_PATH_SEPARATOR;
    pText[nLen + 1] = '\0';
}

bool V_IsAbsolute(const char* pPath)
{
    if (!pPath)
        return false;
    return strchr(pPath, ':') != nullptr || V_IsSeparator(pPath[0]);
}

void V_MakeAbsolutePath(char* pDest, int nCapacity, const char* pPath, const char* pBase)
{
    if (!pDest || nCapacity <= 0 || !pPath)
        return;
    if (V_IsAbsolute(pPath))
    {
        V_CopyBounded(pDest, pPath, nCapacity);
    }
    else
    {
        if (pBase && V_IsAbsolute(pBase))
        {
            V_CopyBounded(pDest, pBase, nCapacity);
        }
        else
        {
            if (!Plat_GetCurrentDirectory(pDest, static_cast<size_t>(nCapacity)))
            {
                ReportAssertionText("V_MakeAbsolutePath: _getcwd failed.", __FILE__, __LINE__);
                pDest[0] = '\0';
            }
            if (pBase)
            {
                V_AppendSlash(pDest, nCapacity);
                V_AppendBounded(pDest, pBase, nCapacity);
            }
        }
        V_AppendSlash(pDest, nCapacity);
        V_AppendBounded(pDest, pPath, nCapacity);
    }
    if (!V_RemoveDotSlashes(pDest, CORRECT_PATH_SEPARATOR))
    {
        char szText[1100];
        snprintf(szText, sizeof(szText), "V_RemoveDotSlashes failed for \"%.1000s\".", pDest);
        ReportAssertionText(szText, __FILE__, __LINE__);
    }
}

const char* V_LastComponent(const char* pPath)
{
    if (!pPath)
        return pPath;
    const char* pAfter = pPath;
    for (const char* p = pPath; *p; ++p)
    {
        if (V_IsSeparator(*p))
            pAfter = p + 1;
    }
    return pAfter;
}

void V_CutLastComponent(char* pPath)
{
    if (!pPath)
        return;
    const size_t nLen = strlen(pPath);
    if (nLen <= 1)
        return;
    for (size_t i = nLen - 1; i >= 1; --i)
    {
        if (V_IsSeparator(pPath[i]))
        {
            pPath[i] = '\0';
            return;
        }
    }
    pPath[0] = '\0';
}

const char* V_ExtensionOf(const char* pPath)
{
    if (!pPath)
        return nullptr;
    for (size_t i = strlen(pPath); i-- > 0;)
    {
        if (pPath[i] == '.')
            return pPath[i + 1] ? pPath + i + 1 : nullptr;
        if (V_IsSeparator(pPath[i]))
            return nullptr;
    }
    return nullptr;
}

void V_CopyExtension(const char* pPath, char* pDest, int nCapacity)
{
    if (!pDest || nCapacity <= 0)
        return;
    pDest[0] = '\0';
    if (const char* pExt = V_ExtensionOf(pPath))
        V_CopyBounded(pDest, pExt, nCapacity);
}

void V_CopyBaseName(const char* in, char* out, int maxlen)
{
    Assert(maxlen >= 1);
    Assert(in);
    Assert(out);
    if (maxlen < 1 || !out)
        return;
    if (!in || !*in)
    {
        out[0] = '\0';
        return;
    }
    const char* pStart = V_LastComponent(in);
    const char* pEnd = strrchr(pStart, '.');
    if (!pEnd)
        pEnd = pStart + strlen(pStart);
    const int nName = static_cast<int>(pEnd - pStart);
    V_CopyBounded(out, pStart, nName + 1 < maxlen ? nName + 1 : maxlen);
}

bool V_CopyDirectory(const char* pPath, char* pDest, int destSize)
{
    if (!AssertCheck(destSize >= 1))
        return false;
    const int nCapacity = destSize;
    if (!pDest)
        return false;
    if (pDest != pPath)
        pDest[0] = '\0';
    if (!pPath || !*pPath)
        return false;
    const size_t nLen = strlen(pPath);
    size_t n = 0;
    for (size_t i = nLen - 1; i-- > 0;)
    {
        if (V_IsSeparator(pPath[i]))
        {
            n = i + 1;
            break;
        }
    }
    if (n > static_cast<size_t>(nCapacity - 1))
        n = static_cast<size_t>(nCapacity - 1);
    memmove(pDest, pPath, n);
    pDest[n] = '\0';
    return n > 0;
}

namespace
{
// Bounded formatting without argument checks; the public routines check
// their arguments each with its own texts.
int FormatBounded(char* pDest, int bufferLen, const char* pFormat, va_list args, bool* pbTruncated)
{
    if (bufferLen <= 0 || !pDest || !pFormat)
    {
        if (pbTruncated)
            *pbTruncated = true;
        return 0;
    }
    int n = vsnprintf(pDest, static_cast<size_t>(bufferLen), pFormat, args);
    const bool bCut = n < 0 || n >= bufferLen;
    if (bCut)
        n = bufferLen - 1;
    pDest[n] = '\0';
    if (pbTruncated)
        *pbTruncated = bCut;
    return n;
}
} // namespace

int V_FormatBoundedChecked(char* pDest, int bufferLen, const char* pFormat, va_list args,
                           bool* pbTruncated)
{
    Assert(bufferLen > 0);
    Assert(bufferLen == 0 || pDest != NULL);
    Assert(pFormat != NULL);
    return FormatBounded(pDest, bufferLen, pFormat, args, pbTruncated);
}

int V_FormatBounded(char* pDest, int bufferLen, const char* pFormat, ...)
{
    Assert(bufferLen > 0);
    Assert(pDest != NULL);
    Assert(pFormat != NULL);
    va_list args;
    va_start(args, pFormat);
    const int n = FormatBounded(pDest, bufferLen, pFormat, args, nullptr);
    va_end(args);
    return n;
}

int V_atoi(const char* pText, const char** ppEnd)
{
    if (!pText)
    {
        ReportAssertion("NULL buffer passed to V_atoi()", false, __FILE__, __LINE__, 0);
        if (ppEnd)
            *ppEnd = nullptr;
        return 0;
    }
    const char* p = pText;
    int nSign = 1;
    if (*p == '+' || *p == '-')
    {
        if (*p == '-')
            nSign = -1;
        ++p;
    }
    unsigned int nValue = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
    {
        const char* pDigits = p + 2;
        const char* q = pDigits;
        while (isxdigit(static_cast<unsigned char>(*q)))
        {
            const char c = *q++;
            const unsigned int d = (c >= '0' && c <= '9') ? static_cast<unsigned>(c - '0')
                                                          : static_cast<unsigned>((c | 0x20) - 'a' + 10);
            nValue = nValue * 16 + d;
        }
        p = (q == pDigits) ? p + 1 : q; // at the 'x' when no digit follows
    }
    else if (*p == '\'')
    {
        nValue = static_cast<unsigned int>(static_cast<signed char>(p[1]));
        p += p[1] ? 2 : 1;
    }
    else
    {
        const char* pDigits = p;
        while (*p >= '0' && *p <= '9')
            nValue = nValue * 10 + static_cast<unsigned>(*p++ - '0');
        if (p == pDigits)
            p = pText; // no digits: the end is the start of the text
    }
    if (ppEnd)
        *ppEnd = p;
    return static_cast<int>(nValue * static_cast<unsigned int>(nSign));
}

void V_BytesToHex(const unsigned char* pBytes, int inputbytes, char* pDest, int outsize)
{
    Assert( outsize >= ( inputbytes * 2 ) + 1 );
    Assert(outsize >= 1);
    if (!pDest || outsize < 1)
        return;
    static const char kDigits[] = "0123456789abcdef";
    int nOut = 0;
    for (int i = 0; i < inputbytes && outsize - nOut > 2; ++i)
    {
        pDest[nOut++] = kDigits[pBytes[i] >> 4];
        pDest[nOut++] = kDigits[pBytes[i] & 0x0F];
    }
    pDest[nOut] = '\0';
}

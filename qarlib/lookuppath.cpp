#include "qarlib/lookuppath.h"

#include "util/strtools.h"

#include <cstring>

namespace
{
// Resolves "/../" in a directory key: each occurrence, searched from the
// key's second character, takes the segment before it. So a/b/../c/ becomes
// a/c/ and b/../c/ becomes /c/.
void CollapseParentSegments(char* pszKey)
{
    for (;;)
    {
        if (!pszKey[0])
            return;
        char* pOccurrence = strstr(pszKey + 1, "/../");
        if (!pOccurrence)
            return;
        char* pTarget = pOccurrence - 1;
        while (pTarget > pszKey && *pTarget != '/')
            --pTarget;
        const char* pRest = pOccurrence + 3; // the occurrence's last '/'
        memmove(pTarget, pRest, strlen(pRest) + 1);
    }
}
} // namespace

// One pass finds the separators; then each key is copied once, lower-cased
// (and the directory's separators turned into '/') on the way. The keys are
// those of the path tools: the directory part of V_CopyDirectory (up to the
// last separator that is not the final character), the base name of
// V_LastComponent cut at its last '.', and the extension after that '.'.
bool SplitLookupPath(const char* pszPath, QarLookupKeys* pKeys)
{
    if (!pszPath || !pKeys)
        return false;
    const char* pLastSeparator = nullptr;
    const char* pSeparatorBefore = nullptr;
    const char* p = pszPath;
    for (; *p; ++p)
    {
        if (V_IsSeparator(*p))
        {
            pSeparatorBefore = pLastSeparator;
            pLastSeparator = p;
        }
    }
    const char* pEnd = p;
    const char* pszLast = pLastSeparator ? pLastSeparator + 1 : pszPath;
    if (static_cast<size_t>(pszLast - pszPath) >= QAR_KEY_SIZE ||
        static_cast<size_t>(pEnd - pszLast) >= QAR_KEY_SIZE)
        return false;

    const char* pDirectoryEnd = pLastSeparator == pEnd - 1 ? pSeparatorBefore : pLastSeparator;
    char* pDirectory = pKeys->szDirectory;
    bool bDots = false;
    if (pDirectoryEnd)
    {
        for (const char* q = pszPath; q <= pDirectoryEnd; ++q)
        {
            char c = *q;
            if (c == '\\')
                c = '/';
            else if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            bDots |= c == '.' && q > pszPath && q[-1] == '.';
            *pDirectory++ = c;
        }
        *pDirectory = '\0';
        if (bDots)
            CollapseParentSegments(pKeys->szDirectory);
        const size_t nLen = strlen(pKeys->szDirectory);
        if (nLen > 0 && V_IsSeparator(pKeys->szDirectory[nLen - 1]))
            pKeys->szDirectory[nLen - 1] = '\0';
    }
    else
    {
        pDirectory[0] = ' ';
        pDirectory[1] = '\0';
    }

    char* pBase = pKeys->szBase;
    char* pDot = nullptr;
    for (const char* q = pszLast; q < pEnd; ++q)
    {
        char c = *q;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c == '.')
            pDot = pBase;
        *pBase++ = c;
    }
    *pBase = '\0';
    if (pDot)
    {
        *pDot = '\0';
        memcpy(pKeys->szExtension, pDot + 1, static_cast<size_t>(pBase - pDot));
    }
    else
    {
        pKeys->szExtension[0] = ' ';
        pKeys->szExtension[1] = '\0';
    }
    return true;
}

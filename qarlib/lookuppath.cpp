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

// Byte maps applied while a key is copied: lower case, and for the
// directory also '\\' turned into '/'.
struct KeyCharMaps
{
    unsigned char lower[256] = {};
    unsigned char directory[256] = {};
    constexpr KeyCharMaps()
    {
        for (int c = 0; c < 256; ++c)
            lower[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        for (int c = 0; c < 256; ++c)
            directory[c] = c == '\\' ? '/' : lower[c];
    }
};
constexpr KeyCharMaps g_keyCharMaps;

// Copies n bytes through the map and terminates the copy.
void CopyMapped(char* pDest, const char* pSrc, size_t n, const unsigned char* pMap)
{
    for (size_t i = 0; i < n; ++i)
        pDest[i] = static_cast<char>(pMap[static_cast<unsigned char>(pSrc[i])]);
    pDest[n] = '\0';
}
} // namespace

// The keys are those of the path tools: the directory part of
// V_CopyDirectory (up to the last separator that is not the final
// character), the base name of V_LastComponent cut at its last '.', and the
// extension after that '.'. Each is found from the end of the path and
// copied once, lower-cased on the way.
bool SplitLookupPath(const char* pszPath, QarLookupKeys* pKeys)
{
    if (!pszPath || !pKeys)
        return false;
    const size_t nLen = strlen(pszPath);
    size_t nLast = nLen; // start of the last component
    while (nLast > 0 && !V_IsSeparator(pszPath[nLast - 1]))
        --nLast;
    if (nLast >= QAR_KEY_SIZE || nLen - nLast >= QAR_KEY_SIZE)
        return false;

    // The directory ends after the last separator before the final character.
    size_t nDirectory = nLast;
    if (nDirectory == nLen && nDirectory > 0)
    {
        --nDirectory;
        while (nDirectory > 0 && !V_IsSeparator(pszPath[nDirectory - 1]))
            --nDirectory;
    }
    if (nDirectory > 0)
    {
        CopyMapped(pKeys->szDirectory, pszPath, nDirectory, g_keyCharMaps.directory);
        if (memchr(pKeys->szDirectory, '.', nDirectory))
        {
            CollapseParentSegments(pKeys->szDirectory);
            nDirectory = strlen(pKeys->szDirectory);
        }
        // Drop the trailing separator.
        if (nDirectory > 0 && pKeys->szDirectory[nDirectory - 1] == '/')
            pKeys->szDirectory[--nDirectory] = '\0';
        pKeys->nDirectoryLength = static_cast<int>(nDirectory);
    }
    else
    {
        memcpy(pKeys->szDirectory, " ", 2);
        pKeys->nDirectoryLength = 1;
    }

    const size_t nName = nLen - nLast;
    CopyMapped(pKeys->szBase, pszPath + nLast, nName, g_keyCharMaps.lower);
    size_t nBase = nName;
    while (nBase > 0 && pKeys->szBase[nBase - 1] != '.')
        --nBase;
    if (nBase > 0)
    {
        char* pDot = pKeys->szBase + --nBase;
        memcpy(pKeys->szExtension, pDot + 1, nName - nBase);
        *pDot = '\0';
        pKeys->nBaseLength = static_cast<int>(nBase);
        pKeys->nExtensionLength = static_cast<int>(nName - nBase - 1);
    }
    else
    {
        memcpy(pKeys->szExtension, " ", 2);
        pKeys->nBaseLength = static_cast<int>(nName);
        pKeys->nExtensionLength = 1;
    }
    return true;
}

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

bool SplitLookupPath(const char* pszPath, QarLookupKeys* pKeys)
{
    if (!pszPath || !pKeys)
        return false;
    const char* pszLast = V_LastComponent(pszPath);
    const size_t nDirectory = static_cast<size_t>(pszLast - pszPath);
    if (nDirectory >= QAR_KEY_SIZE || strlen(pszLast) >= QAR_KEY_SIZE)
        return false;

    V_CopyDirectory(pszPath, pKeys->szDirectory, QAR_KEY_SIZE);
    if (!pKeys->szDirectory[0])
        V_CopyBounded(pKeys->szDirectory, " ", QAR_KEY_SIZE);

    V_CopyBounded(pKeys->szBase, pszLast, QAR_KEY_SIZE);
    if (char* pDot = strrchr(pKeys->szBase, '.'))
    {
        *pDot = '\0';
        V_CopyExtension(pszPath, pKeys->szExtension, QAR_KEY_SIZE);
    }
    else
    {
        V_CopyBounded(pKeys->szExtension, " ", QAR_KEY_SIZE);
    }

    V_SetSeparators(pKeys->szDirectory, '/');
    V_LowerAscii(pKeys->szDirectory);
    CollapseParentSegments(pKeys->szDirectory);
    const size_t nLen = strlen(pKeys->szDirectory);
    if (nLen > 0 && V_IsSeparator(pKeys->szDirectory[nLen - 1]))
        pKeys->szDirectory[nLen - 1] = '\0';

    V_LowerAscii(pKeys->szBase);
    V_LowerAscii(pKeys->szExtension);
    return true;
}

#include "core/coretext.h"

#include <cctype>
#include <cstring>

int Core_CompareNoCase(const char* pszA, const char* pszB, size_t nMax)
{
    for (size_t i = 0; i < nMax; ++i)
    {
        const int a = tolower(static_cast<unsigned char>(pszA[i]));
        const int b = tolower(static_cast<unsigned char>(pszB[i]));
        if (a != b)
            return a - b;
        if (a == 0)
            return 0;
    }
    return 0;
}

bool Core_CopyText(char* pszOut, size_t nOutSize, const char* pszText)
{
    if (nOutSize == 0)
        return false;
    const size_t nLength = strlen(pszText);
    const size_t nCopy = nLength < nOutSize ? nLength : nOutSize - 1;
    memcpy(pszOut, pszText, nCopy);
    pszOut[nCopy] = '\0';
    return nCopy == nLength;
}

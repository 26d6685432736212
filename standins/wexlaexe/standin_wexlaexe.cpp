// Stand-in wexla.exe: records its command line (see standin_wexlaexe.h).
#include "standins/wexlaexe/standin_wexlaexe.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace
{
// The log file's path: the variable's value, or the default name beside this
// executable. False when neither can be formed.
bool LogPath(char (&szPath)[MAX_PATH * 4])
{
    const DWORD nLen = GetEnvironmentVariableA(STANDIN_WEXLAEXE_LOG_VARIABLE, szPath, sizeof(szPath));
    if (nLen > 0 && nLen < sizeof(szPath))
        return true;
    const DWORD nModule = GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    if (nModule == 0 || nModule >= sizeof(szPath))
        return false;
    char* pSlash = strrchr(szPath, '\\');
    const size_t nFolder = pSlash ? static_cast<size_t>(pSlash - szPath + 1) : 0;
    if (nFolder + sizeof(STANDIN_WEXLAEXE_DEFAULT_LOG) > sizeof(szPath))
        return false;
    memcpy(szPath + nFolder, STANDIN_WEXLAEXE_DEFAULT_LOG, sizeof(STANDIN_WEXLAEXE_DEFAULT_LOG));
    return true;
}
} // namespace

int main()
{
    char szPath[MAX_PATH * 4];
    if (!LogPath(szPath))
        return 1;
    char szTemporary[sizeof(szPath) + 8];
    snprintf(szTemporary, sizeof(szTemporary), "%s.part", szPath);

    const char* pszCommandLine = GetCommandLineA();
    FILE* pFile = fopen(szTemporary, "wb");
    if (!pFile)
        return 1;
    const size_t nLen = strlen(pszCommandLine);
    const bool bWritten = fwrite(pszCommandLine, 1, nLen, pFile) == nLen;
    if (fclose(pFile) != 0 || !bWritten)
        return 1;
    return MoveFileExA(szTemporary, szPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

#include "wrapper/launch_command.h"

#include <cstdio>
#include <cstring>

void FormatLaunchParameters(char (&szOut)[WEXLA_LAUNCH_PARAMETERS_SIZE], uint32_t nAppId,
                            const char* pszArgs)
{
    if (pszArgs && pszArgs[0])
        snprintf(szOut, sizeof(szOut), "-applaunch %u %s", nAppId, pszArgs);
    else
        snprintf(szOut, sizeof(szOut), "-applaunch %u", nAppId);
}

bool FormatClientExecutablePath(char (&szOut)[WEXLA_LAUNCH_PATH_SIZE], const char* pszInstallFolder)
{
    const int nLen = snprintf(szOut, sizeof(szOut), "%s\\wexla.exe", pszInstallFolder ? pszInstallFolder : "");
    if (nLen < 0 || static_cast<size_t>(nLen) >= sizeof(szOut))
    {
        szOut[0] = '\0';
        return false;
    }
    return true;
}

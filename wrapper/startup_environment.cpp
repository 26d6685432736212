#include "wrapper/startup_environment.h"

#include "core/platform.h"

#include <cstring>

uint32_t ParseAppIdText(const char* pszText)
{
    if (!pszText)
        return 0;
    const char* p = pszText;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool bNegative = false;
    if (*p == '+' || *p == '-')
        bNegative = *p++ == '-';
    uint32_t uValue = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        uValue = uValue * 10u + static_cast<uint32_t>(*p - '0'); // wraps: the low 32 bits
    return bNegative ? 0u - uValue : uValue;
}

uint32_t ReadAppIdFromEnvironment()
{
    char szValue[256];
    // Unset, empty, or too long for the buffer: no id.
    const uint32_t n = Plat_ReadEnvironmentVariable("WexlaGameId", szValue, sizeof(szValue));
    if (n == 0 || n >= sizeof(szValue))
        return 0;
    return ParseAppIdText(szValue);
}

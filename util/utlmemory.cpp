#include "util/utlmemory.h"

#include "core/dbg.h"

#include <climits>
#include <cstdint>
#include <cstdio>

int UtlMemory_CalcNewAllocationCount(int nAllocationCount, int nGrowSize, int nNewSize,
                                     int nBytesItem)
{
    // 64-bit arithmetic: doubling or rounding near INT_MAX must not wrap.
    const int64_t nNeeded = nNewSize;
    if (nGrowSize > 0)
    {
        const int64_t nRounded = (nNeeded + nGrowSize - 1) / nGrowSize * nGrowSize;
        return nRounded > INT_MAX ? INT_MAX : static_cast<int>(nRounded);
    }

    int64_t nCount = nAllocationCount > 0 ? nAllocationCount : 0;
    int64_t nItemBytes = nBytesItem;
    if (nCount == 0)
    {
        if (nBytesItem > 0)
        {
            nCount = (nItemBytes + 31) / nItemBytes;
        }
        else
        {
            char szText[96];
            snprintf(szText, sizeof(szText), "nBytesItem is %d in UtlMemory_CalcNewAllocationCount",
                     nBytesItem);
            ReportAssertionText(szText, __FILE__, __LINE__);
            nCount = 256;
        }
    }
    if (nItemBytes <= 0)
        nItemBytes = 1;
    int64_t nMaxStep = (int64_t(1) << 28) / nItemBytes;
    if (nMaxStep < 1)
        nMaxStep = 1;
    while (nCount < nNeeded)
        nCount += nCount < nMaxStep ? nCount : nMaxStep;
    return nCount > INT_MAX ? INT_MAX : static_cast<int>(nCount);
}

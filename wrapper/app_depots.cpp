#include "wrapper/app_depots.h"

#include "public/wexla_client.h"
#include "wrapper/client_binding.h"

#include <algorithm>
#include <cstring>

int CollectInstalledDepots(uint32_t uAppId, uint32_t* pDepots, int nCapacity)
{
    memset(pDepots, 0, sizeof(*pDepots) * static_cast<size_t>(nCapacity));
    IWexlaApps* pApps = g_ClientBinding.pApps;
    if (!pApps)
        return 0;
    const int32_t nCount = pApps->CollectAppDepots(uAppId, pDepots, static_cast<uint32_t>(nCapacity));
    return std::clamp<int32_t>(nCount, 0, nCapacity);
}

bool IsDepotInstalled(uint32_t uAppId, uint32_t uDepotId)
{
    uint32_t depots[WEXLA_APP_DEPOT_CAPACITY];
    const int nCount = CollectInstalledDepots(uAppId, depots, WEXLA_APP_DEPOT_CAPACITY);
    return std::find(depots, depots + nCount, uDepotId) != depots + nCount;
}

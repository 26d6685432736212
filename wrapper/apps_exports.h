// Application enumeration, ownership, update statistics, the current user and
// launching through the platform client.
#pragma once

#include "wrapper/wexla_frame.h"

WEXLA_API int WexlaGetAppIds(uint32_t* pAppIds, uint32_t nCapacity, TWexlaError* pError);
WEXLA_API int WexlaGetAppStats(TWexlaAppStatsRecord* pStats, TWexlaError* pError);
WEXLA_API int WexlaEnumerateApp(uint32_t uAppId, TWexlaAppRecord* pApp, TWexlaError* pError);
WEXLA_API int WexlaEnumerateAppDependency(uint32_t uAppId, uint32_t uIndex, TWexlaDependencyRecord* pDependency,
                                          TWexlaError* pError);
WEXLA_API int WexlaIsAppSubscribed(uint32_t uAppId, int* pbSubscribed, int* pbSecondFlag, TWexlaError* pError);
WEXLA_API int WexlaCheckAppOwnership(uint32_t uAppId, int* pbOwned, const TWexlaUserIdentity* pUser,
                                     TWexlaError* pError);
WEXLA_API int WexlaGetAppUpdateStats(uint32_t uAppOrDepotId, uint32_t uQueryType, TWexlaUpdateProgress* pProgress,
                                     TWexlaError* pError);
WEXLA_API int WexlaGetUser(char* pszUser, uint32_t nCapacity, uint32_t* pnLength, TWexlaUserIdentity* pUser,
                           TWexlaError* pError);
WEXLA_API int WexlaLaunchApp(uint32_t uAppId, uint32_t uLaunchOption, const char* pszArgs, TWexlaError* pError);

// WexlaGetAppUpdateStats: the query type that asks whether a whole
// application is on disk; any other type asks about one depot.
constexpr uint32_t WEXLA_UPDATE_QUERY_APP = 2;
// Both fields of a progress record count in these units.
constexpr uint64_t WEXLA_UPDATE_TOTAL = 1048576;

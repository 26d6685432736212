// What the legacy catalogue answered is filled from the known-application
// table and fixed values; ownership, folders and depots are asked of the
// client. Outputs a caller passes as null are never written; a query that
// needs an absent output or an absent client interface returns 0.
#include "wrapper/apps_exports.h"

#include "core/platform.h"
#include "core/platform_system.h"
#include "public/wexla_client.h"
#include "wrapper/app_depots.h"
#include "wrapper/client_binding.h"
#include "wrapper/known_apps.h"
#include "wrapper/launch_command.h"
#include "wrapper/user_identity.h"

WEXLA_API int WexlaGetAppIds(uint32_t* pAppIds, uint32_t nCapacity, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (nCapacity < WEXLA_KNOWN_APP_COUNT || !pAppIds)
    {
        if (pError)
            SetWexlaError(pError, "AppID buffer too small", eWexlaErrorFailed);
        return 0;
    }
    for (int i = 0; i < WEXLA_KNOWN_APP_COUNT; ++i)
        pAppIds[i] = kKnownApps[i].nAppId;
    WEXLA_TRACE("WexlaGetAppIds : %u apps", WEXLA_KNOWN_APP_COUNT);
    return 1;
}

WEXLA_API int WexlaGetAppStats(TWexlaAppStatsRecord* pStats, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (!pStats)
        return 0;
    static const uint32_t kFixed[9] = {255, 255, 255, 1, 255, 255, 0, 0, 0};
    pStats->nAppCount = WEXLA_KNOWN_APP_COUNT;
    for (int i = 0; i < 9; ++i)
        pStats->nFixed[i] = kFixed[i];
    WEXLA_TRACE("WexlaGetAppStats : %u apps", WEXLA_KNOWN_APP_COUNT);
    return 1;
}

// Asks the client for an application's install folder. Before start-up the
// folder is empty (when there is room for the terminator).
static void QueryInstallFolder(uint32_t uAppId, char* pszFolder, uint32_t nCapacity)
{
    if (!pszFolder || nCapacity == 0)
        return;
    if (IWexlaApps* pApps = g_ClientBinding.pApps)
        pApps->QueryAppFolder(uAppId, pszFolder, nCapacity);
    else
        pszFolder[0] = '\0';
}

// Before start-up the record is still filled from the table, with an empty
// folder and no dependencies, and the result 0 says the client was not asked.
WEXLA_API int WexlaEnumerateApp(uint32_t uAppId, TWexlaAppRecord* pApp, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (!pApp)
        return 0;
    const KnownApp app = LookupKnownApp(uAppId);
    CopyToCallerBuffer(pApp->pName, app.szName, pApp->nNameCapacity);
    CopyToCallerBuffer(pApp->pLabelA, "1", pApp->nLabelACapacity);
    CopyToCallerBuffer(pApp->pLabelB, "1", pApp->nLabelBCapacity);
    QueryInstallFolder(uAppId, pApp->pInstallFolder, pApp->nInstallFolderCapacity);
    pApp->nAppId = uAppId;
    pApp->nFixed1 = 1;
    pApp->nFixed2 = 1;
    pApp->nFixed3 = 1;
    pApp->nFixed4 = 1;
    pApp->nFixed5 = 1;
    pApp->nFixed6 = 0;
    pApp->nFixed7 = 1;

    uint32_t depots[WEXLA_APP_DEPOT_CAPACITY];
    const int nCount = CollectInstalledDepots(uAppId, depots, WEXLA_APP_DEPOT_CAPACITY);
    pApp->nDependencyCount = static_cast<uint32_t>(nCount);
    for (int i = 0; i < nCount; ++i)
        RecordDepotOwner(depots[i], uAppId);
    WEXLA_TRACE("WexlaEnumerateApp appid %u, dependencies %u", uAppId, pApp->nDependencyCount);
    return g_ClientBinding.pApps ? 1 : 0;
}

// Before start-up every index answers "no depot" and the result is 0.
WEXLA_API int WexlaEnumerateAppDependency(uint32_t uAppId, uint32_t uIndex, TWexlaDependencyRecord* pDependency,
                                          TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (!pDependency)
        return 0;
    uint32_t depots[WEXLA_APP_DEPOT_CAPACITY];
    const int nCount = CollectInstalledDepots(uAppId, depots, WEXLA_APP_DEPOT_CAPACITY);
    if (uIndex < static_cast<uint32_t>(nCount))
    {
        pDependency->nDepotId = depots[uIndex];
        pDependency->nPresent = 1;
        QueryInstallFolder(uAppId, pDependency->szFolder, WEXLA_DEPENDENCY_FOLDER_CAPACITY);
    }
    else
    {
        pDependency->nDepotId = 0;
        pDependency->nPresent = 0;
        pDependency->szFolder[0] = '\0';
    }
    WEXLA_TRACE("WexlaEnumerateAppDependency AppID %u, depot %u", uAppId, pDependency->nDepotId);
    return g_ClientBinding.pApps ? 1 : 0;
}

WEXLA_API int WexlaIsAppSubscribed(uint32_t uAppId, int* pbSubscribed, int* pbSecondFlag, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (!pbSubscribed)
        return 0;
    *pbSubscribed = 0;
    IWexlaApps* pApps = g_ClientBinding.pApps;
    if (!pApps)
        return 0;
    if (pbSecondFlag)
        *pbSecondFlag = 0;
    *pbSubscribed = pApps->IsAppOwned(uAppId) ? 1 : 0;
    WEXLA_TRACE("WexlaIsAppSubscribed appid %u: %s", uAppId, *pbSubscribed ? "yes" : "no");
    return 1;
}

// The client answers ownership for its logged-on user only; the identity the
// caller means is rebuilt as a full 64-bit identity (instance 1, account type
// 1, the current universe) and must be exactly the current one.
static uint64_t IdentityMeant(const TWexlaUserIdentity& user, uint64_t uCurrent)
{
    const uint64_t uUniverse = uCurrent >> 56;
    const uint64_t uHigh = (uUniverse << 24) | 0x100001;
    return (uHigh << 32) | AccountNumberOf(user);
}

WEXLA_API int WexlaCheckAppOwnership(uint32_t uAppId, int* pbOwned, const TWexlaUserIdentity* pUser,
                                     TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (!pbOwned)
        return 0;
    *pbOwned = 0;
    IWexlaApps* pApps = g_ClientBinding.pApps;
    uint64_t uCurrent = 0;
    if (!pUser || !pApps || !QueryCurrentIdentity(&uCurrent))
        return 0;
    if (IdentityMeant(*pUser, uCurrent) != uCurrent)
        return 0;
    *pbOwned = pApps->IsAppOwned(uAppId) ? 1 : 0;
    WEXLA_TRACE("WexlaCheckAppOwnership uAppId %u: %u", uAppId, static_cast<unsigned>(*pbOwned));
    return 1;
}

// All or nothing: an application is done when it is wholly on disk, a depot
// when the client still lists it among its owner's installed depots (the
// owner from the depot-to-application map, else the running application).
WEXLA_API int WexlaGetAppUpdateStats(uint32_t uAppOrDepotId, uint32_t uQueryType, TWexlaUpdateProgress* pProgress,
                                     TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (!pProgress)
        return 0;
    pProgress->nDone = 0;
    pProgress->nTotal = WEXLA_UPDATE_TOTAL;
    if (IWexlaApps* pApps = g_ClientBinding.pApps)
    {
        const bool bDone = uQueryType == WEXLA_UPDATE_QUERY_APP
                               ? pApps->IsAppOnDisk(uAppOrDepotId)
                               : IsDepotInstalled(DepotOwner(uAppOrDepotId), uAppOrDepotId);
        if (bDone)
            pProgress->nDone = WEXLA_UPDATE_TOTAL;
    }
    WEXLA_TRACE("WexlaGetAppUpdateStats appid %u: %llu / %llu", uAppOrDepotId,
                static_cast<unsigned long long>(pProgress->nDone),
                static_cast<unsigned long long>(pProgress->nTotal));
    return 1;
}

// The user name comes from the environment variable "WexlaUser". The length
// output gets the environment read's own answer: the characters stored, or
// the size needed including the terminator when the buffer is too small, or 0
// when the variable is not set. A buffer that did not receive the name is left
// holding an empty text rather than stale bytes.
WEXLA_API int WexlaGetUser(char* pszUser, uint32_t nCapacity, uint32_t* pnLength, TWexlaUserIdentity* pUser,
                           TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (pnLength)
        *pnLength = 0;
    if (!g_ClientBinding.pUser)
        return 0;
    const uint32_t nReadCapacity = pszUser ? nCapacity : 0;
    const uint32_t nRead = Plat_ReadEnvironmentVariable("WexlaUser", pszUser, nReadCapacity);
    if (pnLength)
        *pnLength = nRead;
    if (nReadCapacity > 0 && (nRead == 0 || nRead >= nReadCapacity))
        pszUser[0] = '\0';
    if (pUser)
    {
        uint64_t uIdentity = 0;
        QueryCurrentIdentity(&uIdentity);
        WriteUserIdentity(pUser, AccountNumberOf(uIdentity));
    }
    WEXLA_TRACE("WexlaGetUser: %s", nReadCapacity > 0 ? pszUser : "");
    return 1;
}

// The platform client starts the application: "<InstallPath>\wexla.exe" with
// "-applaunch <id>[ <args>]", through the shell's default verb. The launch
// option is not used and the launch is not waited for.
WEXLA_API int WexlaLaunchApp(uint32_t uAppId, uint32_t /*uLaunchOption*/, const char* pszArgs, TWexlaError* pError)
{
    ClearWexlaError(pError);
    WEXLA_TRACE("WexlaLaunchApp uAppId %u, args \"%s\"", uAppId, pszArgs ? pszArgs : "");
    char szParameters[WEXLA_LAUNCH_PARAMETERS_SIZE];
    FormatLaunchParameters(szParameters, uAppId, pszArgs);

    char szInstallPath[WEXLA_LAUNCH_PATH_SIZE] = {};
    if (!ReadRegistryString("HKLM", "Software\\Ubrix\\Wexla", "InstallPath", szInstallPath, sizeof(szInstallPath)))
        szInstallPath[0] = '\0';
    char szExecutable[WEXLA_LAUNCH_PATH_SIZE];
    if (!FormatClientExecutablePath(szExecutable, szInstallPath))
        return 0;
    return Plat_ShellOpen(szExecutable, szParameters) ? 1 : 0;
}

// WexlaStartup, WexlaCleanup and the start-up state queries.
#include "wrapper/startup.h"

#include "core/platform_system.h"
#include "public/wexla_client.h"
#include "wrapper/client_binding.h"
#include "wrapper/client_library.h"
#include "wrapper/minidump_exports.h"
#include "wrapper/startup_environment.h"
#include "wrapper/wexla2wrapper_stdio.h"

#include <cstring>

WEXLA_API int WexlaStartup(uint32_t /*uFlags*/, TWexlaError* pError)
{
    ClearWexlaError(pError);
    ClientBinding& binding = g_ClientBinding;
    binding.pClient = static_cast<IWexlaClient*>(BindClientLibrary(&binding.hClientModule, WEXLA_CLIENT_INTERFACE_VERSION));
    if (!binding.pClient || !binding.hClientModule)
    {
        SetWexlaError(pError, "WexlaAPI_Init_Internal failed", eWexlaErrorFailed);
        return 0;
    }

    // Every step runs and stores what it gets; a missing piece fails below
    // and is given back by WexlaCleanup.
    binding.hConnection = binding.pClient->OpenConnection();
    binding.hUser = binding.pClient->AttachLoggedOnUser(binding.hConnection);
    binding.pUtils = binding.pClient->ObtainUtilitiesInterface(binding.hConnection, WEXLA_UTILS_INTERFACE_VERSION);
    binding.pUser =
        binding.pClient->ObtainUserInterface(binding.hUser, binding.hConnection, WEXLA_USER_INTERFACE_VERSION);
    binding.pApps =
        binding.pClient->ObtainApplicationsInterface(binding.hUser, binding.hConnection, WEXLA_APPS_INTERFACE_VERSION);
    if (!binding.pUtils || !binding.pUser || !binding.pApps || binding.hUser == 0)
    {
        SetWexlaError(pError, "Missing interface", eWexlaErrorFailed);
        return 0;
    }

    WEXLA_TRACE("WexlaStartup");
    binding.nCurrentAppId = binding.pUtils->QueryRunningAppId();
    if (binding.nCurrentAppId == 0)
        binding.nCurrentAppId = ReadAppIdFromEnvironment();
    binding.pApps->QueryAppFolder(binding.nCurrentAppId, binding.szAppFolder, sizeof(binding.szAppFolder));
    // The client's answer is used as a terminated text from here on.
    binding.szAppFolder[sizeof(binding.szAppFolder) - 1] = '\0';

    return HandOverToFileSystem() ? 1 : 0;
}

WEXLA_API int WexlaCleanup(TWexlaError* pError)
{
    ClearWexlaError(pError);
    ClientBinding& binding = g_ClientBinding;
    if (binding.pClient)
    {
        binding.pClient->DetachUser(binding.hConnection, binding.hUser);
        binding.pClient->CloseConnection(binding.hConnection);
        binding.pClient = nullptr;
    }
    binding.pUtils = nullptr;
    binding.pUser = nullptr;
    binding.pApps = nullptr;
    if (binding.hClientModule)
    {
        Plat_FreeModule(binding.hClientModule);
        binding.hClientModule = nullptr;
    }
    ReleaseLegacyRuntimeLibrary();
    return 1;
}

WEXLA_API int WexlaGetCurrentAppId(uint32_t* puAppId, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (puAppId)
        *puAppId = 0;
    IWexlaUtils* pUtils = g_ClientBinding.pUtils;
    if (!pUtils)
        return 0;
    const uint32_t uAppId = pUtils->QueryRunningAppId();
    if (puAppId)
        *puAppId = uAppId;
    return 1;
}

namespace
{
// The constant getters: both outputs where given, then success.
int AnswerPair(uint32_t* puFirst, uint32_t uFirst, uint32_t* puSecond, uint32_t uSecond, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (puFirst)
        *puFirst = uFirst;
    if (puSecond)
        *puSecond = uSecond;
    return 1;
}
} // namespace

WEXLA_API int WexlaGetCurrentCellID(uint32_t* puFirst, uint32_t* puSecond, TWexlaError* pError)
{
    return AnswerPair(puFirst, 1, puSecond, 100, pError);
}

WEXLA_API int WexlaGetLocalClientVersion(uint32_t* puFirst, uint32_t* puSecond, TWexlaError* pError)
{
    return AnswerPair(puFirst, 1, puSecond, 1, pError);
}

WEXLA_API int WexlaGetOfflineStatus(TWexlaOfflineStatus* pStatus, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (pStatus)
    {
        pStatus->eIsOffline = 0;
        pStatus->eOfflineReason = 0;
    }
    return 1;
}

WEXLA_API int WexlaIsLoggedIn(int32_t* pbLoggedIn, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (pbLoggedIn)
        *pbLoggedIn = 1;
    return 1;
}

WEXLA_API int WexlaGetVersion(char* pszBuffer, int32_t nSize)
{
    if (!pszBuffer || nSize <= 0)
        return 0;
    strncpy(pszBuffer, "1.0.0.0", static_cast<size_t>(nSize));
    return 1;
}

bool HandOverToFileSystem()
{
    // Neither failure writes the record.
    return InitFileSystem() && MountAppArchives();
}

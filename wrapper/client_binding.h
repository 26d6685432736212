// Process-wide start-up state shared by every family that talks to the client
// library, and the depot-to-application map.
#pragma once

#include <cstdint>

// The client library's four interfaces (declared in public/wexla_client.h).
class IWexlaClient;
class IWexlaUser;
class IWexlaUtils;
class IWexlaApps;

// Filled by WexlaStartup, partly given back by WexlaCleanup. Unguarded: start-up,
// cleanup and mounting must not overlap with other calls.
struct ClientBinding
{
    void* hClientModule = nullptr; // the loaded wexlaclient.dll
    IWexlaClient* pClient = nullptr;
    int32_t hConnection = 0;
    int32_t hUser = 0;
    IWexlaUtils* pUtils = nullptr;
    IWexlaUser* pUser = nullptr;
    IWexlaApps* pApps = nullptr;
    uint32_t nCurrentAppId = 0;
    char szAppFolder[1024] = {};
    char szClientFolder[1040] = {}; // folder of the located client library
};

extern ClientBinding g_ClientBinding;

// Depot id -> the application that listed it. Filled by WexlaEnumerateApp,
// read by mounting and update statistics; never cleared.
void RecordDepotOwner(uint32_t uDepotId, uint32_t uAppId);
// The application that listed the depot, or nCurrentAppId when none did.
uint32_t DepotOwner(uint32_t uDepotId);

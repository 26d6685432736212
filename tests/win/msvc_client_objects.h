// C view of the MSVC-ABI client objects (msvc_client_objects.cpp), shared by
// both compilers.
#pragma once

#include <stdint.h>

#define MSVC_CLIENT_IDENTITY 0x0110000100ABCDEFull

// The arguments the objects received last.
struct MsvcClientArguments
{
    int32_t hClosed;
    int32_t hDetachConnection;
    int32_t hDetachUser;
    int32_t hUserOfUser;
    int32_t hConnectionOfUser;
    const char* pszUserVersion;
    int32_t hConnectionOfUtils;
    const char* pszUtilsVersion;
    int32_t hUserOfApps;
    int32_t hConnectionOfApps;
    const char* pszAppsVersion;
    uint32_t uDepotsApp;
    uint32_t nDepotsCapacity;
    uint32_t uFolderApp;
    uint32_t nFolderSize;
};

extern "C" void* MsvcClientObject(void);
extern "C" const MsvcClientArguments* MsvcClientArgumentsSeen(void);

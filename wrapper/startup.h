// Start-up, cleanup and the entry points that answer from start-up state or
// with constants.
#pragma once

#include "wrapper/wexla_frame.h"

// Offline status as games read it: two signed 32-bit fields.
struct TWexlaOfflineStatus
{
    int32_t eIsOffline;
    int32_t eOfflineReason;
};
static_assert(sizeof(TWexlaOfflineStatus) == 8, "TWexlaOfflineStatus layout");

// Binds the client library, learns the running application and its folder,
// then hands over to the content file system. 1 when bound and mounted.
WEXLA_API int WexlaStartup(uint32_t uFlags, TWexlaError* pError);
// Gives the client library back; 1.
WEXLA_API int WexlaCleanup(TWexlaError* pError);

// The client's running application, asked every time (no environment
// fallback); 0 when the utilities interface is absent.
WEXLA_API int WexlaGetCurrentAppId(uint32_t* puAppId, TWexlaError* pError);
// Constants: cell 1 and 100; client version 1 and 1; online; logged in.
// A null output is skipped.
WEXLA_API int WexlaGetCurrentCellID(uint32_t* puFirst, uint32_t* puSecond, TWexlaError* pError);
WEXLA_API int WexlaGetLocalClientVersion(uint32_t* puFirst, uint32_t* puSecond, TWexlaError* pError);
WEXLA_API int WexlaGetOfflineStatus(TWexlaOfflineStatus* pStatus, TWexlaError* pError);
WEXLA_API int WexlaIsLoggedIn(int32_t* pbLoggedIn, TWexlaError* pError);
// Copies "1.0.0.0" as the C library's bounded copy does (NUL fill up to the
// size, no terminator below 8 bytes); 0 for a null buffer or a size of 0 or
// less.
WEXLA_API int WexlaGetVersion(char* pszBuffer, int32_t nSize);

// The last step of start-up: initialise the content file system and mount
// the application's archives; true when both succeed.
bool HandOverToFileSystem();

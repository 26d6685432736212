// Entry points of the legacy asynchronous-call model, the error record and
// logging (defined in frame_exports.cpp).
#pragma once

#include "wrapper/wexla_frame.h"

WEXLA_API TWexlaError* WexlaClearError(TWexlaError* pError);

// Every call handle is answered as finished; WexlaUnmountFilesystem unmounts
// nothing.
WEXLA_API int WexlaAbortCall(WexlaCallHandle_t hCall, TWexlaError* pError);
WEXLA_API int WexlaWaitForResources(WexlaCallHandle_t hCall, TWexlaError* pError);
WEXLA_API int WexlaUnmountFilesystem(WexlaCallHandle_t hCall, TWexlaError* pError);
WEXLA_API int WexlaBlockingCall(WexlaCallHandle_t hCall, uint32_t uTimeout, TWexlaError* pError);
WEXLA_API int WexlaProcessCall(WexlaCallHandle_t hCall, TWexlaCallProgress* pProgress, TWexlaError* pError);

// Logging is not kept.
WEXLA_API int WexlaCreateLogContext(const char* pszName);
WEXLA_API int WexlaLog(int hContext, const char* pszText);
WEXLA_API void WexlaLogResourceLoadStarted(const char* pszResource);
WEXLA_API void WexlaLogResourceLoadFinished(const char* pszResource);

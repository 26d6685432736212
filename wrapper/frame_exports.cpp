// Entry points of the legacy asynchronous-call model and of logging. Every
// legacy asynchronous operation has finished before its entry point returns,
// so any call handle is answered as finished.
#include "wrapper/frame_exports.h"

WEXLA_API TWexlaError* WexlaClearError(TWexlaError* pError)
{
    return ClearWexlaError(pError);
}

// One body serves WexlaAbortCall, WexlaWaitForResources and
// WexlaUnmountFilesystem (which unmounts nothing).
static int HandleAnsweredAsFinished(WexlaCallHandle_t, TWexlaError* pError)
{
    ClearWexlaError(pError);
    return 1;
}

WEXLA_API int WexlaAbortCall(WexlaCallHandle_t hCall, TWexlaError* pError)
{
    return HandleAnsweredAsFinished(hCall, pError);
}

WEXLA_API int WexlaWaitForResources(WexlaCallHandle_t hCall, TWexlaError* pError)
{
    return HandleAnsweredAsFinished(hCall, pError);
}

WEXLA_API int WexlaUnmountFilesystem(WexlaCallHandle_t hCall, TWexlaError* pError)
{
    return HandleAnsweredAsFinished(hCall, pError);
}

WEXLA_API int WexlaBlockingCall(WexlaCallHandle_t, uint32_t /*uTimeout*/, TWexlaError* pError)
{
    ClearWexlaError(pError);
    return 1;
}

WEXLA_API int WexlaProcessCall(WexlaCallHandle_t, TWexlaCallProgress* pProgress, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (pProgress)
    {
        pProgress->bValid = 1;
        pProgress->uPercentDone = 100;
        pProgress->szProgress[0] = '\0';
    }
    return 1;
}

// Logging is not kept: no context is created and nothing is written.
WEXLA_API int WexlaCreateLogContext(const char* /*pszName*/)
{
    return 0;
}

WEXLA_API int WexlaLog(int /*hContext*/, const char* /*pszText*/)
{
    return 0;
}

WEXLA_API void WexlaLogResourceLoadStarted(const char* /*pszResource*/)
{
}

WEXLA_API void WexlaLogResourceLoadFinished(const char* /*pszResource*/)
{
}

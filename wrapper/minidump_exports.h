// The legacy minidump entry points: the comment and dump calls are forwarded
// to the legacy runtime library Wexla2.dll found in the client library's
// folder; two more only log.
#pragma once

#include "wrapper/wexla_frame.h"

// Loads Wexla2.dll from the client library's folder and runs its own
// initialisation; its result, or 0.
WEXLA_API int WexlaMiniDumpInit(void);
// Forwarded to the library's dump function; 0 without one.
WEXLA_API int WexlaWriteMiniDumpUsingExceptionInfoWithBuildId(uint32_t uExceptionCode, void* pExceptionInfo,
                                                              uint32_t uBuildId);
// The same with build id 0.
WEXLA_API int WexlaWriteMiniDumpUsingExceptionInfo(uint32_t uExceptionCode, void* pExceptionInfo);
// Forwarded to the library's comment function; 0 without one.
WEXLA_API int WexlaWriteMiniDumpSetComment(const char* pszComment);
// Not implemented: a "Wrapper not implemented:" line each.
WEXLA_API void WexlaWriteMiniDumpFromAssert(void);
WEXLA_API void WexlaWriteMiniDumpWithAppID(void);

// Gives the legacy runtime library back (one reference) and forgets its
// entries; WexlaCleanup calls it. Nothing happens when none was loaded.
void ReleaseLegacyRuntimeLibrary();

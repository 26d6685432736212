// Directory search, file status and local copies over the disk and the
// mounted archives.
#pragma once

#include "wrapper/wexla_frame.h"

#include <cstddef>

// The allocation a local copy takes its whole-file buffer from (malloc, freed
// with free). Replaceable so that tests can see an exhausted heap handled;
// nullptr restores malloc. Not guarded: set it while no copy runs.
using LocalCopyAllocator_t = void* (*)(size_t nBytes);
void SetLocalCopyAllocator(LocalCopyAllocator_t pfnAllocate);

#if !defined(_WIN32)
// Host tests: closes every search and starts the handle counter at 1 again,
// as in a fresh process.
void ResetFindTableForTesting();
#endif

// A search lists disk entries first, then archive directories, then archive
// files. Filter 0 searches the disk only.
WEXLA_API WexlaFindHandle_t WexlaFindFirst(const char* pszPattern, uint32_t eFilter, TWexlaEntryInfo* pInfo,
                                           TWexlaError* pError);
// 0 when an entry was delivered, -1 when none is left or the handle is unknown.
WEXLA_API int WexlaFindNext(WexlaFindHandle_t hFind, TWexlaEntryInfo* pInfo, TWexlaError* pError);
// 0 on success, -1 for an unknown handle.
WEXLA_API int WexlaFindClose(WexlaFindHandle_t hFind, TWexlaError* pError);
// 0 when the path was found (archives first, then the disk), -1 when not.
WEXLA_API int WexlaStat(const char* pszPath, TWexlaEntryInfo* pInfo, TWexlaError* pError);
// 1 when WexlaStat finds the path, else 0.
WEXLA_API int WexlaIsFileImmediatelyAvailable(const char* pszPath, TWexlaError* pError);
// 1 when the file is on disk afterwards (copied out of an archive if need
// be), 0 on failure.
WEXLA_API int WexlaGetLocalFileCopy(const char* pszPath, TWexlaError* pError);

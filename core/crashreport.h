// The crash-report binding: faultrelay.dll, found beside the game executable
// (or in its parent when that folder is named bin), its "faultrelay002"
// interface and report information record, and the two report sequences the
// core runtime drives through it. Dump writing itself is serialised by the
// minidump lock (core/minidump.h).
#pragma once

#include "public/faultrelay.h"

#include <cstddef>
#include <cstdint>

// The library path for a module path: "faultrelay.dll" in the module's
// folder, or in the folder above when that folder is named bin (any letter
// case); just "faultrelay.dll" when the path has no folder. False for an
// empty path, or when the result would not fit (a cut path could name
// another library).
bool CrashReport_LibraryPath(const char* pszModulePath, char* pszOut, size_t nOutSize);

// "%04d%02d%02d%02d%02d%02d" from a build date as the compiler writes it
// ("Mar  5 2021"; a month that matches no abbreviation is month 13) and a
// build time ("09:07:03").
constexpr size_t CRASHREPORT_BUILD_STAMP_SIZE = 15;
void CrashReport_MakeBuildStamp(const char* pszDate, const char* pszTime,
                                char (&szStamp)[CRASHREPORT_BUILD_STAMP_SIZE]);

// Product name: the record's product number, else the executable's file name
// up to its first "." in lower case (pszExePath null: unknown), else "Wexla".
void CrashReport_MakeProductName(const FaultRelayReportInfo_t* pInfo, const char* pszExePath,
                                 char* pszOut, size_t nOutSize);
// Version text: the record's version number, else "1.0".
void CrashReport_MakeVersionText(const FaultRelayReportInfo_t* pInfo, char* pszOut, size_t nOutSize);

// Binds on first use (never retried); true when the interface exists.
bool CrashReport_Bind();
// Forgets the binding and frees the library (at library unload).
void CrashReport_Unbind();

// Report of a failed assertion (binds first): prints the assertion line to
// standard error, then Begin, Describe (with nFlag), Values, Comment, a dump
// without exception, Comment(null), End. Nothing without an interface.
void CrashReport_WriteAssertReport(const char* pszExpression, const char* pszSource, int nLine,
                                   uint32_t nFlag);
// Report of a structured exception (does not bind): Begin, Describe, Values,
// the dump of the exception, End. Nothing without an interface.
void CrashReport_WriteExceptionReport(uint32_t nExceptionCode, void* pExceptionInfo);

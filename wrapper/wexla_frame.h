// What every exported entry point shares: the export convention, the error
// record writers and verbose call tracing.
#pragma once

#include "core/dbg.h"
#include "public/wexla_records.h"

// Exported entry points: C names, the C calling convention (the caller removes
// the arguments).
#if defined(_WIN32)
#define WEXLA_API extern "C" __cdecl
#else
#define WEXLA_API extern "C"
#endif

// Process-wide switch for trace lines of implemented calls; off at load.
extern bool bVerboseTrace;

// Clears kind, both detail words and the first text byte; tolerates null.
TWexlaError* ClearWexlaError(TWexlaError* pError);

// Sets the kind and copies the text (at most 255 bytes, NUL-filled to the end
// of the field). The record must not be null.
void SetWexlaError(TWexlaError* pError, const char* pszText, int32_t eKind);

// Sets only the kind (the text is left as the clearing left it); does
// nothing when the record is null.
void SetWexlaErrorKind(TWexlaError* pError, int32_t eKind);

// Formats into a 4,096-byte buffer and writes it to the debugger stream.
// Callers test bVerboseTrace first.
void TraceMessage(const char* pszFormat, ...) WEXLA_PRINTF(1, 2);

// Writes a trace line when tracing is on.
#define WEXLA_TRACE(...)              \
    do                                \
    {                                 \
        if (bVerboseTrace)            \
            TraceMessage(__VA_ARGS__); \
    } while (0)

// Switches tracing on when the process command line contains
// "-debugwexla2wrapper" (a case-sensitive substring); otherwise the switch
// keeps its value. Mounting calls this before it reads the mount list.
void EnableVerboseTraceFromCommandLine();

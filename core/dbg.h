// Diagnostic output and assertions of the core runtime.
//
// Every message is formatted once (5,020-byte buffer), handed to the output
// function, and the output function's answer decides what happens next:
// continue, stop in the debugger, or end the process.
#pragma once

#include <cstdarg>
#include <cstdint>

enum SpewType_t
{
    SPEW_MESSAGE = 0,
    SPEW_WARNING = 1,
    SPEW_ASSERT = 2,
    SPEW_ERROR = 3,
};

enum SpewRetval_t
{
    SPEW_DEBUGGER = 0, // break (for assertions the assertion handler decides)
    SPEW_CONTINUE = 1,
    SPEW_ABORT = 2, // end the process with exit code 1
};

typedef SpewRetval_t (*SpewOutputFunc_t)(SpewType_t eType, const char* pszText);

// Size of the formatting buffer, terminator included.
constexpr int SPEW_BUFFER_SIZE = 5020;

#if defined(__GNUC__)
#define WEXLA_PRINTF(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define WEXLA_PRINTF(fmt, first)
#endif

SpewRetval_t SpewMessage(const char* pszFormat, ...) WEXLA_PRINTF(1, 2);
SpewRetval_t SpewWarning(const char* pszFormat, ...) WEXLA_PRINTF(1, 2);
SpewRetval_t SpewError(const char* pszFormat, ...) WEXLA_PRINTF(1, 2);

// Records the location (the source text from its "\src\" part on) and the
// kind used by the next SpewAtLocation.
void SetSpewLocation(SpewType_t eType, const char* pszSource, int nLine);
SpewRetval_t SpewAtLocation(const char* pszFormat, ...) WEXLA_PRINTF(1, 2);

// Kind 0 output, only when the group's level is at least nLevel. No group is
// registered, so every group has the default level 0.
SpewRetval_t SpewToGroup(const char* pszGroup, int nLevel, const char* pszFormat, ...)
    WEXLA_PRINTF(3, 4);

// The standard output function: prints to standard output; answers break for
// assertions, abort for errors and continue otherwise.
SpewRetval_t DefaultSpewOutput(SpewType_t eType, const char* pszText);

// Replaces the output function (nullptr restores the standard one).
void SpewOutputFunc(SpewOutputFunc_t pfn);

// The assertion handler. pszMessage is complete ("Assertion Failed: expr");
// nExtra is handed on to the assertion dump.
void ReportAssertion(const char* pszMessage, bool bFatal, const char* pszSource, int nLine,
                     uintptr_t nExtra);

// Formats "Assertion Failed: %s" with the text and reports it (non-fatal).
void ReportAssertionText(const char* pszText, const char* pszSource, int nLine);

// The assertion dialog's decision: true when the assertion should stop in the
// debugger.
bool ShouldBreakOnAssert(const char* pszSource, int nLine, const char* pszMessage);

// Id of the thread that loaded the library.
uint32_t GetMainThreadId();

// Non-fatal assertion: reported, then execution continues.
#define Assert(expr)                                                                        \
    do                                                                                      \
    {                                                                                       \
        if (!(expr))                                                                        \
            ReportAssertion("Assertion Failed: " #expr, false, __FILE__, __LINE__, 0);     \
    } while (0)

// Non-fatal assertion that also yields the truth of the expression.
#define AssertCheck(expr) \
    ((expr) ? true : (ReportAssertion("Assertion Failed: " #expr, false, __FILE__, __LINE__, 0), false))

// Fatal assertion: reported, then the process ends with exit code 1.
#define AssertFatal(expr)                                                                        \
    do                                                                                           \
    {                                                                                            \
        if (!(expr))                                                                             \
            ReportAssertion("Fatal Assertion Failed: " #expr, true, __FILE__, __LINE__, 0);     \
    } while (0)

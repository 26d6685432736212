// The legacy entry points without a counterpart on the current platform. Each
// writes "Wrapper not implemented" into the caller's record (directly, without
// clearing it first), names itself on the debugger stream and returns 0.
#include "wrapper/unimplemented_table.h"
#include "wrapper/wexla_frame.h"

#include "core/platform.h"

#include <cstdio>
#include <cstring>

namespace
{
constexpr char kNotImplemented[] = "Wrapper not implemented";

int ReportNotImplemented(TWexlaError* pError, const char* pszName)
{
    pError->eKind = eWexlaErrorFailed;
    pError->eDetailType = 0;
    pError->nDetailCode = 0;
    memcpy(pError->szText, kNotImplemented, sizeof(kNotImplemented)); // text and its NUL only

    char szLine[128];
    snprintf(szLine, sizeof(szLine), "%s:%s", kNotImplemented, pszName);
    Plat_OutputDebugString(szLine);
    return 0;
}
} // namespace

// Leading arguments that are never read, by argument count (record excluded).
#define WEXLA_IGNORED_ARGS_1
#define WEXLA_IGNORED_ARGS_2 uint32_t,
#define WEXLA_IGNORED_ARGS_3 uint32_t, uint32_t,
#define WEXLA_IGNORED_ARGS_4 uint32_t, uint32_t, uint32_t,
#define WEXLA_IGNORED_ARGS_5 uint32_t, uint32_t, uint32_t, uint32_t,
#define WEXLA_IGNORED_ARGS_6 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
#define WEXLA_IGNORED_ARGS_7 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
#define WEXLA_IGNORED_ARGS_8 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,

#define WEXLA_DEFINE_LAST(name, argc)                                        \
    WEXLA_API int name(WEXLA_IGNORED_ARGS_##argc TWexlaError* pError)        \
    {                                                                        \
        return ReportNotImplemented(pError, #name);                          \
    }
#define WEXLA_DEFINE_LAST64(name, argc)                                      \
    WEXLA_API int64_t name(WEXLA_IGNORED_ARGS_##argc TWexlaError* pError)    \
    {                                                                        \
        return ReportNotImplemented(pError, #name);                          \
    }
// The record comes first; the other two arguments are not read.
#define WEXLA_DEFINE_FIRST(name, argc)                                       \
    WEXLA_API int name(TWexlaError* pError, uint32_t, uint32_t)              \
    {                                                                        \
        static_assert(argc == 3, "record-first entry points take three");    \
        return ReportNotImplemented(pError, #name);                          \
    }

#define WEXLA_DEFINE_UNIMPLEMENTED(name, argc, form) WEXLA_DEFINE_##form(name, argc)

WEXLA_UNIMPLEMENTED_ENTRY_POINTS(WEXLA_DEFINE_UNIMPLEMENTED)

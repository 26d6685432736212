// The legacy entry points without a counterpart on the current platform. Each
// writes "Wrapper not implemented" into the caller's record (directly, without
// clearing it first; a game that passes no record gets no write), names itself
// on the debugger stream and returns 0.
// Entry points whose family is not built yet get a placeholder answering 0.
#include "wrapper/export_table.h"
#include "wrapper/wexla_frame.h"

#include "core/platform.h"

#include <cstdio>
#include <cstring>

namespace
{
constexpr char kNotImplemented[] = "Wrapper not implemented";

int ReportNotImplemented(TWexlaError* pError, const char* pszName)
{
    if (pError)
    {
        pError->eKind = eWexlaErrorFailed;
        pError->eDetailType = 0;
        pError->nDetailCode = 0;
        memcpy(pError->szText, kNotImplemented, sizeof(kNotImplemented)); // text and its NUL only
    }

    char szLine[128];
    snprintf(szLine, sizeof(szLine), "%s:%s", kNotImplemented, pszName);
    Plat_OutputDebugString(szLine);
    return 0;
}
} // namespace

// Leading arguments that are never read, by count.
#define WEXLA_UNREAD_ARGS_0
#define WEXLA_UNREAD_ARGS_1 uint32_t,
#define WEXLA_UNREAD_ARGS_2 uint32_t, uint32_t,
#define WEXLA_UNREAD_ARGS_3 uint32_t, uint32_t, uint32_t,
#define WEXLA_UNREAD_ARGS_4 uint32_t, uint32_t, uint32_t, uint32_t,
#define WEXLA_UNREAD_ARGS_5 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
#define WEXLA_UNREAD_ARGS_6 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
#define WEXLA_UNREAD_ARGS_7 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
// The record is the last of argc arguments: argc - 1 unread ones come first.
#define WEXLA_RECORD_LAST_1 WEXLA_UNREAD_ARGS_0
#define WEXLA_RECORD_LAST_2 WEXLA_UNREAD_ARGS_1
#define WEXLA_RECORD_LAST_3 WEXLA_UNREAD_ARGS_2
#define WEXLA_RECORD_LAST_4 WEXLA_UNREAD_ARGS_3
#define WEXLA_RECORD_LAST_5 WEXLA_UNREAD_ARGS_4
#define WEXLA_RECORD_LAST_6 WEXLA_UNREAD_ARGS_5
#define WEXLA_RECORD_LAST_7 WEXLA_UNREAD_ARGS_6
#define WEXLA_RECORD_LAST_8 WEXLA_UNREAD_ARGS_7

#define WEXLA_DEFINE_NI_LAST(name, argc)                                     \
    WEXLA_API int name(WEXLA_RECORD_LAST_##argc TWexlaError* pError)         \
    {                                                                        \
        return ReportNotImplemented(pError, #name);                          \
    }
#define WEXLA_DEFINE_NI_LAST64(name, argc)                                   \
    WEXLA_API int64_t name(WEXLA_RECORD_LAST_##argc TWexlaError* pError)     \
    {                                                                        \
        return ReportNotImplemented(pError, #name);                          \
    }
// The record comes first; the other two arguments are not read.
#define WEXLA_DEFINE_NI_FIRST(name, argc)                                    \
    WEXLA_API int name(TWexlaError* pError, uint32_t, uint32_t)              \
    {                                                                        \
        static_assert(argc == 3, "record-first entry points take three");    \
        return ReportNotImplemented(pError, #name);                          \
    }
// Placeholder until the family's own definition replaces it.
#define WEXLA_PENDING_ARGS_0 void
#define WEXLA_PENDING_ARGS_1 uint32_t
#define WEXLA_PENDING_ARGS_2 WEXLA_UNREAD_ARGS_1 uint32_t
#define WEXLA_PENDING_ARGS_3 WEXLA_UNREAD_ARGS_2 uint32_t
#define WEXLA_PENDING_ARGS_4 WEXLA_UNREAD_ARGS_3 uint32_t
#define WEXLA_PENDING_ARGS_5 WEXLA_UNREAD_ARGS_4 uint32_t
#define WEXLA_PENDING_ARGS_6 WEXLA_UNREAD_ARGS_5 uint32_t
#define WEXLA_DEFINE_PENDING(name, argc) \
    WEXLA_API int name(WEXLA_PENDING_ARGS_##argc) { return 0; }
#define WEXLA_DEFINE_IMPL(name, argc)

#define WEXLA_DEFINE_EXPORT(name, argc, family, kind) WEXLA_DEFINE_##kind(name, argc)

WEXLA_EXPORTS(WEXLA_DEFINE_EXPORT)

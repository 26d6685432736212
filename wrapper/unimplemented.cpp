// The legacy entry points without a counterpart on the current platform. Each
// writes "Wrapper not implemented" into the caller's record (directly, without
// clearing it first; a game that passes no record gets no write), names itself
// on the debugger stream and returns 0.
#include "wrapper/export_declarations.h"

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

#define WEXLA_DEFINE_NI_LAST(name, argc)                                     \
    WEXLA_API WEXLA_PROTOTYPE_NI_LAST(name, argc)                            \
    {                                                                        \
        return ReportNotImplemented(pError, #name);                          \
    }
#define WEXLA_DEFINE_NI_LAST64(name, argc)                                   \
    WEXLA_API WEXLA_PROTOTYPE_NI_LAST64(name, argc)                          \
    {                                                                        \
        return ReportNotImplemented(pError, #name);                          \
    }
#define WEXLA_DEFINE_NI_FIRST(name, argc)                                    \
    WEXLA_API WEXLA_PROTOTYPE_NI_FIRST(name, argc)                           \
    {                                                                        \
        static_assert(argc == 3, "record-first entry points take three");    \
        return ReportNotImplemented(pError, #name);                          \
    }
#define WEXLA_DEFINE_IMPL(name, argc)

#define WEXLA_DEFINE_EXPORT(name, argc, family, kind) WEXLA_DEFINE_##kind(name, argc)

WEXLA_EXPORTS(WEXLA_DEFINE_EXPORT)

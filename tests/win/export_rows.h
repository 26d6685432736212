// The export table's rows as data, for tests that walk every export.
#pragma once

#include "wrapper/export_table.h"

#include <cstring>

namespace wintest
{
enum class ExportKind
{
    IMPL,
    NI_LAST,
    NI_LAST64,
    NI_FIRST,
};

struct ExportRow
{
    const char* pszName;
    int nArgs;
    const char* pszFamily;
    ExportKind eKind;

    bool IsNotImplemented() const
    {
        return eKind == ExportKind::NI_LAST || eKind == ExportKind::NI_LAST64 || eKind == ExportKind::NI_FIRST;
    }
};

#define WEXLA_EXPORT_ROW(name, argc, family, kind) {#name, argc, #family, ExportKind::kind},
inline constexpr ExportRow kExportRows[] = {WEXLA_EXPORTS(WEXLA_EXPORT_ROW)};
#undef WEXLA_EXPORT_ROW
} // namespace wintest

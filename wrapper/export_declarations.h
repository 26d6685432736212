// Every export of the table, declared in one place: the real prototype from
// its family's header for an IMPL row, the "Wrapper not implemented" form the
// table gives the others. Code that
// needs an entry point's own type (the interface objects' forwarders) and the
// definitions of the table-made entry points include this.
#pragma once

#include "wrapper/export_table.h"
#include "wrapper/wexla_frame.h"

// Generated at configure time (cmake/exports.cmake): every header in wrapper/
// that declares entry points.
#include "wexla_family_headers.h"

#include <cstdint>

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

// The prototype each kind of table-made entry point has (the definitions in
// unimplemented.cpp spell it with the same macro).
#define WEXLA_PROTOTYPE_NI_LAST(name, argc) int name(WEXLA_RECORD_LAST_##argc TWexlaError* pError)
#define WEXLA_PROTOTYPE_NI_LAST64(name, argc) int64_t name(WEXLA_RECORD_LAST_##argc TWexlaError* pError)
// The record comes first; the other two arguments are not read.
#define WEXLA_PROTOTYPE_NI_FIRST(name, argc) int name(TWexlaError* pError, uint32_t, uint32_t)

#define WEXLA_DECLARE_NI_LAST(name, argc) WEXLA_API WEXLA_PROTOTYPE_NI_LAST(name, argc);
#define WEXLA_DECLARE_NI_LAST64(name, argc) WEXLA_API WEXLA_PROTOTYPE_NI_LAST64(name, argc);
#define WEXLA_DECLARE_NI_FIRST(name, argc) WEXLA_API WEXLA_PROTOTYPE_NI_FIRST(name, argc);
#define WEXLA_DECLARE_IMPL(name, argc) // declared by its family's header
#define WEXLA_DECLARE_EXPORT(name, argc, family, kind) WEXLA_DECLARE_##kind(name, argc)

WEXLA_EXPORTS(WEXLA_DECLARE_EXPORT)

#undef WEXLA_DECLARE_EXPORT

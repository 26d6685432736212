// The applications the legacy catalogue answers for, and the entry that
// stands for any other id.
#pragma once

#include <cstdint>

constexpr int WEXLA_APP_NAME_SIZE = 64;
constexpr int WEXLA_KNOWN_APP_COUNT = 21;

struct KnownApp
{
    uint32_t nAppId;
    char szName[WEXLA_APP_NAME_SIZE];
};

// The known-application table, in its fixed order.
extern const KnownApp kKnownApps[WEXLA_KNOWN_APP_COUNT];

// The first table entry with the id; for any other id a fallback entry with
// the id and the name "Wexla App <id>". Every answer is the caller's own copy,
// so concurrent lookups of unknown ids cannot change each other's names.
KnownApp LookupKnownApp(uint32_t nAppId);

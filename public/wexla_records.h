// Legacy records that cross the boundary with games. Their layouts are part of
// the interface and are held by static_asserts.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int WEXLA_MAX_ERROR_TEXT = 255;

enum EWexlaErrorKind : int32_t
{
    eWexlaErrorNone = 0,
    eWexlaErrorFailed = 1,
    eWexlaErrorNotFound = 9,
    eWexlaErrorEndOfFile = 11,
};

// The caller-owned error record every entry point with a record fills.
struct TWexlaError
{
    int32_t eKind;
    int32_t eDetailType;
    int32_t nDetailCode;
    char szText[WEXLA_MAX_ERROR_TEXT];
};
static_assert(offsetof(TWexlaError, eKind) == 0, "TWexlaError layout");
static_assert(offsetof(TWexlaError, eDetailType) == 4, "TWexlaError layout");
static_assert(offsetof(TWexlaError, nDetailCode) == 8, "TWexlaError layout");
static_assert(offsetof(TWexlaError, szText) == 12, "TWexlaError layout");
static_assert(sizeof(TWexlaError) == 268, "TWexlaError layout");

// Progress of a legacy asynchronous call (filled by WexlaProcessCall).
struct TWexlaCallProgress
{
    int32_t bValid;
    uint32_t uPercentDone;
    char szProgress[1]; // caller's text buffer; only its first byte is written
};
static_assert(offsetof(TWexlaCallProgress, uPercentDone) == 4, "TWexlaCallProgress layout");
static_assert(offsetof(TWexlaCallProgress, szProgress) == 8, "TWexlaCallProgress layout");

// Legacy asynchronous call handle; never looked at.
typedef uint32_t WexlaCallHandle_t;

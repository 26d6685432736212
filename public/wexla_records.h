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

constexpr int WEXLA_MAX_ENTRY_NAME = 255;

// Status and search results (WexlaStat, WexlaFindFirst, WexlaFindNext).
struct TWexlaEntryInfo
{
    int32_t isDirectory; // 1 for a directory
    uint32_t size;       // bytes; archive search results carry 1 for a file
    int32_t onDisk;      // 1 when found on disk, 0 when it came from an archive
    char name[WEXLA_MAX_ENTRY_NAME]; // last path component, bounded copy
    char padding;                    // written 0, so a 255-character name still ends
    int32_t accessTime;  // seconds since 1 January 1970 UTC
    int32_t modifyTime;
    int32_t createTime;
};
static_assert(offsetof(TWexlaEntryInfo, isDirectory) == 0, "TWexlaEntryInfo layout");
static_assert(offsetof(TWexlaEntryInfo, size) == 4, "TWexlaEntryInfo layout");
static_assert(offsetof(TWexlaEntryInfo, onDisk) == 8, "TWexlaEntryInfo layout");
static_assert(offsetof(TWexlaEntryInfo, name) == 12, "TWexlaEntryInfo layout");
static_assert(offsetof(TWexlaEntryInfo, padding) == 267, "TWexlaEntryInfo layout");
static_assert(offsetof(TWexlaEntryInfo, accessTime) == 268, "TWexlaEntryInfo layout");
static_assert(offsetof(TWexlaEntryInfo, modifyTime) == 272, "TWexlaEntryInfo layout");
static_assert(offsetof(TWexlaEntryInfo, createTime) == 276, "TWexlaEntryInfo layout");
static_assert(sizeof(TWexlaEntryInfo) == 280, "TWexlaEntryInfo layout");

// Find handle: 0 is failure; handed out 1, 2, 3 ... and never reused.
typedef uint32_t WexlaFindHandle_t;

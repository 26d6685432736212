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

// ---- Application and user queries ----------------------------------------
// Offsets are those of the 32-bit build, where pointers are 4 bytes; the
// 64-bit twin used for testing keeps the field order.
#if defined(_WIN32) && !defined(_WIN64)
#define WEXLA_RECORDS_32BIT 1
#else
#define WEXLA_RECORDS_32BIT 0
#endif

// Filled by WexlaEnumerateApp; the caller supplies the four buffers and their
// capacities.
struct TWexlaAppRecord
{
    char* pName;
    uint32_t nNameCapacity;
    char* pLabelA;
    uint32_t nLabelACapacity;
    char* pLabelB;
    uint32_t nLabelBCapacity;
    char* pInstallFolder;
    uint32_t nInstallFolderCapacity;
    uint32_t nAppId;
    uint32_t nFixed1;
    uint32_t nFixed2;
    uint32_t nFixed3;
    uint32_t nFixed4;
    uint32_t nFixed5;
    uint32_t nFixed6;
    uint32_t nFixed7;
    uint32_t nDependencyCount;
};
#if WEXLA_RECORDS_32BIT
static_assert(offsetof(TWexlaAppRecord, pName) == 0, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nNameCapacity) == 4, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, pLabelA) == 8, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nLabelACapacity) == 12, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, pLabelB) == 16, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nLabelBCapacity) == 20, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, pInstallFolder) == 24, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nInstallFolderCapacity) == 28, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nAppId) == 32, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nFixed1) == 36, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nFixed2) == 40, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nFixed3) == 44, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nFixed4) == 48, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nFixed5) == 52, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nFixed6) == 56, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nFixed7) == 60, "TWexlaAppRecord layout");
static_assert(offsetof(TWexlaAppRecord, nDependencyCount) == 64, "TWexlaAppRecord layout");
static_assert(sizeof(TWexlaAppRecord) == 68, "TWexlaAppRecord layout");
#endif

// Bytes the library writes at most into TWexlaDependencyRecord::szFolder.
constexpr int WEXLA_DEPENDENCY_FOLDER_CAPACITY = 255;

// Filled by WexlaEnumerateAppDependency.
struct TWexlaDependencyRecord
{
    uint32_t nDepotId;
    uint32_t nPresent;
    char szFolder[WEXLA_DEPENDENCY_FOLDER_CAPACITY];
};
static_assert(offsetof(TWexlaDependencyRecord, nDepotId) == 0, "TWexlaDependencyRecord layout");
static_assert(offsetof(TWexlaDependencyRecord, nPresent) == 4, "TWexlaDependencyRecord layout");
static_assert(offsetof(TWexlaDependencyRecord, szFolder) == 8, "TWexlaDependencyRecord layout");

// Filled by WexlaGetAppStats: the number of known applications, then nine
// fixed values.
struct TWexlaAppStatsRecord
{
    uint32_t nAppCount;
    uint32_t nFixed[9];
};
static_assert(offsetof(TWexlaAppStatsRecord, nFixed) == 4, "TWexlaAppStatsRecord layout");
static_assert(sizeof(TWexlaAppStatsRecord) == 40, "TWexlaAppStatsRecord layout");

// Filled by WexlaGetAppUpdateStats.
struct TWexlaUpdateProgress
{
    uint64_t nTotal;
    uint64_t nDone;
};
static_assert(offsetof(TWexlaUpdateProgress, nTotal) == 0, "TWexlaUpdateProgress layout");
static_assert(offsetof(TWexlaUpdateProgress, nDone) == 8, "TWexlaUpdateProgress layout");
static_assert(sizeof(TWexlaUpdateProgress) == 16, "TWexlaUpdateProgress layout");

// A user as the legacy interface names one. The account number is
// 2 * nAccountHigh + nAccountLowBit.
struct TWexlaUserIdentity
{
    uint16_t nHeader;
    uint8_t reserved[6]; // neither written nor read
    uint32_t nAccountHigh;
    uint32_t nAccountLowBit;
};
static_assert(offsetof(TWexlaUserIdentity, nHeader) == 0, "TWexlaUserIdentity layout");
static_assert(offsetof(TWexlaUserIdentity, nAccountHigh) == 8, "TWexlaUserIdentity layout");
static_assert(offsetof(TWexlaUserIdentity, nAccountLowBit) == 12, "TWexlaUserIdentity layout");
static_assert(sizeof(TWexlaUserIdentity) == 16, "TWexlaUserIdentity layout");

// ---- User identity tickets -------------------------------------------------
constexpr uint32_t WEXLA_TICKET_MARKER = 0x4B1D93E6;
constexpr uint32_t WEXLA_TICKET_SIZE = 32;

// The 32-byte ticket a game client hands to its server (little-endian).
struct TWexlaUserTicket
{
    uint32_t nMarker;       // WEXLA_TICKET_MARKER
    uint32_t nZero;
    TWexlaUserIdentity user; // the current user
    uint32_t nExtraWord;    // 0 when made here; handed back by validation
    uint32_t nHandle;       // 0 when made here; the validation handle once stored
};
static_assert(offsetof(TWexlaUserTicket, nMarker) == 0, "TWexlaUserTicket layout");
static_assert(offsetof(TWexlaUserTicket, nZero) == 4, "TWexlaUserTicket layout");
static_assert(offsetof(TWexlaUserTicket, user) == 8, "TWexlaUserTicket layout");
static_assert(offsetof(TWexlaUserTicket, nExtraWord) == 24, "TWexlaUserTicket layout");
static_assert(offsetof(TWexlaUserTicket, nHandle) == 28, "TWexlaUserTicket layout");
static_assert(sizeof(TWexlaUserTicket) == WEXLA_TICKET_SIZE, "TWexlaUserTicket layout");

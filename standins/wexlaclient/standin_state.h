// The stand-in client's answers and call log, shared by its interfaces, its
// scripting exports and its script reader.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

struct StandinApp
{
    bool bOwned = false;
    bool bOnDisk = false;
    bool bHasFolder = false;
    std::string folder;
    std::vector<uint32_t> depots;
    bool bForceDepotResult = false;
    int32_t nDepotResult = 0;
};

// One per process. lock guards every field; the log is a deque so that texts
// handed out by StandinClient_CallAt stay where they are while calls are
// appended.
struct StandinClientState
{
    std::mutex lock;
    int32_t hConnection = 1;
    int32_t hUser = 1;
    uint32_t uRunningAppId = 0;
    uint64_t uIdentity = 0;
    std::set<std::string> refused;
    std::map<uint32_t, StandinApp> apps;
    std::deque<std::string> calls;

    // Back to the defaults, log included. The caller holds lock.
    void ResetLocked();
};

StandinClientState& Standin();

// Appends one call text, formatted like printf.
void RecordCall(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

// True when the interface name is refused. Takes the lock.
bool IsRefused(const char* pszVersion);

// Reads a key-value script into the state; true on success.
bool LoadStandinScript(const char* pszPath);

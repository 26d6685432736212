// Test support for everything that talks to the client library: the stand-in
// wexlaclient.dll beside the test program, the registry values a running
// client publishes, and environment variables set for one test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "standins/wexla2/standin_wexla2.h"
#include "standins/wexlaclient/standin_client.h"

namespace wintest
{
// Folder of the test program, without a trailing separator.
std::string ProgramFolder();
// ProgramFolder() + "\wexlaclient.dll", the stand-in client.
std::string StandinClientPath();

// The stand-in client, loaded by the test from StandinClientPath() (so
// wexla.dll, loading the same path, gets the same module and its answers),
// with its scripting exports. Loaded on first use and kept.
StandinClientApi& StandinClient();
// Gives back the test's own reference on the stand-in (to watch what
// wexla.dll holds); the next StandinClient() loads it again.
void UnloadStandinClient();
// The stand-in's call log, in order.
std::vector<std::string> StandinClientCalls();

// The stand-in Wexla2.dll of one variant folder ("wexla2", "wexla2_noinit",
// "wexla2_nodump", "wexla2_nocomment"): its folder and file path.
std::string Wexla2Folder(const char* pszVariant);
std::string Wexla2Path(const char* pszVariant);
// The scripting exports of a Wexla2.dll already loaded in the process (no
// reference is taken); false when it is not loaded.
bool ResolveLoadedWexla2(const std::string& path, StandinWexla2Api& api);
std::vector<std::string> Wexla2Calls(const StandinWexla2Api& api);

// The registry values of a running client, "WexlaClientDll" and "pid" under
// HKCU "Software\Ubrix\Wexla\ActiveProcess", written in the 32-bit view.
// Construction removes both values; destruction removes them again.
class PublishedClient
{
public:
    PublishedClient();
    ~PublishedClient();
    PublishedClient(const PublishedClient&) = delete;
    PublishedClient& operator=(const PublishedClient&) = delete;

    // The stand-in's path and this process's id: a live client.
    void PublishStandin();
    void SetClientDll(const std::string& path);
    void SetPid(uint32_t nPid);
    void RemoveValues();
};

// A process that has ended but is still held open: its id opens, and its exit
// code is no longer the still-active code.
class EndedProcess
{
public:
    EndedProcess();
    ~EndedProcess();
    EndedProcess(const EndedProcess&) = delete;
    EndedProcess& operator=(const EndedProcess&) = delete;
    uint32_t Pid() const { return m_info.dwProcessId; }

private:
    PROCESS_INFORMATION m_info = {};
};

// Sets an environment variable for the scope (null value: removed) and puts
// the earlier state back.
class ScopedEnvironmentVariable
{
public:
    ScopedEnvironmentVariable(const char* pszName, const char* pszValue);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string m_name;
    bool m_bHad;
    std::string m_old;
};
} // namespace wintest

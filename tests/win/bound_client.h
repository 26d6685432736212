// A wexla.dll started over the stand-in client library: the registry names
// the stand-in beside the test program and this process as the running
// client. The stand-in is loaded by its path too, so the test scripts the same
// module the library binds to.
#pragma once

#include "standins/wexlaclient/standin_client.h"

#include <windows.h>

#include <string>

namespace wintest
{
class BoundClient
{
public:
    // Publishes the stand-in in the registry, loads it and resets its answers.
    BoundClient();
    // Cleans the library up and removes the registry values.
    ~BoundClient();

    // Runs WexlaStartup; true when the library obtained all interfaces (the
    // stand-in saw the applications interface asked for). Mounting may still
    // have failed: the queries do not need it.
    bool Start();

    const StandinClientApi& Standin() const { return m_api; }

    // True when the stand-in's call log holds this call text.
    bool WasCalled(const std::string& call) const;

private:
    HMODULE m_hStandin = nullptr;
    StandinClientApi m_api;
};

// Calls WexlaCleanup: the interfaces are given back, as before any start-up.
void UnbindClient();

// The folder of the test program, with a trailing separator.
std::string TestProgramFolder();
} // namespace wintest

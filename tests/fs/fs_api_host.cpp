// The host's side of the shared file system tests: the entry points called
// directly; fresh scenarios in a forked child over reset state.
#include "tests/fs/fs_test_support.h"
#include "tests/host/test_support.h"

#include <cstdio>
#include <map>

namespace fstest
{
const FsApi& Fs()
{
    static const FsApi s_api = [] {
        FsApi api;
#define FS_API_DIRECT(name) api.name = &::name;
        FS_EXPORTS(FS_API_DIRECT)
#undef FS_API_DIRECT
        return api;
    }();
    return s_api;
}

TraceCapture::TraceCapture() : m_pImpl(new testsupport::DebugStreamCapture) {}
TraceCapture::~TraceCapture()
{
    delete static_cast<testsupport::DebugStreamCapture*>(m_pImpl);
}
std::vector<std::string> TraceCapture::Lines() const
{
    return static_cast<testsupport::DebugStreamCapture*>(m_pImpl)->Lines();
}

static std::map<std::string, void (*)()>& Scenarios()
{
    static std::map<std::string, void (*)()> s_scenarios;
    return s_scenarios;
}

void RegisterFreshScenario(const char* pszName, void (*pfn)())
{
    Scenarios()[pszName] = pfn;
}

void EndFreshScenario()
{
    // The forked child ends when the scenario returns, without running the
    // parent's static destructors.
    fflush(stdout);
}

std::string RunFresh(const char* pszName)
{
    auto it = Scenarios().find(pszName);
    if (it == Scenarios().end())
        return "(no scenario)";
    void (*pfn)() = it->second;
    testsupport::ChildResult result = testsupport::RunInChild([pfn] {
        ResetFileSystemForTesting();
        bVerboseTrace = false;
        pfn();
        fflush(stdout);
    });
    EXPECT_EQ(0, result.nExitCode) << result.out;
    return result.out;
}
} // namespace fstest

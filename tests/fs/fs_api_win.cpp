// The Windows side of the shared file system tests: the exports of the loaded
// wexla.dll; fresh scenarios in a child copy of the test program.
#include "tests/fs/fs_test_support.h"
#include "tests/win/win_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fstest
{
const FsApi& Fs()
{
    static const FsApi s_api = [] {
        FsApi api;
#define FS_API_EXPORT(name) api.name = wintest::Export<decltype(&::name)>(#name);
        FS_EXPORTS(FS_API_EXPORT)
#undef FS_API_EXPORT
        return api;
    }();
    return s_api;
}

TraceCapture::TraceCapture() : m_pImpl(new wintest::DebugStreamCapture) {}
TraceCapture::~TraceCapture()
{
    delete static_cast<wintest::DebugStreamCapture*>(m_pImpl);
}
std::vector<std::string> TraceCapture::Lines() const
{
    return static_cast<wintest::DebugStreamCapture*>(m_pImpl)->Lines();
}

void RegisterFreshScenario(const char* pszName, void (*pfn)())
{
    const wintest::ChildScenario scenario = {pszName, pfn};
    wintest::ChildScenarioRegistration registration(&scenario, 1);
}

void EndFreshScenario()
{
    // Static destructors remove the child's scratch folder.
    fflush(stdout);
    exit(0);
}

std::string RunFresh(const char* pszName)
{
    wintest::ChildResult result = wintest::RunChildScenario(pszName);
    EXPECT_EQ(0u, result.nExitCode) << result.out;
    return result.out;
}
} // namespace fstest

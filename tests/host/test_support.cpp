#include "tests/host/test_support.h"

#include "core/dbg.h"
#include "core/platform.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace testsupport
{
namespace
{
std::vector<std::string> g_debugLines;
std::vector<SpewCapture::Entry> g_spewEntries;

void DebugSink(const char* psz)
{
    g_debugLines.emplace_back(psz);
}

SpewRetval_t RecordingSpew(SpewType_t eType, const char* pszText)
{
    g_spewEntries.push_back({static_cast<int>(eType), pszText});
    return SPEW_CONTINUE;
}
} // namespace

DebugStreamCapture::DebugStreamCapture()
{
    g_debugLines.clear();
    Plat_SetDebugStreamSink(DebugSink);
}

DebugStreamCapture::~DebugStreamCapture()
{
    Plat_SetDebugStreamSink(nullptr);
}

const std::vector<std::string>& DebugStreamCapture::Lines() const
{
    return g_debugLines;
}

std::string DebugStreamCapture::Joined() const
{
    std::string s;
    for (const auto& line : g_debugLines)
        s += line;
    return s;
}

SpewCapture::SpewCapture()
{
    g_spewEntries.clear();
    SpewOutputFunc(RecordingSpew);
}

SpewCapture::~SpewCapture()
{
    SpewOutputFunc(nullptr);
}

const std::vector<SpewCapture::Entry>& SpewCapture::Entries() const
{
    return g_spewEntries;
}

std::vector<std::string> SpewCapture::AssertionMessages() const
{
    std::vector<std::string> out;
    for (const auto& e : g_spewEntries)
    {
        if (e.nKind != SPEW_ASSERT)
            continue;
        std::string text = e.text;
        const size_t nColon = text.find(") : ");
        if (nColon != std::string::npos)
            text = text.substr(nColon + 4);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        out.push_back(text);
    }
    return out;
}

void SpewCapture::Clear()
{
    g_spewEntries.clear();
}

ChildResult RunInChild(const std::function<void()>& fn)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, "pipe failed"};
    fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0)
    {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        fn();
        fflush(stdout);
        _exit(0);
    }
    close(fds[1]);
    ChildResult result{-1, ""};
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof(buf))) > 0)
        result.out.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.nExitCode = WEXITSTATUS(status);
    return result;
}
} // namespace testsupport

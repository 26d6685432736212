// Helpers for host tests: capture of the debugger stream and of reported
// assertions, and running code in a child process that may end itself.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testsupport
{
// Captures everything written to the debugger output stream while alive.
class DebugStreamCapture
{
public:
    DebugStreamCapture();
    ~DebugStreamCapture();
    const std::vector<std::string>& Lines() const;
    std::string Joined() const;
};

// Replaces the spew output function while alive: records every (kind, text)
// and answers "continue", so assertions and errors do not end the test.
class SpewCapture
{
public:
    SpewCapture();
    ~SpewCapture();
    struct Entry
    {
        int nKind;
        std::string text;
    };
    const std::vector<Entry>& Entries() const;
    // Texts of assertion outputs, without the location prefix and line feed.
    std::vector<std::string> AssertionMessages() const;
    void Clear();
};

// Runs fn in a forked child with standard output captured; the child ends
// with exit code 0 when fn returns.
struct ChildResult
{
    int nExitCode;   // -1 when ended by a signal
    std::string out; // standard output
};
ChildResult RunInChild(const std::function<void()>& fn);
} // namespace testsupport

// Shared fixtures of the content file system tests. The same test sources run
// on the host (the entry points called directly, under the sanitizers) and
// under Wine (the entry points of the loaded wexla.dll, as a game calls them).
#pragma once

#include "qarlib/qarpacker.h"
#include "wrapper/wexla2wrapper_find.h"
#include "wrapper/wexla2wrapper_stdio.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace fstest
{
#define FS_EXPORTS(X)              \
    X(WexlaOpenFile)               \
    X(WexlaOpenFileEx)             \
    X(WexlaOpenTmpFile)            \
    X(WexlaCloseFile)              \
    X(WexlaReadFile)               \
    X(WexlaWriteFile)              \
    X(WexlaSeekFile)               \
    X(WexlaTellFile)               \
    X(WexlaSizeFile)               \
    X(WexlaGetc)                   \
    X(WexlaPutc)                   \
    X(WexlaPrintFile)              \
    X(WexlaSetvBuf)                \
    X(WexlaFlushFile)              \
    X(WexlaMountAppFilesystem)     \
    X(WexlaMountFilesystem)        \
    X(WexlaUnmountAppFilesystem)   \
    X(WexlaFindFirst)              \
    X(WexlaFindNext)               \
    X(WexlaFindClose)              \
    X(WexlaStat)                   \
    X(WexlaIsFileImmediatelyAvailable) \
    X(WexlaGetLocalFileCopy)

// The entry points under test.
struct FsApi
{
#define FS_API_MEMBER(name) decltype(&::name) name = nullptr;
    FS_EXPORTS(FS_API_MEMBER)
#undef FS_API_MEMBER
};
const FsApi& Fs();

// Trace lines written to the debugger stream while alive.
class TraceCapture
{
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;
    std::vector<std::string> Lines() const;

private:
    void* m_pImpl;
};

// A piece of code run in a fresh process (a fresh file system): a child copy
// of the test program on Windows, a forked child over reset state on the
// host. Register with FS_FRESH_SCENARIO; RunFresh returns what it printed.
void RegisterFreshScenario(const char* pszName, void (*pfn)());
std::string RunFresh(const char* pszName);
// Flushes what the scenario printed and ends the child where that is needed.
void EndFreshScenario();
#define FS_FRESH_SCENARIO(name)                                                            \
    static void name##_body();                                                             \
    static void name()                                                                     \
    {                                                                                      \
        fstest::Scratch();                                                                 \
        name##_body();                                                                     \
        fstest::EndFreshScenario();                                                        \
    }                                                                                      \
    static const bool name##_registered = (fstest::RegisterFreshScenario(#name, name), true); \
    static void name##_body()

// The folder every file system test works in: the process's working
// directory while the tests run (so the mount list file is looked for there).
std::string Scratch();
// Path of a file inside the scratch folder, with the platform's separator.
std::string ScratchPath(const std::string& relative);
void MakeDirs(const std::string& path);
// A folder name for the running test ("fresh" outside a test).
std::string TestInfoName();
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
void RemoveAll(const std::string& path);

using FileList = std::vector<std::pair<std::string, std::string>>; // archive path, content
// Packs the files into ScratchPath(relativeBase); returns the absolute base path.
std::string Pack(const std::string& relativeBase, const FileList& files,
                 const QarPackOptions& options = QarPackOptions());
// n bytes that differ from file to file and position to position.
std::string Pattern(size_t n, uint32_t nSeed);

// Writes the mount list file "wexla_qars.rmk" in the working directory.
void WriteMountList(const std::string& text);
// A mount list text whose "mount" section names the base paths in order.
std::string MountListText(const std::vector<std::string>& bases, const char* pszSpew = nullptr);
// Unmounts everything, then mounts exactly these archives through a mount
// list and WexlaMountAppFilesystem (which also initialises the file system).
void MountOnly(const std::vector<std::string>& bases, bool bTrace = false);

// Reads a handle to its end through WexlaReadFile, in pieces of nPiece bytes.
std::string ReadToEnd(WexlaFileHandle_t hFile, size_t nPiece = 4096);

// Works in the scratch folder; starts and ends with nothing mounted and no
// mount list file.
class FsTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
};
} // namespace fstest

// The legacy minidump entry points through wexla.dll's exports: forwarding to
// the stand-in Wexla2.dll found in the client library's folder, before
// initialisation, after it and after cleanup.
#include "tests/win/client_fixture.h"
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

using namespace wintest;

namespace
{
typedef int(__cdecl* Init_t)(void);
typedef int(__cdecl* DumpWithBuildId_t)(uint32_t, void*, uint32_t);
typedef int(__cdecl* Dump_t)(uint32_t, void*);
typedef int(__cdecl* Comment_t)(const char*);
typedef void(__cdecl* NotImplemented_t)(void);
typedef int(__cdecl* Startup_t)(uint32_t, TWexlaError*);
typedef int(__cdecl* Cleanup_t)(TWexlaError*);

void Cleanup()
{
    TWexlaError record;
    Export<Cleanup_t>("WexlaCleanup")(&record);
}

// Forwarding results of the three calls that reach the library.
struct Forwarded
{
    int nDump;
    int nDumpWithBuildId;
    int nComment;
};

Forwarded CallForwarders(void* pInfo)
{
    return {Export<Dump_t>("WexlaWriteMiniDumpUsingExceptionInfo")(0xC0000005u, pInfo),
            Export<DumpWithBuildId_t>("WexlaWriteMiniDumpUsingExceptionInfoWithBuildId")(3, pInfo, 4242),
            Export<Comment_t>("WexlaWriteMiniDumpSetComment")("level 3 crashed")};
}

void ExpectForwarded(const Forwarded& expected, const Forwarded& actual)
{
    EXPECT_EQ(expected.nDump, actual.nDump);
    EXPECT_EQ(expected.nDumpWithBuildId, actual.nDumpWithBuildId);
    EXPECT_EQ(expected.nComment, actual.nComment);
}

const Forwarded kNothingForwarded = {0, 0, 0};

std::string Pointer(const void* p)
{
    return std::to_string(reinterpret_cast<uintptr_t>(p));
}

// The client library's folder becomes the variant's folder: start-up fails
// there (no client library) but locates it.
class MinidumpTest : public ::testing::Test
{
protected:
    void UseClientFolder(const char* pszVariant)
    {
        Cleanup();
        m_client.SetClientDll(Wexla2Folder(pszVariant) + "\\wexlaclient.dll");
        m_client.SetPid(GetCurrentProcessId());
        TWexlaError record;
        DebugStreamCapture quiet;
        ASSERT_EQ(0, Export<Startup_t>("WexlaStartup")(0, &record));
    }
    void TearDown() override
    {
        Cleanup();
    }

    PublishedClient m_client;
    int m_info = 0; // stands for the exception information
};
} // namespace

TEST_F(MinidumpTest, ForwardingCallsAnswerZeroBeforeInitialisation)
{
    Cleanup(); // the same state as a fresh process
    ExpectForwarded(kNothingForwarded, CallForwarders(&m_info));
}

TEST_F(MinidumpTest, InitialisedCallsReachTheLegacyLibraryUntilCleanup)
{
    UseClientFolder("wexla2");
    const std::string path = Wexla2Path("wexla2");
    ASSERT_EQ(nullptr, GetModuleHandleA(path.c_str()));
    StandinWexla2Api api;
    // Results are scripted once the library is in; its first init answers 1.
    ASSERT_EQ(1, Export<Init_t>("WexlaMiniDumpInit")());
    ASSERT_TRUE(ResolveLoadedWexla2(path, api));
    api.StandinWexla2_SetResults(7, 11, 13);

    ExpectForwarded({11, 11, 13}, CallForwarders(&m_info));
    EXPECT_EQ((std::vector<std::string>{
                  "WexlaWriteMiniDumpUsingExceptionInfoWithBuildId(3221225477," + Pointer(&m_info) + ",0)",
                  "WexlaWriteMiniDumpUsingExceptionInfoWithBuildId(3," + Pointer(&m_info) + ",4242)",
                  "WexlaWriteMiniDumpSetComment(level 3 crashed)",
              }),
              Wexla2Calls(api));

    Cleanup();
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str())); // its one reference given back
    ExpectForwarded(kNothingForwarded, CallForwarders(&m_info));
}

TEST_F(MinidumpTest, EachMissingExportDisablesOnlyItsOwnCall)
{
    struct Case
    {
        const char* pszVariant;
        int nInit;
        Forwarded expected; // with every scripted result 1
    };
    const Case cases[] = {
        {"wexla2_noinit", 0, {1, 1, 1}},
        {"wexla2_nodump", 1, {0, 0, 1}},
        {"wexla2_nocomment", 1, {1, 1, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszVariant);
        UseClientFolder(c.pszVariant);
        EXPECT_EQ(c.nInit, Export<Init_t>("WexlaMiniDumpInit")());
        ExpectForwarded(c.expected, CallForwarders(&m_info));
        Cleanup();
        EXPECT_EQ(nullptr, GetModuleHandleA(Wexla2Path(c.pszVariant).c_str()));
    }
}

TEST_F(MinidumpTest, AFolderWithoutTheLibraryLeavesEverythingOff)
{
    UseClientFolder("nowhere");
    EXPECT_EQ(0, Export<Init_t>("WexlaMiniDumpInit")());
    ExpectForwarded(kNothingForwarded, CallForwarders(&m_info));
}

TEST_F(MinidumpTest, ASecondInitialisationTakesAReferenceThatCleanupKeeps)
{
    UseClientFolder("wexla2");
    const std::string path = Wexla2Path("wexla2");
    auto pfnInit = Export<Init_t>("WexlaMiniDumpInit");
    EXPECT_EQ(1, pfnInit());
    StandinWexla2Api api;
    ASSERT_TRUE(ResolveLoadedWexla2(path, api));
    api.StandinWexla2_SetResults(5, 1, 1);
    EXPECT_EQ(5, pfnInit()); // the library's own initialisation runs again
    EXPECT_EQ((std::vector<std::string>{"WexlaMiniDumpInit()"}), Wexla2Calls(api));

    Cleanup();
    // One reference is given back; the entries are forgotten all the same.
    HMODULE hLeft = GetModuleHandleA(path.c_str());
    EXPECT_NE(nullptr, hLeft);
    EXPECT_EQ(0, CallForwarders(&m_info).nComment);
    FreeLibrary(hLeft);
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
}

TEST(MinidumpNotImplemented, BothLogOnEveryCallWithoutTracing)
{
    for (const char* pszName : {"WexlaWriteMiniDumpFromAssert", "WexlaWriteMiniDumpWithAppID"})
    {
        auto pfn = Export<NotImplemented_t>(pszName);
        ASSERT_NE(nullptr, pfn);
        DebugStreamCapture capture;
        pfn();
        pfn();
        const std::string line = std::string("Wrapper not implemented:") + pszName;
        EXPECT_EQ((std::vector<std::string>{line, line}), capture.Lines());
    }
}

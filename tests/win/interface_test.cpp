// The versioned interface objects and the two factories. The objects are
// called by msvc_abi_caller.cpp, compiled for the MSVC C++ ABI with a game's
// declarations of the four interfaces: a method found at the wrong position,
// or removing the wrong number of argument bytes, fails here as it would in a
// game.
#include "tests/win/msvc_abi_caller.h"
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace wintest;

namespace
{
typedef void*(__cdecl* Factory_t)(const char*);
typedef void*(__cdecl* CreateInterface_t)(const char*, int*);

void* Object(const char* pszVersion)
{
    static const auto pfn = Export<Factory_t>("_f");
    return pfn ? pfn(pszVersion) : nullptr;
}

const char* const kVersionNames[] = {"Wexla003", "Wexla004", "Wexla005", "Wexla006"};
} // namespace

TEST(InterfaceFactory, HandsOutOneObjectPerVersionForTheWholeProcess)
{
    ASSERT_NE(nullptr, Export<Factory_t>("_f"));
    std::vector<void*> objects;
    for (const char* pszName : kVersionNames)
    {
        DebugStreamCapture capture;
        void* pObject = Object(pszName);
        ASSERT_NE(nullptr, pObject) << pszName;
        EXPECT_EQ(pObject, Object(pszName)) << pszName << ": the same object on every call";
        EXPECT_TRUE(capture.Lines().empty()) << pszName;
        for (void* pEarlier : objects)
            EXPECT_NE(pEarlier, pObject) << pszName << ": each version has its own object";
        objects.push_back(pObject);
    }
}

TEST(InterfaceFactory, NullNameGivesNullSilently)
{
    DebugStreamCapture capture;
    EXPECT_EQ(nullptr, Object(nullptr));
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(InterfaceFactory, OtherNamesGiveNullAndNameThemselves)
{
    // Exact, case-sensitive, whole-text comparison.
    for (const char* pszName : {"wexla006", "WEXLA006", "Wexla002", "Wexla007", "Wexla0066", "Wexla06", "Wexla006 ",
                                "", "WexlaClient017"})
    {
        DebugStreamCapture capture;
        EXPECT_EQ(nullptr, Object(pszName)) << pszName;
        const std::vector<std::string> lines = capture.Lines();
        ASSERT_EQ(1u, lines.size()) << pszName;
        EXPECT_EQ(std::string("Wexla interface not implemented: ") + pszName, lines[0]);
    }
}

TEST(InterfaceFactory, ALongNameIsCutTo255Characters)
{
    const std::string name(400, 'x');
    DebugStreamCapture capture;
    EXPECT_EQ(nullptr, Object(name.c_str()));
    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(("Wexla interface not implemented: " + name).substr(0, 255), lines[0]);
}

TEST(CreateInterface, AlwaysFailsWithStatusOne)
{
    auto pfn = Export<CreateInterface_t>("CreateInterface");
    ASSERT_NE(nullptr, pfn);
    for (const char* pszName : {"Wexla006", "Wexla003", "WexlaClient017", "", static_cast<const char*>(nullptr)})
    {
        DebugStreamCapture capture;
        int nStatus = 77;
        EXPECT_EQ(nullptr, pfn(pszName, &nStatus)) << (pszName ? pszName : "(null)");
        EXPECT_EQ(1, nStatus);
        EXPECT_EQ(nullptr, pfn(pszName, nullptr)) << "a null status pointer is not written through";
        EXPECT_TRUE(capture.Lines().empty());
    }
}

#if defined(WEXLA_HAVE_MSVC_CALLER)

namespace
{
uintptr_t Word(const void* p)
{
    return reinterpret_cast<uintptr_t>(p);
}

// One call through the object of the version, as an MSVC-built game makes it.
// Every call must leave the stack pointer where it was (measured in 32-bit
// code, where each method removes its own arguments).
MsvcCallResult CallMethod(int nVersion, int nPosition, std::vector<uintptr_t> args)
{
    char szVersion[16];
    snprintf(szVersion, sizeof(szVersion), "Wexla%03d", nVersion);
    void* pObject = Object(szVersion);
    EXPECT_NE(nullptr, pObject) << szVersion;
    MsvcCallResult result = {};
    if (!pObject)
        return result;
    args.resize(8, 0);
    EXPECT_TRUE(MsvcCallMethod(pObject, nVersion, nPosition, args.data(), &result))
        << "the MSVC caller has no call written for position " << nPosition << " of " << szVersion;
    if (result.bStackMeasured)
    {
        EXPECT_EQ(0, result.nStackDrift) << "position " << nPosition << " of " << szVersion
                                         << " left the stack moved (callee-cleaned __thiscall)";
    }
    return result;
}

bool SameRecord(const TWexlaError& a, const TWexlaError& b)
{
    return memcmp(&a, &b, sizeof(TWexlaError)) == 0;
}

// A file on disk for the file family's calls, removed at the end.
class TempFile
{
public:
    explicit TempFile(const std::string& content)
    {
        char szDir[MAX_PATH];
        GetTempPathA(sizeof(szDir), szDir);
        char szPath[MAX_PATH];
        GetTempFileNameA(szDir, "wif", 0, szPath);
        m_path = szPath;
        FILE* pFile = fopen(szPath, "wb");
        fwrite(content.data(), 1, content.size(), pFile);
        fclose(pFile);
    }
    ~TempFile()
    {
        DeleteFileA(m_path.c_str());
    }
    const char* Path() const
    {
        return m_path.c_str();
    }

private:
    std::string m_path;
};

// A call that reaches an entry point of the unimplemented family: the record
// is filled with "Wrapper not implemented" and the debugger line names the
// entry point actually reached. Every other argument points at a decoy record
// that must stay as it was, so a record passed at the wrong place shows.
struct UnimplementedCall
{
    int nVersion;
    int nPosition;
    int nArgs;         // the method's arguments
    int nRecordArg;    // which of them is the record
    const char* pszReached;
};

const UnimplementedCall kUnimplementedCalls[] = {
    // The first forwarding position, forwarded unchanged.
    {3, 2, 3, 2, "WexlaChangePassword"},
    {6, 2, 3, 2, "WexlaChangePassword"},
    // 45: the old entry point up to 005, the newer one (record first) in 006.
    {3, 45, 1, 0, "WexlaStartEngine"},
    {4, 45, 1, 0, "WexlaStartEngine"},
    {5, 45, 1, 0, "WexlaStartEngine"},
    {6, 45, 1, 0, "WexlaStartEngineEx"},
    // 66: the record alone in 003 and 004 (a null first argument is added).
    {3, 66, 1, 0, "WexlaRefreshAccountInfoEx"},
    {4, 66, 1, 0, "WexlaRefreshAccountInfoEx"},
    {5, 66, 2, 1, "WexlaRefreshAccountInfoEx"},
    {6, 66, 2, 1, "WexlaRefreshAccountInfoEx"},
    // 92: four arguments up to 005 (a zero fourth is added), five in 006.
    {3, 92, 4, 3, "WexlaGetAppDependencies"},
    {4, 92, 4, 3, "WexlaGetAppDependencies"},
    {5, 92, 4, 3, "WexlaGetAppDependencies"},
    {6, 92, 5, 4, "WexlaGetAppDependencies"},
    // 130, 131, 142: one argument fewer than the entry point.
    {5, 130, 4, 3, "WexlaIsFileNeededByCache"},
    {6, 130, 4, 3, "WexlaIsFileNeededByCache"},
    {5, 131, 6, 5, "WexlaLoadFileToCache"},
    {6, 131, 6, 5, "WexlaLoadFileToCache"},
    {6, 142, 5, 4, "WexlaIsFileNeededByApp"},
    // The last position of each version.
    {3, 122, 1, 0, "WexlaCreateCachePreloaders"},
    {4, 128, 5, 4, "WexlaGetAppPurchaseCountry"},
    {5, 135, 4, 3, "WexlaGetAppUserDefinedRecord"},
    {6, 151, 2, 1, "WexlaSetUser2"},
};

class UnimplementedThroughObject : public ::testing::TestWithParam<UnimplementedCall>
{
};

std::string UnimplementedCallName(const ::testing::TestParamInfo<UnimplementedCall>& info)
{
    return "Wexla00" + std::to_string(info.param.nVersion) + "_" + std::to_string(info.param.nPosition);
}

// The log-only methods: one line naming the object's class, no entry point.
struct LogOnlyCall
{
    int nVersion;
    int nPosition;
    const char* pszMethod;
    int nArgs;
};

const LogOnlyCall kLogOnlyCalls[] = {
    {4, 123, "Win32SetMiniDumpComment", 1},    {4, 124, "Win32SetMiniDumpSourceControlId", 1},
    {4, 125, "Win32SetMiniDumpEnableFullMemory", 0}, {4, 126, "Win32WriteMiniDump", 5},
    {5, 123, "Win32SetMiniDumpComment", 1},    {5, 124, "Win32SetMiniDumpSourceControlId", 1},
    {5, 125, "Win32SetMiniDumpEnableFullMemory", 0}, {5, 126, "Win32WriteMiniDump", 5},
    {6, 123, "Win32SetMiniDumpComment", 1},    {6, 124, "Win32SetMiniDumpSourceControlId", 1},
    {6, 125, "Win32SetMiniDumpEnableFullMemory", 0}, {6, 126, "Win32WriteMiniDump", 5},
    {6, 136, "FindServersNumServers", 1},      {6, 137, "FindServersIterateServer", 4},
    {6, 138, "FindServersGetErrorString", 0},
};

class LogOnlyThroughObject : public ::testing::TestWithParam<LogOnlyCall>
{
};

std::string LogOnlyCallName(const ::testing::TestParamInfo<LogOnlyCall>& info)
{
    return "Wexla00" + std::to_string(info.param.nVersion) + "_" + info.param.pszMethod;
}
} // namespace

TEST_P(UnimplementedThroughObject, FillsTheRecordAtItsPositionAndNamesTheEntryPointReached)
{
    const UnimplementedCall& c = GetParam();
    std::vector<TWexlaError> records;
    for (int i = 0; i < c.nArgs; ++i)
        records.push_back(DirtyRecord(static_cast<char>('a' + i)));
    std::vector<uintptr_t> args;
    for (const TWexlaError& record : records)
        args.push_back(Word(&record));

    DebugStreamCapture capture;
    const MsvcCallResult result = CallMethod(c.nVersion, c.nPosition, args);
    const std::vector<std::string> lines = capture.Lines();

    EXPECT_EQ(0, result.nResult);
    for (int i = 0; i < c.nArgs; ++i)
    {
        const TWexlaError& record = records[static_cast<size_t>(i)];
        if (i == c.nRecordArg)
        {
            EXPECT_EQ(1, record.eKind) << "argument " << i + 1 << " is the record";
            EXPECT_STREQ("Wrapper not implemented", record.szText);
        }
        else
        {
            EXPECT_TRUE(SameRecord(DirtyRecord(static_cast<char>('a' + i)), record))
                << "argument " << i + 1 << " was written through";
        }
    }
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(std::string("Wrapper not implemented:") + c.pszReached, lines[0]);
}

INSTANTIATE_TEST_SUITE_P(Positions, UnimplementedThroughObject, ::testing::ValuesIn(kUnimplementedCalls),
                         UnimplementedCallName);

TEST_P(LogOnlyThroughObject, WritesItsLineWithTheClassNameAndReachesNothing)
{
    const LogOnlyCall& c = GetParam();
    TWexlaError record = DirtyRecord('L');
    std::vector<uintptr_t> args(static_cast<size_t>(c.nArgs), Word(&record));

    DebugStreamCapture capture;
    const MsvcCallResult result = CallMethod(c.nVersion, c.nPosition, args);
    const std::vector<std::string> lines = capture.Lines();

    char szExpected[160];
    snprintf(szExpected, sizeof(szExpected), "Wrapper not implemented:`anonymous-namespace'::CWexlaInterface00%d::%s",
             c.nVersion, c.pszMethod);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(szExpected, lines[0]);
    EXPECT_TRUE(SameRecord(DirtyRecord('L'), record)) << "nothing is written through the arguments";
    if (c.nPosition == 138)
        EXPECT_STREQ("Wrapper not implemented", reinterpret_cast<const char*>(result.nResult));
    else
        EXPECT_EQ(0, result.nResult);
}

INSTANTIATE_TEST_SUITE_P(Methods, LogOnlyThroughObject, ::testing::ValuesIn(kLogOnlyCalls), LogOnlyCallName);

TEST(InterfaceObjects, ServerCountIsAnsweredOnlyByTheEntryPoint)
{
    auto pfn = Export<int(__cdecl*)(uint32_t)>("WexlaFindServersNumServers");
    ASSERT_NE(nullptr, pfn);
    EXPECT_EQ(3, pfn(4));
    EXPECT_EQ(0, CallMethod(6, 136, {4}).nResult);
}

TEST(InterfaceObjects, Position150ReturnsOneAndDoesNothingElse)
{
    DebugStreamCapture capture;
    EXPECT_EQ(1, CallMethod(6, 150, {}).nResult);
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(InterfaceObjects, SharedFrameBodiesAnswerThroughEveryPosition)
{
    for (int nVersion = 3; nVersion <= 6; ++nVersion)
    {
        // 12, 24, 44: any call handle is answered as finished.
        for (int nPosition : {12, 24, 44})
        {
            TWexlaError record = DirtyRecord();
            EXPECT_EQ(1, CallMethod(nVersion, nPosition, {0xDEAD, Word(&record)}).nResult) << nPosition;
            ExpectCleared(record, "handle call");
        }
        // 55, 56: logging is not kept; 57, 58: nothing to return.
        EXPECT_EQ(0, CallMethod(nVersion, 55, {Word("context")}).nResult);
        EXPECT_EQ(0, CallMethod(nVersion, 56, {1, Word("text")}).nResult);
        CallMethod(nVersion, 57, {Word("resource")});
        CallMethod(nVersion, 58, {Word("resource")});

        TWexlaError record = DirtyRecord();
        EXPECT_EQ(static_cast<intptr_t>(Word(&record)), CallMethod(nVersion, 19, {Word(&record)}).nResult);
        ExpectCleared(record, "ClearError");
    }
}

TEST(InterfaceObjects, DeletingAnObjectLeavesItAlive)
{
    // A game must not delete the objects; if one does, nothing is freed and
    // the object keeps working.
    for (int nVersion = 3; nVersion <= 6; ++nVersion)
    {
        char szVersion[16];
        snprintf(szVersion, sizeof(szVersion), "Wexla%03d", nVersion);
        void* pBefore = Object(szVersion);
        CallMethod(nVersion, 1, {0}); // an explicit destructor call
        CallMethod(nVersion, 1, {1}); // delete
        EXPECT_EQ(pBefore, Object(szVersion));
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(1, CallMethod(nVersion, 24, {1, Word(&record)}).nResult) << szVersion;
        ExpectCleared(record, szVersion);
    }
}

TEST(InterfaceObjects, AnObjectObtainedBeforeStartupReachesStartup)
{
    // The object forwards to WexlaStartup exactly: same result, same record.
    auto pfn = Export<int(__cdecl*)(uint32_t, TWexlaError*)>("WexlaStartup");
    ASSERT_NE(nullptr, pfn);
    TWexlaError viaObject = DirtyRecord();
    const intptr_t nViaObject = CallMethod(6, 47, {0, Word(&viaObject)}).nResult;
    TWexlaError viaExport = DirtyRecord();
    const int nViaExport = pfn(0, &viaExport);
    EXPECT_EQ(nViaExport, nViaObject);
    EXPECT_TRUE(SameRecord(viaExport, viaObject));

    // Whatever was bound is given back for the tests that follow.
    auto pfnCleanup = Export<int(__cdecl*)(TWexlaError*)>("WexlaCleanup");
    ASSERT_NE(nullptr, pfnCleanup);
    pfnCleanup(&viaExport);
}

TEST(InterfaceObjects, FileCallsForward)
{
    const std::string content = "twelve bytes";
    TempFile file(content);
    const char* pszMissing = "no_such_dir_for_interface_tests/missing.txt";

    for (int nVersion = 3; nVersion <= 6; ++nVersion)
    {
        SCOPED_TRACE(nVersion);
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(0, CallMethod(nVersion, 16, {Word(pszMissing), Word("rb"), Word(&record)}).nResult);
        EXPECT_EQ(9, record.eKind);

        // 17: path, mode, size out, record; in 006 the size out is the fourth
        // argument and the record the sixth, the third and fifth are not read.
        uint32_t uSize = 0xFFFFFFFF;
        TWexlaError decoy = DirtyRecord('d');
        record = DirtyRecord();
        std::vector<uintptr_t> args = {Word(file.Path()), Word("rb"), Word(&uSize), Word(&record)};
        if (nVersion == 6)
            args = {Word(file.Path()), Word("rb"), Word(&decoy), Word(&uSize), Word(&decoy), Word(&record)};
        const intptr_t hFile = CallMethod(nVersion, 17, args).nResult;
        EXPECT_NE(0, hFile);
        EXPECT_EQ(content.size(), uSize);
        ExpectCleared(record, "OpenFileEx");
        EXPECT_TRUE(SameRecord(DirtyRecord('d'), decoy));
        EXPECT_EQ(static_cast<intptr_t>(content.size()),
                  CallMethod(nVersion, 34, {static_cast<uintptr_t>(hFile), Word(&record)}).nResult);
        EXPECT_EQ(0, CallMethod(nVersion, 27, {static_cast<uintptr_t>(hFile), Word(&record)}).nResult);

        args = {Word(pszMissing), Word("rb"), Word(&uSize), Word(&record)};
        if (nVersion == 6)
            args = {Word(pszMissing), Word("rb"), Word(&decoy), Word(&uSize), Word(&decoy), Word(&record)};
        EXPECT_EQ(0, CallMethod(nVersion, 17, args).nResult);
        EXPECT_EQ(9, record.eKind);
        EXPECT_TRUE(SameRecord(DirtyRecord('d'), decoy));
    }
}

TEST(InterfaceObjects, StartupFamilyCallsForward)
{
    for (int nVersion = 3; nVersion <= 6; ++nVersion)
    {
        char szVersion[16];
        memset(szVersion, 'x', sizeof(szVersion));
        EXPECT_EQ(1, CallMethod(nVersion, 20, {Word(szVersion), sizeof(szVersion)}).nResult);
        EXPECT_STREQ("1.0.0.0", szVersion);
        EXPECT_EQ(0, CallMethod(nVersion, 20, {Word(szVersion), 0}).nResult);
    }
}

TEST(InterfaceObjects, ApplicationCallsForward)
{
    for (int nVersion = 3; nVersion <= 6; ++nVersion)
    {
        uint32_t ids[21];
        memset(ids, 0xAB, sizeof(ids));
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(0, CallMethod(nVersion, 64, {Word(ids), 20, Word(&record)}).nResult);
        EXPECT_EQ(1, record.eKind);
        EXPECT_STREQ("AppID buffer too small", record.szText);
        EXPECT_EQ(0xABABABABu, ids[0]);

        EXPECT_EQ(1, CallMethod(nVersion, 64, {Word(ids), 21, Word(&record)}).nResult);
        EXPECT_EQ(8600u, ids[0]);
        EXPECT_EQ(44711u, ids[20]);
    }
}

TEST(InterfaceObjects, TicketCallsForward)
{
    for (int nVersion = 3; nVersion <= 6; ++nVersion)
    {
        unsigned char ticket[40];
        memset(ticket, 0xEE, sizeof(ticket));
        uint32_t uSize = 0;
        TWexlaError record = DirtyRecord();
        const char key[] = "key";
        EXPECT_EQ(0, CallMethod(nVersion, 98, {Word(key), 3, Word(ticket), sizeof(ticket), Word(&uSize), Word(&record)})
                         .nResult);
        EXPECT_EQ(32u, uSize);
        uint32_t uMarker;
        memcpy(&uMarker, ticket, 4);
        EXPECT_EQ(0x4B1D93E6u, uMarker);
        EXPECT_EQ(0xEE, ticket[32]) << "32 bytes only";
        ExpectCleared(record, "GetEncryptedUserIDTicket");
    }
}

#else

TEST(InterfaceObjects, NeedTheMsvcAbiCaller)
{
    GTEST_SKIP() << "clang++ was not found when this tree was configured: the interface objects were not called "
                    "through MSVC-ABI declarations";
}

#endif

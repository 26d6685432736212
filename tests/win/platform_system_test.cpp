// The registry readers, the process check and the reference-counted module
// loader, called directly over the win32 platform layer.
#include "tests/win/client_fixture.h"

#include "core/platform_system.h"
#include "util/sharedmodule.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace wintest;

namespace
{
const char kTestKey[] = "Software\\Ubrix\\WexlaTests";
const wchar_t kTestKeyW[] = L"Software\\Ubrix\\WexlaTests";

// A key of this test's own under HKCU, in one registry view, removed after.
class TestKey
{
public:
    explicit TestKey(REGSAM nView = KEY_WOW64_32KEY, HKEY hRoot = HKEY_CURRENT_USER) : m_hRoot(hRoot), m_nView(nView)
    {
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(hRoot, kTestKeyW, 0, nullptr, 0, KEY_ALL_ACCESS | nView, nullptr,
                                                 &m_hKey, nullptr));
    }
    ~TestKey()
    {
        RegCloseKey(m_hKey);
        RegDeleteKeyExW(m_hRoot, kTestKeyW, m_nView, 0);
    }
    void SetString(const wchar_t* pwszName, const std::wstring& value)
    {
        RegSetValueExW(m_hKey, pwszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    void SetBytes(const wchar_t* pwszName, DWORD nType, const void* pData, DWORD nBytes)
    {
        RegSetValueExW(m_hKey, pwszName, 0, nType, static_cast<const BYTE*>(pData), nBytes);
    }

private:
    HKEY m_hRoot;
    REGSAM m_nView;
    HKEY m_hKey = nullptr;
};
} // namespace

TEST(Registry, RootNamesInAnyLetterCase)
{
    struct Case
    {
        const char* pszName;
        HKEY hRoot;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKLM", HKEY_LOCAL_MACHINE}, {"hklm", HKEY_LOCAL_MACHINE},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},   {"hkey_current_user", HKEY_CURRENT_USER},
        {"HKCU", HKEY_CURRENT_USER},                {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HkCr", HKEY_CLASSES_ROOT},                {"HKU", nullptr},
        {"HKEY_USERS", nullptr},                    {"", nullptr},
        {nullptr, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.hRoot, ParseRegistryRoot(c.pszName)) << (c.pszName ? c.pszName : "(null)");
}

TEST(Registry, StringsArriveAsUtf8AndMustFit)
{
    TestKey key;
    key.SetString(L"path", L"C:\\Spiele\\\u00dcber\\wexlaclient.dll");
    key.SetString(L"empty", L"");
    const DWORD nNumber = 42;
    key.SetBytes(L"number", REG_DWORD, &nNumber, sizeof(nNumber));

    char szOut[64];
    memset(szOut, '#', sizeof(szOut));
    ASSERT_TRUE(ReadRegistryString("HKCU", kTestKey, "path", szOut, sizeof(szOut)));
    EXPECT_STREQ("C:\\Spiele\\\xc3\x9c" "ber\\wexlaclient.dll", szOut);
    EXPECT_TRUE(ReadRegistryString("hkey_current_user", kTestKey, "empty", szOut, sizeof(szOut)));
    EXPECT_STREQ("", szOut);

    // "C:\Spiele\Über\wexlaclient.dll" is 31 bytes in UTF-8: 32 fit, 31 not.
    EXPECT_TRUE(ReadRegistryString("HKCU", kTestKey, "path", szOut, 32));
    EXPECT_FALSE(ReadRegistryString("HKCU", kTestKey, "path", szOut, 31));
    EXPECT_FALSE(ReadRegistryString("HKCU", kTestKey, "path", szOut, 8));
    EXPECT_FALSE(ReadRegistryString("HKCU", kTestKey, "missing", szOut, sizeof(szOut)));
    EXPECT_FALSE(ReadRegistryString("HKCU", "Software\\Ubrix\\NoSuchKey", "path", szOut, sizeof(szOut)));
    EXPECT_FALSE(ReadRegistryString("HKU", kTestKey, "path", szOut, sizeof(szOut)));
    EXPECT_FALSE(ReadRegistryString("HKCU", kTestKey, "path", nullptr, 64));
    EXPECT_FALSE(ReadRegistryString("HKCU", kTestKey, "path", szOut, 0));
}

TEST(Registry, NumbersFallBackToTheDefault)
{
    TestKey key;
    const DWORD nNumber = 4321;
    key.SetBytes(L"pid", REG_DWORD, &nNumber, sizeof(nNumber));
    key.SetString(L"text", L"not a number");
    EXPECT_EQ(4321u, ReadRegistryDword("HKCU", kTestKey, "pid", 7));
    EXPECT_EQ(7u, ReadRegistryDword("HKCU", kTestKey, "missing", 7));
    EXPECT_EQ(7u, ReadRegistryDword("HKCU", kTestKey, "text", 7)); // longer than 4 bytes
    EXPECT_EQ(7u, ReadRegistryDword("nonsense", kTestKey, "pid", 7));
}

#if defined(_WIN64)
// A 64-bit process sees the 32-bit view only when it asks for it: what a
// 64-bit program wrote to its own view of the local machine's software key
// is not read.
TEST(Registry, ReadsTheThirtyTwoBitView)
{
    TestKey own(KEY_WOW64_64KEY, HKEY_LOCAL_MACHINE);
    own.SetString(L"view", L"64");
    char szOut[16] = {};
    EXPECT_FALSE(ReadRegistryString("HKLM", kTestKey, "view", szOut, sizeof(szOut)));
    {
        TestKey wow(KEY_WOW64_32KEY, HKEY_LOCAL_MACHINE);
        wow.SetString(L"view", L"32");
        EXPECT_TRUE(ReadRegistryString("HKLM", kTestKey, "view", szOut, sizeof(szOut)));
        EXPECT_STREQ("32", szOut);
    }
}
#endif

TEST(Processes, OnlyALiveProcessCounts)
{
    EXPECT_TRUE(Plat_IsProcessAlive(GetCurrentProcessId()));
    EXPECT_FALSE(Plat_IsProcessAlive(0));
    EndedProcess ended;
    EXPECT_FALSE(Plat_IsProcessAlive(ended.Pid())); // ended, still open here
}

namespace
{
std::string ModulePath(void* hModule)
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(static_cast<HMODULE>(hModule), szPath, MAX_PATH);
    return szPath;
}

// Runs in the variant folder "wexla2" for relative names.
class SharedModuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, m_szOldDir);
        SetCurrentDirectoryA(Wexla2Folder("wexla2").c_str());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(m_szOldDir);
    }
    char m_szOldDir[MAX_PATH] = {};
};
} // namespace

TEST_F(SharedModuleTest, NamesResolveByTheirPathRules)
{
    const std::string wexla2 = Wexla2Path("wexla2");
    std::string forward = wexla2;
    for (char& c : forward)
        if (c == '\\')
            c = '/';
    struct Case
    {
        const char* pszWhat;
        std::string name;
        std::string loaded; // the file that must be loaded
    };
    const Case cases[] = {
        {"relative to the current directory", "Wexla2.dll", wexla2},
        {"extension appended", "Wexla2", wexla2},
        {"absolute with forward slashes", forward, wexla2},
        {"absolute without extension", forward.substr(0, forward.size() - 4), wexla2},
        {"bare name through the search order", "no\\such\\folder\\kernel32", "kernel32.dll"},
        {"bare name keeps its extension", "nowhere/KERNEL32.DLL", "kernel32.dll"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        void* hModule = LoadSharedModule(c.name.c_str());
        ASSERT_NE(nullptr, hModule);
        const std::string path = ModulePath(hModule);
        EXPECT_EQ(0, _stricmp(c.loaded.c_str(), path.substr(path.size() - c.loaded.size()).c_str())) << path;
        EXPECT_EQ(1, SharedModuleReferences(hModule));
        ReleaseSharedModule(hModule);
        EXPECT_EQ(0, SharedModuleReferences(hModule));
    }
    EXPECT_EQ(nullptr, GetModuleHandleA(wexla2.c_str()));
    EXPECT_EQ(nullptr, LoadSharedModule("nowhere\\none_such_module"));
    EXPECT_EQ(nullptr, LoadSharedModule(nullptr));
}

TEST_F(SharedModuleTest, EachLoadTakesAReferenceAndEachReleaseGivesOneBack)
{
    const std::string path = Wexla2Path("wexla2");
    void* hFirst = LoadSharedModule(path.c_str());
    void* hSecond = LoadSharedModule("Wexla2");
    ASSERT_NE(nullptr, hFirst);
    EXPECT_EQ(hFirst, hSecond);
    EXPECT_EQ(2, SharedModuleReferences(hFirst));
    ReleaseSharedModule(hFirst);
    EXPECT_EQ(1, SharedModuleReferences(hFirst));
    EXPECT_NE(nullptr, GetModuleHandleA(path.c_str()));
    ReleaseSharedModule(hFirst);
    EXPECT_EQ(0, SharedModuleReferences(hFirst));
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));

    // A handle the loader never gave out is still freed once.
    HMODULE hOwn = LoadLibraryA(path.c_str());
    LoadLibraryA(path.c_str());
    ReleaseSharedModule(hOwn);
    EXPECT_NE(nullptr, GetModuleHandleA(path.c_str()));
    FreeLibrary(hOwn);
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
    ReleaseSharedModule(nullptr);
}

// Launching through the platform client: the stand-in wexla.exe records the
// command line the shell handed it.
#include "standins/wexlaexe/standin_wexlaexe.h"
#include "tests/win/client_fixture.h"
#include "tests/win/win_test_support.h"
#include "wrapper/apps_exports.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace wintest;

namespace
{
const wchar_t kClientKey[] = L"Software\\Ubrix\\Wexla";

// Sets (or, with null, removes) the client's install path in the 32-bit view
// of the local-machine registry.
void SetInstallPath(const char* pszPath)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClientKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (pszPath)
    {
        const std::wstring path(pszPath, pszPath + strlen(pszPath));
        RegSetValueExW(hKey, L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    }
    else
    {
        RegDeleteValueW(hKey, L"InstallPath");
    }
    RegCloseKey(hKey);
}

class Launch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        m_log = std::string(szTemp) + "wexla_launch_test.txt";
        DeleteFileA(m_log.c_str());
        SetEnvironmentVariableA(STANDIN_WEXLAEXE_LOG_VARIABLE, m_log.c_str()); // put back by m_logVariable
        SetInstallPath(ProgramFolder().c_str()); // the stand-in wexla.exe is there
    }
    void TearDown() override
    {
        SetInstallPath(nullptr);
        DeleteFileA(m_log.c_str());
    }

    // The command line the stand-in recorded. The launch is not waited for
    // by the library, so this waits (up to a generous bound) for the file.
    std::string RecordedCommandLine() const
    {
        for (int i = 0; i < 600; ++i)
        {
            if (FILE* pFile = fopen(m_log.c_str(), "rb"))
            {
                std::string text;
                char buf[512];
                size_t n;
                while ((n = fread(buf, 1, sizeof(buf), pFile)) > 0)
                    text.append(buf, n);
                fclose(pFile);
                DeleteFileA(m_log.c_str());
                return text;
            }
            Sleep(50);
        }
        return "(no launch recorded)";
    }

    std::string m_log;
    ScopedEnvironmentVariable m_logVariable{STANDIN_WEXLAEXE_LOG_VARIABLE, nullptr};
    decltype(&WexlaLaunchApp) m_pfnLaunch = Export<decltype(&WexlaLaunchApp)>("WexlaLaunchApp");
};
} // namespace

TEST_F(Launch, HandsTheAppAndItsArgumentsToTheClientExecutable)
{
    ASSERT_NE(nullptr, m_pfnLaunch);
    struct Case
    {
        uint32_t uAppId;
        const char* pszArgs;
        const char* pszParameters;
    };
    const Case kCases[] = {
        {8600, nullptr, "-applaunch 8600"},
        {8600, "", "-applaunch 8600"},
        {8600, "-windowed +map harbour", "-applaunch 8600 -windowed +map harbour"},
        {44711, "-novid", "-applaunch 44711 -novid"},
    };
    for (const Case& c : kCases)
    {
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(1, m_pfnLaunch(c.uAppId, 7, c.pszArgs, &record)) << c.pszParameters;
        EXPECT_EQ(eWexlaErrorNone, record.eKind);
        const std::string commandLine = RecordedCommandLine();
        EXPECT_EQ(c.pszParameters, StandinLaunchParameters(commandLine)) << commandLine;
        EXPECT_NE(std::string::npos, commandLine.find("wexla.exe")) << commandLine;
    }
}

TEST_F(Launch, FailsWithAClearRecordWhenTheExecutableCannotBeStarted)
{
    struct Case
    {
        const char* pszWhat;
        std::string installPath;
    };
    const Case kCases[] = {
        {"a folder without the client", ProgramFolder() + "\\no-such-folder"},
        {"a path that does not fit", std::string(255, 'd')},
    };
    for (const Case& c : kCases)
    {
        SetInstallPath(c.installPath.c_str());
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(0, m_pfnLaunch(8600, 0, nullptr, &record)) << c.pszWhat;
        EXPECT_EQ(eWexlaErrorNone, record.eKind) << c.pszWhat;
        EXPECT_EQ('\0', record.szText[0]) << c.pszWhat;
    }
    SetInstallPath(nullptr);
    EXPECT_EQ(0, m_pfnLaunch(8600, 0, "-x", nullptr)) << "no install path: \\wexla.exe, which is not there";
}

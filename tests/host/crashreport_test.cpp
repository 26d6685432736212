// The crash-report binding's rules: where the library is looked for, and the
// texts that describe a report.
#include "core/crashreport.h"

#include <gtest/gtest.h>

#include <string>

TEST(CrashReportLibraryPath, BesideTheModuleOrAboveAFolderNamedBin)
{
    struct Case
    {
        const char* pszModule;
        const char* pszExpected; // nullptr: no library
    };
    const Case cases[] = {
        {"C:\\Game\\bin\\game.exe", "C:\\Game\\faultrelay.dll"},
        {"C:\\Game\\BIN\\game.exe", "C:\\Game\\faultrelay.dll"},
        {"C:\\Game\\bIn\\game.exe", "C:\\Game\\faultrelay.dll"},
        {"C:\\Game\\game.exe", "C:\\Game\\faultrelay.dll"},
        {"C:\\Play\\game.exe", "C:\\Play\\faultrelay.dll"},
        {"C:\\cabin\\game.exe", "C:\\cabin\\faultrelay.dll"}, // only a folder named exactly bin
        {"C:\\bins\\game.exe", "C:\\bins\\faultrelay.dll"},
        {"C:\\bin\\x\\game.exe", "C:\\bin\\x\\faultrelay.dll"}, // only the module's own folder
        {"C:\\bin\\game.exe", "C:\\faultrelay.dll"},
        {"bin\\game.exe", "faultrelay.dll"}, // a relative bin: the current folder
        {"game.exe", "faultrelay.dll"},
        {"\\game.exe", "faultrelay.dll"}, // a separator at position 0 does not count
        {"C:/Game/bin/game.exe", "C:\\Game\\faultrelay.dll"},
        {"", nullptr},
    };
    for (const Case& c : cases)
    {
        char sz[260] = "untouched";
        const bool bFound = CrashReport_LibraryPath(c.pszModule, sz, sizeof(sz));
        EXPECT_EQ(c.pszExpected != nullptr, bFound) << c.pszModule;
        if (c.pszExpected && bFound)
        {
            EXPECT_STREQ(c.pszExpected, sz) << c.pszModule;
        }
    }
    EXPECT_FALSE(CrashReport_LibraryPath(nullptr, nullptr, 260));
}

TEST(CrashReportLibraryPath, APathThatDoesNotFitGivesNoLibraryInsteadOfACutName)
{
    // 259 characters fit a 260-byte buffer; a cut path could name another
    // library ("...\faultrel" would load faultrel.dll).
    const std::string folder = "C:\\" + std::string(259 - 3 - 1 - 14, 'd') + "\\";
    char sz[260];
    ASSERT_TRUE(CrashReport_LibraryPath((folder + "game.exe").c_str(), sz, sizeof(sz)));
    EXPECT_EQ(259u, std::string(sz).size());
    const std::string longer = "C:\\" + std::string(259 - 3 - 1 - 14 + 1, 'd') + "\\game.exe";
    EXPECT_FALSE(CrashReport_LibraryPath(longer.c_str(), sz, sizeof(sz)));
}

TEST(CrashReportBuildStamp, FromTheCompilersDateAndTimeTexts)
{
    struct Case
    {
        const char* pszDate;
        const char* pszTime;
        const char* pszExpected;
    };
    const Case cases[] = {
        {"Mar  5 2021", "09:07:03", "20210305090703"},
        {"Dec 31 1999", "23:59:59", "19991231235959"},
        {"jAN 10 2024", "00:00:00", "20240110000000"}, // month without letter case
        {"Xyz  5 2021", "09:07:03", "20211305090703"}, // no month matches: 13
        {"Ma", "9", "00001300090000"},                 // short texts read what is there
    };
    for (const Case& c : cases)
    {
        char szStamp[CRASHREPORT_BUILD_STAMP_SIZE];
        CrashReport_MakeBuildStamp(c.pszDate, c.pszTime, szStamp);
        EXPECT_STREQ(c.pszExpected, szStamp) << c.pszDate << " " << c.pszTime;
    }
    char szThisBuild[CRASHREPORT_BUILD_STAMP_SIZE];
    CrashReport_MakeBuildStamp(__DATE__, __TIME__, szThisBuild);
    EXPECT_EQ(14u, std::string(szThisBuild).size());
    EXPECT_EQ(std::string::npos, std::string(szThisBuild).find_first_not_of("0123456789"));
}

TEST(CrashReportTexts, ProductNameAndVersionFromTheRecordOrTheExecutable)
{
    const FaultRelayReportInfo_t numbered = {440, 12345, {1, 2}};
    const FaultRelayReportInfo_t unnumbered = {0, 0, {1, 2}};
    const std::string longName(300, 'A');
    struct Case
    {
        const FaultRelayReportInfo_t* pInfo;
        const char* pszExe;
        const char* pszProduct;
        const char* pszVersion;
    };
    const std::string longExe = "C:\\x\\" + longName + ".exe";
    const Case cases[] = {
        {&numbered, "C:\\Games\\Game.Launcher.exe", "440", "12345"},
        {&unnumbered, "C:\\Games\\Game.Launcher.exe", "game", "1.0"},
        {nullptr, "C:\\Games\\HL2.EXE", "hl2", "1.0"},
        {nullptr, "D:/mods/Run", "run", "1.0"},
        {nullptr, "C:\\x\\.exe", "Wexla", "1.0"}, // no name before the dot
        {nullptr, nullptr, "Wexla", "1.0"},       // no executable path
    };
    for (const Case& c : cases)
    {
        char szProduct[128], szVersion[128];
        CrashReport_MakeProductName(c.pInfo, c.pszExe, szProduct, sizeof(szProduct));
        CrashReport_MakeVersionText(c.pInfo, szVersion, sizeof(szVersion));
        EXPECT_STREQ(c.pszProduct, szProduct) << (c.pszExe ? c.pszExe : "(none)");
        EXPECT_STREQ(c.pszVersion, szVersion) << (c.pszExe ? c.pszExe : "(none)");
    }
    char szProduct[128];
    CrashReport_MakeProductName(nullptr, longExe.c_str(), szProduct, sizeof(szProduct));
    EXPECT_EQ(std::string(127, 'a'), szProduct);
}

TEST(CrashReportBinding, TheHostHasNoLibraryAndDumpsDoNothing)
{
    EXPECT_FALSE(CrashReport_Bind());
    EXPECT_FALSE(CrashReport_Bind()); // never retried, same answer
    CrashReport_WriteAssertReport("x", "f.cpp", 1, 0);
    CrashReport_WriteExceptionReport(0xC0000005u, nullptr);
}

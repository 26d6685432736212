// The Windows platform layer's file status, folder creation and file writing,
// and the long-path forms they hand to the system.
#include "core/platform.h"
#include "tests/win/win_test_support.h"
#include "util/filewriter.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

namespace
{
std::string Narrow(const std::wstring& wide)
{
    std::string s;
    for (wchar_t c : wide)
        s.push_back(static_cast<char>(c));
    return s;
}

// A fresh folder under the temporary folder, removed at the end.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        m_path = std::filesystem::temp_directory_path() /
                 ("wexla_platform_files_test_" + std::to_string(GetCurrentProcessId()));
        wintest::RemoveTree(m_path.string());
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() { wintest::RemoveTree(m_path.string()); }
    // Absolute, backslash-separated.
    std::string Path(const std::string& relative = "") const
    {
        std::string s = m_path.string();
        if (!relative.empty())
            s += "\\" + relative;
        return s;
    }

private:
    std::filesystem::path m_path;
};
} // namespace

TEST(PlatformFiles, LongPathPrefixOnlyWhereTheSystemAcceptsIt)
{
    const struct
    {
        const char* pszPath;
        const char* pszExpected;
    } cases[] = {
        {"C:\\game\\save\\a.sav", "\\\\?\\C:\\game\\save\\a.sav"},
        {"c:/game//save\\\\a.sav", "\\\\?\\c:\\game\\save\\a.sav"},   // one backslash per run
        {"\\\\server\\share\\a.sav", "\\\\?\\UNC\\server\\share\\a.sav"},
        {"//server/share/a.sav", "\\\\?\\UNC\\server\\share\\a.sav"},
        {"\\\\?\\C:\\already", "\\\\?\\C:\\already"},
        {"\\\\.\\COM1", "\\\\.\\COM1"},
        {"relative\\a.sav", "relative\\a.sav"},
        {"\\rooted\\a.sav", "\\rooted\\a.sav"},  // no drive: a prefix would make it invalid
        {"C:drive-relative", "C:drive-relative"},
        {"C:", "C:"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.pszExpected, Narrow(Plat_WidePathForFileCalls(c.pszPath))) << c.pszPath;
}

TEST(PlatformFiles, StatusTellsFilesDirectoriesAndDevicesApart)
{
    ScratchFolder scratch;
    const std::string file = scratch.Path("f.txt");
    CFileWriter writer;
    ASSERT_TRUE(writer.Open(file.c_str()));
    ASSERT_TRUE(writer.Write("12345", 5));
    ASSERT_TRUE(writer.Close());

    const struct
    {
        std::string path;
        bool bFound;
        EPlatPathType eType;
        uint64_t nSize;
    } cases[] = {
        {file, true, PLAT_PATH_FILE, 5},
        {scratch.Path(), true, PLAT_PATH_DIRECTORY, 0},
        {scratch.Path() + "\\", true, PLAT_PATH_DIRECTORY, 0},
        {"nul", true, PLAT_PATH_OTHER, 0},
        {"NUL", true, PLAT_PATH_OTHER, 0},
        {scratch.Path("missing.txt"), false, PLAT_PATH_OTHER, 0},
        {"", false, PLAT_PATH_OTHER, 0},
    };
    for (const auto& c : cases)
    {
        PlatFileStatus status = {};
        ASSERT_EQ(c.bFound, Plat_GetFileStatus(c.path.c_str(), &status)) << c.path;
        if (!c.bFound)
            continue;
        EXPECT_EQ(c.eType, status.eType) << c.path;
        EXPECT_EQ(c.nSize, status.nSize) << c.path;
        if (c.eType == PLAT_PATH_FILE)
        {
            EXPECT_GT(status.nWriteTime, 1500000000) << c.path; // written just now
        }
    }
}

TEST(PlatformFiles, WriterCreatesFoldersPastTheShortPathLimit)
{
    ScratchFolder scratch;
    std::string path = scratch.Path();
    for (int i = 0; i < 12; ++i)
        path += "\\folder_with_a_rather_long_name_" + std::to_string(i);
    const std::string file = path + "\\end.bin";
    ASSERT_GT(file.size(), 300u);

    CFileWriter writer;
    ASSERT_TRUE(writer.Open(file.c_str()));
    ASSERT_TRUE(writer.Write("long", 4));
    ASSERT_TRUE(writer.Close());
    EXPECT_TRUE(Plat_PathExists(file.c_str()));
    EXPECT_TRUE(Plat_PathExists(path.c_str()));

    // Rewriting truncates.
    ASSERT_TRUE(writer.Open(file.c_str()));
    ASSERT_TRUE(writer.Write("x", 1));
    ASSERT_TRUE(writer.Close());
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(Plat_WidePathForFileCalls(file.c_str()).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(1u, data.nFileSizeLow);

    // The long-path form reaches the whole tree for its removal, too.
    wintest::RemoveTree(scratch.Path("folder_with_a_rather_long_name_0"));
    EXPECT_FALSE(Plat_PathExists(scratch.Path("folder_with_a_rather_long_name_0").c_str()));
}

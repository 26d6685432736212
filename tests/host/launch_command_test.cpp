// The parameter text and executable path of a launch.
#include "wrapper/launch_command.h"

#include <gtest/gtest.h>

#include <string>

TEST(LaunchCommand, ParametersNameTheAppAndAddNonEmptyArguments)
{
    struct Case
    {
        const char* pszArgs;
        const char* pszExpected;
    };
    const Case kCases[] = {
        {nullptr, "-applaunch 8600"},
        {"", "-applaunch 8600"},
        {"-novid +map de_dust", "-applaunch 8600 -novid +map de_dust"},
        {" ", "-applaunch 8600  "},
    };
    for (const Case& c : kCases)
    {
        char szOut[WEXLA_LAUNCH_PARAMETERS_SIZE];
        FormatLaunchParameters(szOut, 8600, c.pszArgs);
        EXPECT_STREQ(c.pszExpected, szOut) << (c.pszArgs ? c.pszArgs : "(null)");
    }
}

TEST(LaunchCommand, LongArgumentsAreCutTo1023Characters)
{
    const std::string args(2000, 'a');
    char szOut[WEXLA_LAUNCH_PARAMETERS_SIZE];
    FormatLaunchParameters(szOut, 4294967295u, args.c_str());
    const std::string expected = ("-applaunch 4294967295 " + args).substr(0, 1023);
    EXPECT_EQ(expected, szOut);
}

TEST(LaunchCommand, ExecutablePathIsTheInstallFolderAndTheClientName)
{
    char szOut[WEXLA_LAUNCH_PATH_SIZE];
    ASSERT_TRUE(FormatClientExecutablePath(szOut, "C:\\Program Files\\Wexla"));
    EXPECT_STREQ("C:\\Program Files\\Wexla\\wexla.exe", szOut);
    ASSERT_TRUE(FormatClientExecutablePath(szOut, ""));
    EXPECT_STREQ("\\wexla.exe", szOut) << "no install path: the name alone, from the drive's root";
}

TEST(LaunchCommand, ExecutablePathThatWouldBeCutIsRefused)
{
    // 249 folder characters and "\wexla.exe" make 259: the longest path.
    const std::string longest(249, 'd');
    char szOut[WEXLA_LAUNCH_PATH_SIZE];
    ASSERT_TRUE(FormatClientExecutablePath(szOut, longest.c_str()));
    EXPECT_EQ(longest + "\\wexla.exe", szOut);

    // One more would have left "...\wexla.ex", which names another file.
    const std::string tooLong(250, 'd');
    EXPECT_FALSE(FormatClientExecutablePath(szOut, tooLong.c_str()));
    EXPECT_STREQ("", szOut);
}

// The key-value parser over the real platform layer: conditionals that ask
// the running Windows for its version.
#include <windows.h>

#include "core/platform.h"
#include "util/keyvalues.h"
#include "util/keyvalues_conditional.h"
#include "util/utlbuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(KeyValuesOnWindows, VersionVerificationAnswersForTheRunningSystem)
{
    EXPECT_TRUE(Plat_IsWindowsVersionAtLeast(5, 0));
    EXPECT_FALSE(Plat_IsWindowsVersionAtLeast(99, 0));
    // Every system this runs on today is Windows 7 or later.
    EXPECT_GT(WindowsVersionCode(), 9);
    EXPECT_TRUE(EvaluateConditional("$VISTA && $WIN7]"));
}

TEST(KeyValuesOnWindows, AMountListWithConditionalsParses)
{
    const char szText[] =
        "\xEF\xBB\xBF\"qars\"\r\n{\r\n\t\"mount\"\r\n\t{\r\n"
        "\t\t\"1\"\t\"qars\\base\"\r\n"
        "\t\t\"2\"\t\"qars\\win\"\t[$WIN32]\r\n"
        "\t\t\"3\"\t\"qars\\new\"\t[$VISTA&&!$WIN64]\r\n"
        "\t\t\"4\"\t\"qars\\console\"\t[$X360||$PS3]\r\n"
        "\t}\r\n\t\"spewfileio\"\t\"true\"\r\n}\r\n";
    CUtlBuffer buf(szText, sizeof(szText) - 1, CUtlBuffer::TEXT_BUFFER | CUtlBuffer::READ_ONLY);
    KeyValues* pRoot = new KeyValues("root");
    ASSERT_TRUE(pRoot->LoadFromBuffer("wexla_qars.rmk", buf));
    std::vector<std::string> paths;
    for (KeyValues* p = pRoot->LookupKey("mount")->FirstValueChild(); p; p = p->NextValuePeer())
        paths.push_back(KeyValues::ValueAsString(p, ""));
    EXPECT_EQ((std::vector<std::string>{"qars\\base", "qars\\win", "qars\\new"}), paths);
    EXPECT_TRUE(KeyValues::ValueAsBool(pRoot->LookupKey("spewfileio"), false));
    pRoot->Destroy();
}

// Test program entry: either a child scenario or the GoogleTest run.
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (wintest::RunChildScenarioFromCommandLine(argc, argv))
        return 0;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

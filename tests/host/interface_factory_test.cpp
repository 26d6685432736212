// The named-factory list behind CreateInterface: lookups by exact name, the
// newest registration of a name first, and the status output.
#include "util/interface_factory.h"

#include <gtest/gtest.h>

namespace
{
int g_nFirst = 1;
int g_nSecond = 2;
int g_nOther = 3;

void* CreateFirst()
{
    return &g_nFirst;
}
void* CreateSecond()
{
    return &g_nSecond;
}
void* CreateOther()
{
    return &g_nOther;
}

// Registered in this order: the second "TestFactory001" goes in front of the first.
InterfaceReg g_FirstReg(CreateFirst, "TestFactory001");
InterfaceReg g_OtherReg(CreateOther, "OtherFactory002");
InterfaceReg g_SecondReg(CreateSecond, "TestFactory001");
} // namespace

TEST(InterfaceFactory, FindsTheNewestEntryOfTheExactName)
{
    int nStatus = -1;
    EXPECT_EQ(&g_nSecond, CreateRegisteredInterface("TestFactory001", &nStatus));
    EXPECT_EQ(eInterfaceFound, nStatus);

    nStatus = -1;
    EXPECT_EQ(&g_nOther, CreateRegisteredInterface("OtherFactory002", &nStatus));
    EXPECT_EQ(eInterfaceFound, nStatus);

    EXPECT_EQ(&g_nOther, CreateRegisteredInterface("OtherFactory002", nullptr));
}

TEST(InterfaceFactory, AnyOtherNameFailsWithStatusOne)
{
    for (const char* pszName : {"testfactory001", "TestFactory00", "TestFactory0011", "", "Wexla006"})
    {
        int nStatus = -1;
        EXPECT_EQ(nullptr, CreateRegisteredInterface(pszName, &nStatus)) << pszName;
        EXPECT_EQ(eInterfaceNotFound, nStatus) << pszName;
        EXPECT_EQ(nullptr, CreateRegisteredInterface(pszName, nullptr)) << pszName;
    }
    int nStatus = -1;
    EXPECT_EQ(nullptr, CreateRegisteredInterface(nullptr, &nStatus));
    EXPECT_EQ(eInterfaceNotFound, nStatus);
}

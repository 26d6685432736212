// The 106 unimplemented entry points, each called through its export with its
// own argument count, as a game compiled against the legacy interface would.
#include "tests/win/win_test_support.h"
#include "tests/win/export_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace wintest;

namespace
{
using Unimplemented = ExportRow;

std::vector<ExportRow> NotImplementedRows()
{
    std::vector<ExportRow> rows;
    for (const ExportRow& row : kExportRows)
        if (row.IsNotImplemented())
            rows.push_back(row);
    return rows;
}
const std::vector<ExportRow> kEntryPoints = NotImplementedRows();

constexpr uintptr_t kUnreadArg = 0xA5A5A5A5;

class UnimplementedEntryPoint : public ::testing::TestWithParam<Unimplemented>
{
};

std::string NameOf(const ::testing::TestParamInfo<Unimplemented>& info)
{
    return info.param.pszName;
}
} // namespace

TEST(UnimplementedTable, Holds106EntryPointsByArgumentCount)
{
    int nByCount[9] = {};
    for (const Unimplemented& e : kEntryPoints)
        ++nByCount[e.nArgs];
    EXPECT_EQ(106u, kEntryPoints.size());
    const int kExpected[9] = {0, 13, 30, 32, 13, 9, 6, 2, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(kExpected[i], nByCount[i]) << i << " arguments";
}

TEST_P(UnimplementedEntryPoint, ReportsNotImplementedAndLeavesTheStackToTheCaller)
{
    const Unimplemented& e = GetParam();
    void* pfn = reinterpret_cast<void*>(GetProcAddress(Wexla(), e.pszName));
    ASSERT_NE(nullptr, pfn) << e.pszName << " is not exported";

    // An earlier error left in the record: only the first 24 text bytes change.
    TWexlaError record = DirtyRecord('Q');
    record.eDetailType = 77;
    record.nDetailCode = -5;
    TWexlaError untouched1 = DirtyRecord('1');
    TWexlaError untouched2 = DirtyRecord('2');

    std::vector<uintptr_t> args(static_cast<size_t>(e.nArgs), kUnreadArg);
    if (e.eKind == ExportKind::NI_FIRST)
    {
        args[0] = reinterpret_cast<uintptr_t>(&record);
        args[1] = reinterpret_cast<uintptr_t>(&untouched1);
        args[2] = reinterpret_cast<uintptr_t>(&untouched2);
    }
    else
    {
        args.back() = reinterpret_cast<uintptr_t>(&record);
    }

    DebugStreamCapture capture;
    // The thunk dirties EDX first, so a 32-bit-only result cannot pass as 64-bit 0.
    const MeasuredCall call = CallCdecl(pfn, args);
    const std::vector<std::string> lines = capture.Lines();

    if (call.bStackMeasured)
    {
        EXPECT_EQ(0, call.nStackDrift) << "the callee removed its own arguments";
    }
    if (e.eKind == ExportKind::NI_LAST64)
    {
        EXPECT_EQ(0u, call.nResult) << "64-bit result";
    }
    else
    {
        EXPECT_EQ(0u, static_cast<uint32_t>(call.nResult));
    }

    EXPECT_EQ(1, record.eKind);
    EXPECT_EQ(0, record.eDetailType);
    EXPECT_EQ(0, record.nDetailCode);
    EXPECT_EQ(0, memcmp(record.szText, "Wrapper not implemented", 24));
    for (size_t i = 24; i < sizeof(record.szText); ++i)
        ASSERT_EQ('Q', record.szText[i]) << "text byte " << i;

    const TWexlaError expected1 = DirtyRecord('1');
    const TWexlaError expected2 = DirtyRecord('2');
    EXPECT_EQ(0, memcmp(&untouched1, &expected1, sizeof(TWexlaError)));
    EXPECT_EQ(0, memcmp(&untouched2, &expected2, sizeof(TWexlaError)));

    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(std::string("Wrapper not implemented:") + e.pszName, lines[0]);
}

TEST_P(UnimplementedEntryPoint, AcceptsAnAbsentRecord)
{
    const Unimplemented& e = GetParam();
    void* pfn = reinterpret_cast<void*>(GetProcAddress(Wexla(), e.pszName));
    ASSERT_NE(nullptr, pfn);
    TWexlaError untouched = DirtyRecord('3');
    std::vector<uintptr_t> args(static_cast<size_t>(e.nArgs), reinterpret_cast<uintptr_t>(&untouched));
    args[e.eKind == ExportKind::NI_FIRST ? 0 : args.size() - 1] = 0;

    DebugStreamCapture capture;
    const MeasuredCall call = CallCdecl(pfn, args);
    EXPECT_EQ(0u, static_cast<uint32_t>(call.nResult));
    const TWexlaError expected = DirtyRecord('3');
    EXPECT_EQ(0, memcmp(&untouched, &expected, sizeof(TWexlaError))) << "other arguments are not written";
    EXPECT_EQ(std::vector<std::string>{std::string("Wrapper not implemented:") + e.pszName}, capture.Lines());
}

INSTANTIATE_TEST_SUITE_P(All, UnimplementedEntryPoint, ::testing::ValuesIn(kEntryPoints), NameOf);

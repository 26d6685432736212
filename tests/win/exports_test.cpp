// wexla.dll's export table: exactly the legacy names, undecorated, and the
// exported data word.
#include "tests/win/win_test_support.h"
#include "tests/win/export_rows.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace wintest;

namespace
{
// Names in the export directory of a loaded module.
std::set<std::string> ExportedNames(HMODULE hModule)
{
    std::set<std::string> names;
    auto* pBase = reinterpret_cast<const unsigned char*>(hModule);
    auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase);
    auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* pExports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(pBase + dir.VirtualAddress);
    auto* pNames = reinterpret_cast<const DWORD*>(pBase + pExports->AddressOfNames);
    for (DWORD i = 0; i < pExports->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char*>(pBase + pNames[i]));
    return names;
}

} // namespace

TEST(Exports, AreExactlyTheLegacyNames)
{
    ASSERT_NE(nullptr, Wexla());
    std::set<std::string> expected;
    for (const ExportRow& row : kExportRows)
        expected.insert(row.pszName);
    expected.insert(WEXLA_EXPORTED_DATA);
    EXPECT_EQ(expected, ExportedNames(Wexla()));
}

TEST(Exports, EntryThreadIdIsAZeroDataWord)
{
    auto* pValue = reinterpret_cast<const uint32_t*>(GetProcAddress(Wexla(), "g_dwDllEntryThreadId"));
    ASSERT_NE(nullptr, pValue);
    EXPECT_EQ(0u, *pValue);
}

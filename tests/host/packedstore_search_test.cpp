// Directory search over an archive: DirectoryExists and FindEntries.
#include "qarlib/packedstore.h"
#include "tests/host/qar_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace qartest;

namespace
{
class SearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string base = Pack(m_dir, "pak",
                                      {{"materials/brick.txt", "1"},
                                       {"materials/brick.TXTA", "2"},
                                       {"materials/abc.vmt", "3"},
                                       {"materials/abd.txt", "4"},
                                       {"materials/models/crate.mdl", "5"},
                                       {"materials/models/deeper/x.txt", "6"},
                                       {"materials/models/deeper/sub/z.txt", "6"},
                                       {"materials/sounds/y.wav", "7"},
                                       {"a/b.txt", "8"},
                                       {"a/b/c.txt", "9"},
                                       {"a/c.txt", "10"},
                                       {"top.txt", "11"},
                                       {"readme", "12"}});
        m_store = std::make_unique<CPackedStore>(base.c_str(), nullptr);
    }
    TempDir m_dir;
    std::unique_ptr<CPackedStore> m_store;
};

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}
} // namespace

TEST_F(SearchTest, DirectoryExistsIsAPrefixTest)
{
    struct Case
    {
        const char* pszPath;
        bool bExists;
    } cases[] = {
        {"", true},           {"materials", true},       {"materials/", true},    {"MATERIALS\\Models", true},
        {"mat", true},        {"materials/models/deeper", true}, {"materials/x", false}, {"sounds", false},
        {"a/b", true},        {"readme", false},         {"top.txt", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m_store->DirectoryExists(c.pszPath), c.bExists) << c.pszPath;
}

TEST_F(SearchTest, FindEntriesListsSubdirectoriesAndMatchingFiles)
{
    using V = std::vector<std::string>;
    struct Case
    {
        const char* pszPattern;
        V directories;
        V files;
    } cases[] = {
        {"materials/*.txt", {"materials/models", "materials/sounds"}, {"abd.txt", "brick.txt", "brick.txta"}},
        {"Materials\\*.TXT", {"Materials/models", "Materials/sounds"}, {"abd.txt", "brick.txt", "brick.txta"}},
        {"materials/ab*", {"materials/models", "materials/sounds"}, {"abc.vmt", "abd.txt"}},
        {"materials/*.*", {"materials/models", "materials/sounds"},
         {"abc.vmt", "abd.txt", "brick.txt", "brick.txta"}},
        {"materials/*.x*", {"materials/models", "materials/sounds"}, {"abd.txt", "brick.txt", "brick.txta"}},
        {"materials/*.*xt*", {"materials/models", "materials/sounds"}, // cut at the first '*'
         {"abc.vmt", "abd.txt", "brick.txt", "brick.txta"}},
        {"materials/brick.txta", {"materials/models", "materials/sounds"}, {"brick.txta"}},
        {"materials/models/*", {"materials/models/deeper"}, {"crate.mdl"}},
        {"*", {}, {"readme", "top.txt"}},
        {"*.txt", {}, {"top.txt"}},
        {"a/*", {"a/b"}, {"b.txt", "c.txt"}},
        {"nothing/*", {}, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszPattern);
        V directories, files;
        const int nResult = m_store->FindEntries(c.pszPattern, directories, files);
        EXPECT_EQ(nResult, static_cast<int>(directories.size()));
        EXPECT_EQ(Sorted(directories), c.directories);
        EXPECT_EQ(Sorted(files), c.files);
    }
}

TEST_F(SearchTest, RepeatedSubdirectoryAndFileAreListedOnce)
{
    // Within one call "materials/models/deeper/" is listed once although two
    // directory entries lead to it; a file already in the list is not added
    // again, even from an earlier call.
    std::vector<std::string> directories, files = {"crate.mdl"};
    m_store->FindEntries("materials/models/*", directories, files);
    m_store->FindEntries("materials/models/*", directories, files);
    EXPECT_EQ(files, std::vector<std::string>{"crate.mdl"});
    EXPECT_EQ(directories, (std::vector<std::string>{"materials/models/deeper", "materials/models/deeper"}));
}

TEST_F(SearchTest, NullPatternFindsNothing)
{
    std::vector<std::string> directories, files;
    EXPECT_EQ(m_store->FindEntries(nullptr, directories, files), 0);
    EXPECT_TRUE(files.empty());
}

TEST(Search, DirectoryIndexIsBuiltOnceWhenCallersRace)
{
    TempDir dir;
    FileList list;
    for (int i = 0; i < 2000; ++i)
        list.push_back({"d" + std::to_string(i % 37) + "/f" + std::to_string(i) + ".txt", "x"});
    CPackedStore store(Pack(dir, "pak", list).c_str(), nullptr);
    std::vector<std::thread> threads;
    std::vector<size_t> counts(4);
    for (size_t t = 0; t < counts.size(); ++t)
        threads.emplace_back([&, t] {
            std::vector<std::string> directories, files;
            store.FindEntries("d5/*", directories, files);
            counts[t] = files.size() + (store.DirectoryExists("d36/") ? 1000 : 0);
        });
    for (auto& th : threads)
        th.join();
    for (size_t n : counts)
        EXPECT_EQ(n, 1054u); // 54 files in d5, and d36 exists
}

TEST(Search, EmptyStoreFindsNothing)
{
    TempDir dir;
    CPackedStore store(Pack(dir, "pak", {}).c_str(), nullptr);
    EXPECT_TRUE(store.IsEmpty()); // the tree is the single end-of-extensions byte
    std::vector<std::string> directories, files;
    EXPECT_EQ(store.FindEntries("*", directories, files), 0);
    EXPECT_FALSE(store.DirectoryExists(""));
}

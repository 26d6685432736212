// CPackedStore: opening the three directory-file forms, lookup, reading.
#include "qarlib/crc32.h"
#include "qarlib/lookuppath.h"
#include "qarlib/packedstore.h"
#include "qarlib/qarformat.h"
#include "tests/host/qar_fixture.h"
#include "tests/host/test_support.h"
#include "util/strtools.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

using namespace qartest;

namespace
{
std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

const FileList& SampleFiles()
{
    static const FileList files = {
        {"materials/brick.txt", "brick wall"},
        {"materials/models/crate.mdl", Pattern(70000, 1)},
        {"readme", "top level, no extension"},
        {"top.cfg", "bind x"},
        {"sound/ambient/wind.wav", Pattern(3 * 1024 * 1024 + 17, 2)},
        {"empty.dat", ""},
        {"a.b.c", "two dots"},
    };
    return files;
}
} // namespace

TEST(PackedStore, RoundTripsEveryHeaderFormAndDataPlacement)
{
    struct Case
    {
        const char* pszName;
        EQarHeaderForm eForm;
        uint16_t nPreload;
        int64_t nInDirectoryMax;
        int64_t nChunkSize;
    } cases[] = {
        {"v2 chunks only", EQarHeaderForm::Version2, 0, -1, 200 << 20},
        {"v2 preload and in-directory", EQarHeaderForm::Version2, 10, 100, 200 << 20},
        {"v2 many small chunks", EQarHeaderForm::Version2, 3, -1, 50000},
        {"v1 preload and in-directory", EQarHeaderForm::Version1, 7, 100000, 1 << 20},
        {"headerless", EQarHeaderForm::Headerless, 5, -1, 1 << 20},
        {"preload larger than files", EQarHeaderForm::Version2, 0xFFFF, -1, 1 << 20},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        TempDir dir;
        QarPackOptions options;
        options.eForm = c.eForm;
        options.nPreloadBytes = c.nPreload;
        options.nInDirectoryMaxSize = c.nInDirectoryMax;
        options.nChunkSize = c.nChunkSize;
        const std::string base = Pack(dir, "pak01", SampleFiles(), options);
        char szDirFile[CPackedStore::PATH_SIZE];
        CPackedStore store(base.c_str(), szDirFile);
        EXPECT_EQ(store.GetLoadStatus(), QAR_LOAD_OK);
        EXPECT_FALSE(store.IsEmpty());
        EXPECT_EQ(std::string(szDirFile), Lower(base + "_dir.qar")); // the name tried first
        for (const auto& file : SampleFiles())
        {
            SCOPED_TRACE(file.first);
            const CPackedFileHandle h = store.OpenFile(file.first.c_str());
            ASSERT_TRUE(h.IsValid());
            EXPECT_EQ(h.nSize, static_cast<int32_t>(file.second.size()));
            EXPECT_EQ(h.GetChecksum(), QarCrc32(0, file.second.data(), file.second.size()));
            EXPECT_EQ(h.nPreloadCount, std::min<size_t>(c.nPreload, file.second.size()));
            EXPECT_TRUE(ReadAll(store, file.first.c_str()) == file.second);
        }
    }
}

TEST(PackedStore, LookupFollowsTheKeyRules)
{
    TempDir dir;
    const std::string base = Pack(dir, "pak", {{"materials/brick.txt", "brick"},
                                               {"a/c/d.txt", "acd"},
                                               {"c/d.txt", "cd"},
                                               {"d.txt", "top d"},
                                               {"noext", "no extension"},
                                               {"x/y", "dir x, no extension"}});
    CPackedStore store(base.c_str(), nullptr);
    struct Case
    {
        const char* pszPath;
        const char* pszContent; // null: not found
    } cases[] = {
        {"materials/brick.txt", "brick"},
        {"Materials\\Brick.TXT", "brick"},
        {"MATERIALS/BRICK.txt", "brick"},
        {"a/b/../c/d.txt", "acd"},
        {"b/../d.txt", nullptr},   // the directory key ends up empty
        {"b/../c/d.txt", nullptr}, // looks in directory "/c"
        {"d.txt", "top d"},
        {"noext", "no extension"},
        {"x/y", "dir x, no extension"},
        {"x\\Y", "dir x, no extension"},
        {"noext.", nullptr}, // empty extension key
        {"materials/brick", nullptr},
        {"materials/brick.tx", nullptr},
        {"materials/brick.txtx", nullptr},
        {"brick.txt", nullptr},
        {"", nullptr},
        {"/", nullptr},
        {nullptr, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszPath ? c.pszPath : "(null)");
        const CPackedFileHandle h = store.OpenFile(c.pszPath);
        if (!c.pszContent)
        {
            EXPECT_EQ(h.nArchiveIndex, -1);
            EXPECT_EQ(h.pStore, nullptr);
            continue;
        }
        ASSERT_TRUE(h.IsValid());
        EXPECT_EQ(ReadAll(store, c.pszPath), c.pszContent);
    }
}

TEST(PackedStore, SplitLookupPathBuildsTheThreeKeys)
{
    struct Case
    {
        const char* pszPath;
        const char* pszDirectory;
        const char* pszBase;
        const char* pszExtension;
    } cases[] = {
        {"Materials\\Models\\Crate.MDL", "materials/models", "crate", "mdl"},
        {"a/b/../c/d.txt", "a/c", "d", "txt"},
        {"b/../c/d.txt", "/c", "d", "txt"},
        {"b/../d.txt", "", "d", "txt"},
        {"a/b/c/../../d/e.txt", "a/d", "e", "txt"},
        {"file", " ", "file", " "},
        {"file.", " ", "file", ""},
        {"a.b.c", " ", "a.b", "c"},
        {"dir.v2/file", "dir.v2", "file", " "},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszPath);
        QarLookupKeys keys;
        ASSERT_TRUE(SplitLookupPath(c.pszPath, &keys));
        EXPECT_STREQ(keys.szDirectory, c.pszDirectory);
        EXPECT_STREQ(keys.szBase, c.pszBase);
        EXPECT_STREQ(keys.szExtension, c.pszExtension);
    }
}

namespace
{
// The key rules spelled out with the path tools, step by step.
bool SplitWithPathTools(const char* pszPath, QarLookupKeys* pKeys)
{
    const char* pszLast = V_LastComponent(pszPath);
    if (static_cast<size_t>(pszLast - pszPath) >= QAR_KEY_SIZE || strlen(pszLast) >= QAR_KEY_SIZE)
        return false;
    V_CopyDirectory(pszPath, pKeys->szDirectory, QAR_KEY_SIZE);
    if (!pKeys->szDirectory[0])
        V_CopyBounded(pKeys->szDirectory, " ", QAR_KEY_SIZE);
    V_CopyBounded(pKeys->szBase, pszLast, QAR_KEY_SIZE);
    if (char* pDot = strrchr(pKeys->szBase, '.'))
    {
        *pDot = '\0';
        V_CopyExtension(pszPath, pKeys->szExtension, QAR_KEY_SIZE);
    }
    else
    {
        V_CopyBounded(pKeys->szExtension, " ", QAR_KEY_SIZE);
    }
    V_SetSeparators(pKeys->szDirectory, '/');
    V_LowerAscii(pKeys->szDirectory);
    for (char* pOccurrence; pKeys->szDirectory[0] && (pOccurrence = strstr(pKeys->szDirectory + 1, "/../"));)
    {
        char* pTarget = pOccurrence - 1;
        while (pTarget > pKeys->szDirectory && *pTarget != '/')
            --pTarget;
        memmove(pTarget, pOccurrence + 3, strlen(pOccurrence + 3) + 1);
    }
    const size_t nLen = strlen(pKeys->szDirectory);
    if (nLen > 0 && V_IsSeparator(pKeys->szDirectory[nLen - 1]))
        pKeys->szDirectory[nLen - 1] = '\0';
    V_LowerAscii(pKeys->szBase);
    V_LowerAscii(pKeys->szExtension);
    return true;
}
} // namespace

TEST(PackedStore, SplitLookupPathAgreesWithThePathTools)
{
    // Short paths over an alphabet of separators, dots and letters of both
    // cases, and long ones around the key size.
    static const char kAlphabet[] = "aZ./\\.";
    std::mt19937 rng(3);
    for (int i = 0; i < 200000; ++i)
    {
        std::string path;
        const size_t nLen = i % 100 == 0 ? 250 + rng() % 20 : rng() % 14;
        for (size_t n = 0; n < nLen; ++n)
            path += kAlphabet[rng() % (sizeof(kAlphabet) - 1)];
        if (i % 100 == 50)
            path = std::string(rng() % 2 ? "D/" : "") + std::string(255 + rng() % 8, 'x') + (rng() % 2 ? "/" : ".E");
        QarLookupKeys expected, got;
        const bool bExpected = SplitWithPathTools(path.c_str(), &expected);
        ASSERT_EQ(SplitLookupPath(path.c_str(), &got), bExpected) << path;
        if (!bExpected)
            continue;
        ASSERT_STREQ(got.szDirectory, expected.szDirectory) << path;
        ASSERT_STREQ(got.szBase, expected.szBase) << path;
        ASSERT_STREQ(got.szExtension, expected.szExtension) << path;
        ASSERT_EQ(got.nDirectoryLength, static_cast<int>(strlen(got.szDirectory))) << path;
        ASSERT_EQ(got.nBaseLength, static_cast<int>(strlen(got.szBase))) << path;
        ASSERT_EQ(got.nExtensionLength, static_cast<int>(strlen(got.szExtension))) << path;
    }
}

TEST(PackedStore, OverlongKeysAndBasePathsAreRefusedWithoutOverrun)
{
    QarLookupKeys keys;
    const std::string longDir(300, 'd');
    EXPECT_FALSE(SplitLookupPath((longDir + "/f.txt").c_str(), &keys));
    EXPECT_FALSE(SplitLookupPath(("d/" + std::string(300, 'f') + ".txt").c_str(), &keys));
    EXPECT_FALSE(SplitLookupPath(("d/f." + std::string(300, 'e')).c_str(), &keys));
    EXPECT_TRUE(SplitLookupPath((std::string(258, 'd') + "/" + std::string(259, 'f')).c_str(), &keys));

    TempDir dir;
    const std::string base = Pack(dir, "pak", {{"f.txt", "x"}});
    CPackedStore store(base.c_str(), nullptr);
    EXPECT_FALSE(store.OpenFile((longDir + "/f.txt").c_str()).IsValid());
    // A key cut at 259 characters must not find a file whose name is its prefix.
    EXPECT_FALSE(store.OpenFile((std::string(400, 'f') + ".txt").c_str()).IsValid());

    for (size_t nLen : {1014u, 1023u, 1024u, 5000u})
    {
        SCOPED_TRACE(nLen);
        const std::string longBase(nLen, 'b');
        char szName[CPackedStore::PATH_SIZE];
        memset(szName, 'x', sizeof(szName));
        CPackedStore longStore(longBase.c_str(), szName);
        EXPECT_TRUE(longStore.IsEmpty());
        EXPECT_EQ(longStore.GetLoadStatus(), QAR_LOAD_BASE_PATH_TOO_LONG);
        EXPECT_STREQ(szName, "");
    }
}

TEST(PackedStore, ReadsFromPreloadThenFromTheFirstPart)
{
    TempDir dir;
    const std::string content = Pattern(200, 9);
    QarPackOptions options;
    options.nPreloadBytes = 10;
    const std::string base = Pack(dir, "pak", {{"f.bin", content}}, options);
    CPackedStore store(base.c_str(), nullptr);
    CPackedFileHandle h = store.OpenFile("f.bin");
    ASSERT_EQ(h.nPreloadCount, 10);
    h.nPosition = 5;
    char buf[100];
    ASSERT_EQ(store.ReadData(h, buf, 100), 100);
    EXPECT_EQ(std::string(buf, 100), content.substr(5, 100));
    EXPECT_EQ(h.nPosition, 105);
    // The rest, then the end of the file.
    ASSERT_EQ(store.ReadData(h, buf, 100), 95);
    EXPECT_EQ(std::string(buf, 95), content.substr(105));
    EXPECT_EQ(store.ReadData(h, buf, 100), 0);
    h.nPosition = 500;
    EXPECT_EQ(store.ReadData(h, buf, 100), 0);
    h.nPosition = -1;
    EXPECT_EQ(store.ReadData(h, buf, 100), 0);
}

TEST(PackedStore, PreloadOnlyFileNeverOpensAChunkFile)
{
    TempDir dir;
    QarPackOptions options;
    options.nPreloadBytes = 10;
    const std::string base = Pack(dir, "pak", {{"small.txt", "0123456789"}, {"big.txt", Pattern(50, 1)}}, options);
    ASSERT_TRUE(std::filesystem::remove(base + "_000.qar"));
    CPackedStore store(base.c_str(), nullptr);
    testsupport::SpewCapture capture;
    EXPECT_EQ(ReadAll(store, "small.txt"), "0123456789");
    EXPECT_TRUE(capture.Entries().empty());
}

TEST(PackedStore, UnopenableChunkDeliversPreloadAndIsRetriedLater)
{
    TempDir dir;
    QarPackOptions options;
    options.nPreloadBytes = 4;
    const std::string content = Pattern(1000, 3);
    const std::string base = Pack(dir, "pak", {{"f.bin", content}}, options);
    const std::string chunk = ReadFileBytes(base + "_000.qar");
    ASSERT_TRUE(std::filesystem::remove(base + "_000.qar"));

    CPackedStore store(base.c_str(), nullptr);
    testsupport::SpewCapture capture;
    CPackedFileHandle h = store.OpenFile("f.bin");
    char buf[1000];
    EXPECT_EQ(store.ReadData(h, buf, 1000), 4);
    EXPECT_EQ(std::string(buf, 4), content.substr(0, 4));
    EXPECT_EQ(h.nPosition, 4);
    ASSERT_EQ(capture.Entries().size(), 1u);
    EXPECT_NE(capture.Entries()[0].text.find("cannot open data file"), std::string::npos);
    // Reported once; the slot stays free, so the file is opened once it exists.
    EXPECT_EQ(store.ReadData(h, buf, 1000), 0);
    EXPECT_EQ(capture.Entries().size(), 1u);
    WriteFileBytes(base + "_000.qar", chunk);
    EXPECT_EQ(store.ReadData(h, buf, 1000), 996);
    EXPECT_EQ(std::string(buf, 996), content.substr(4));
}

TEST(PackedStore, ShortChunkReportsTheAssertionAndDeliversWhatWasRead)
{
    TempDir dir;
    const std::string content = Pattern(5000, 4);
    const std::string base = Pack(dir, "pak", {{"f.bin", content}});
    std::filesystem::resize_file(base + "_000.qar", 3000);
    for (int nLimit : {64, 1})
    {
        SCOPED_TRACE(nLimit);
        CPackedStore store(base.c_str(), nullptr);
        store.GetReadCache().SetBlockLimit(nLimit);
        testsupport::SpewCapture capture;
        CPackedFileHandle h = store.OpenFile("f.bin");
        std::string buf(5000, '\0');
        EXPECT_EQ(store.ReadData(h, &buf[0], 5000), 3000);
        EXPECT_EQ(buf.substr(0, 3000), content.substr(0, 3000));
        EXPECT_EQ(h.nPosition, 3000);
        EXPECT_EQ(capture.AssertionMessages(), std::vector<std::string>{"Assertion Failed: nRead == nNumBytes"});
    }
}

TEST(PackedStore, DataFileNamesFollowTheArchiveIndex)
{
    CPackedStore store("some/Depot_1", nullptr);
    struct Case
    {
        int32_t nIndex;
        const char* pszName;
    } cases[] = {
        {0, "some/Depot_1_000.qar"},     {7, "some/Depot_1_007.qar"},   {12, "some/Depot_1_012.qar"},
        {1000, "some/Depot_1_1000.qar"}, {0x7FFE, "some/Depot_1_32766.qar"},
        {0x7FFF, "some/Depot_1_dir.qar"},
    };
    for (const Case& c : cases)
    {
        char sz[CPackedStore::PATH_SIZE];
        store.GetDataFileName(sz, sizeof(sz), c.nIndex);
        EXPECT_STREQ(sz, c.pszName);
    }
    CPackedStore named("x/depot_1234_DIR.QAR", nullptr);
    char sz[CPackedStore::PATH_SIZE];
    named.GetDataFileName(sz, sizeof(sz), 0x7FFF);
    EXPECT_STREQ(sz, "x/depot_1234_DIR.QAR");
    named.GetDataFileName(sz, sizeof(sz), 7);
    EXPECT_STREQ(sz, "x/depot_1234_DIR.QAR_007.qar");
}

TEST(PackedStore, BasePathNamingTheDirectoryFileReadsItsInDirectoryData)
{
    TempDir dir;
    QarPackOptions options;
    options.nInDirectoryMaxSize = 1000;
    const std::string base = Pack(dir, "depot_1234", {{"a.txt", "in the directory file"}}, options);
    char szTried[CPackedStore::PATH_SIZE];
    CPackedStore store((base + "_dir.qar").c_str(), szTried);
    EXPECT_EQ(std::string(szTried), Lower(base + "_dir.qar_dir.qar"));
    EXPECT_EQ(store.GetLoadStatus(), QAR_LOAD_OK);
    EXPECT_EQ(ReadAll(store, "A.TXT"), "in the directory file");
}

TEST(PackedStore, UpperCaseBasePathFindsItsDirectoryFileOnCaseSensitiveDisks)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path("Game"));
    const std::string base = Pack(dir, "Game/Pak01", {{"a.txt", "abc"}});
    char szTried[CPackedStore::PATH_SIZE];
    CPackedStore store(base.c_str(), szTried);
    EXPECT_EQ(std::string(szTried), Lower(base + "_dir.qar")); // the legacy lower-cased name
    EXPECT_EQ(ReadAll(store, "a.txt"), "abc");
    EXPECT_STREQ(store.GetBasePath(), base.c_str());
}

TEST(PackedStore, FullPathIsAbsoluteLowerCaseWithBackslashes)
{
    CPackedStore store("/Games/App/QARS/Depot_7", nullptr);
    EXPECT_STREQ(store.GetFullPath(), "\\games\\app\\qars\\depot_7");
    EXPECT_EQ(store.GetLoadStatus(), QAR_LOAD_NOT_FOUND);
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_FALSE(store.OpenFile("a.txt").IsValid());

    CPackedStore none(nullptr, nullptr);
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.GetLoadStatus(), QAR_LOAD_NO_BASE_PATH);
    std::vector<std::string> d, f;
    EXPECT_EQ(none.FindEntries("*", d, f), 0);
    EXPECT_FALSE(none.DirectoryExists(""));
}

TEST(PackedStore, HandwrittenTreesFollowTheEntryRules)
{
    // Each case: the whole tree of a headerless directory file, the path
    // looked up, the expected size and content (chunk 0 holds "0123456789").
    struct Case
    {
        const char* pszName;
        std::string tree;
        const char* pszPath;
        int32_t nSize; // -1: not found
        std::string content;
    } cases[] = {
        {"second part ignored",
         OneFileTree("txt", "d", "f", Entry(0, "PP", {{0, 2, 3}, {0, 0, 10}})), "d/f.txt", 5, "PP234"},
        {"no part: preload only", OneFileTree("txt", "d", "f", Entry(0, "only", {})), "d/f.txt", 4, "only"},
        {"empty extension list", Str(""), "d/f.txt", -1, ""},
        {"extension without directories",
         Str("txt") + Str("") + Str("bin") + Str("d") + Str("f") + Entry(0, "", {{0, 0, 1}}) + std::string(3, '\0'),
         "d/f.bin", 1, "0"},
        {"directory without files",
         Str("txt") + Str("e") + Str("") + Str("d") + Str("f") + Entry(0, "", {{0, 1, 1}}) + std::string(3, '\0'),
         "d/f.txt", 1, "1"},
        {"upper case tree strings are never found", OneFileTree("TXT", "d", "f", Entry(0, "", {{0, 0, 1}})),
         "d/f.TXT", -1, ""},
        {"later duplicate extension wins",
         OneFileTree("txt", "d", "f", Entry(0, "", {{0, 0, 1}})).substr(0, 0) + Str("txt") + Str("d") + Str("f") +
             Entry(0, "", {{0, 1, 1}}) + Str("") + Str("") + Str("txt") + Str("d") + Str("f") +
             Entry(0, "", {{0, 2, 1}}) + std::string(3, '\0'),
         "d/f.txt", 1, "2"},
        {"top directory and no extension", OneFileTree(" ", " ", "readme", Entry(0, "", {{0, 5, 2}})), "readme",
         2, "56"},
        {"first of two equal names in one directory list wins",
         Str("txt") + Str("d") + Str("f") + Entry(0, "", {{0, 3, 1}}) + Str("f") + Entry(0, "", {{0, 4, 1}}) +
             std::string(3, '\0'),
         "d/f.txt", 1, "3"},
        {"later duplicate directory under one extension wins",
         Str("txt") + Str("d") + Str("f") + Entry(0, "", {{0, 5, 1}}) + Str("") + Str("d") + Str("f") +
             Entry(0, "", {{0, 6, 1}}) + std::string(3, '\0'),
         "d/f.txt", 1, "6"},
        {"a name only under the earlier of two equal directories is not found",
         Str("txt") + Str("d") + Str("g") + Entry(0, "", {{0, 7, 1}}) + Str("") + Str("d") + Str("f") +
             Entry(0, "", {{0, 6, 1}}) + std::string(3, '\0'),
         "d/g.txt", -1, ""},
        {"equal names in two directories",
         Str("txt") + Str("d") + Str("f") + Entry(0, "", {{0, 8, 1}}) + Str("") + Str("e") + Str("f") +
             Entry(0, "", {{0, 9, 1}}) + std::string(3, '\0'),
         "e/f.txt", 1, "9"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        TempDir dir;
        WriteFileBytes(dir.Path("p_dir.qar"), c.tree);
        WriteFileBytes(dir.Path("p_000.qar"), "0123456789");
        CPackedStore store(dir.Path("p").c_str(), nullptr);
        EXPECT_EQ(store.GetLoadStatus(), QAR_LOAD_OK);
        CPackedFileHandle h = store.OpenFile(c.pszPath);
        if (c.nSize < 0)
        {
            EXPECT_FALSE(h.IsValid());
            continue;
        }
        ASSERT_TRUE(h.IsValid());
        EXPECT_EQ(h.nSize, c.nSize);
        EXPECT_EQ(ReadAll(store, c.pszPath), c.content);
    }
}

namespace
{
// The lookup rule read off the tree walk: the last extension node equal to
// the extension key, the last directory node under it equal to the directory
// key, and the first name in that directory's list equal to the base key.
class CReferenceLookup final : public IQarTreeVisitor
{
public:
    void OnExtension(const char* pszExtension) override { m_extensions.push_back({pszExtension, {}}); }
    void OnDirectory(const char*, const char* pszDirectory) override
    {
        m_extensions.back().directories.push_back({pszDirectory, {}});
    }
    void OnFile(const char*, const char*, const char* pszName, const QarEntry& entry) override
    {
        m_extensions.back().directories.back().files.push_back({pszName, entry.nOffset});
    }
    // The first part's offset of the file found, or -1.
    int64_t Find(const char* pszExtension, const char* pszDirectory, const char* pszName) const
    {
        for (auto ext = m_extensions.rbegin(); ext != m_extensions.rend(); ++ext)
        {
            if (ext->name != pszExtension)
                continue;
            for (auto dir = ext->directories.rbegin(); dir != ext->directories.rend(); ++dir)
            {
                if (dir->name != pszDirectory)
                    continue;
                for (const auto& file : dir->files)
                    if (file.first == pszName)
                        return file.second;
                return -1;
            }
            return -1;
        }
        return -1;
    }

private:
    struct Directory
    {
        std::string name;
        std::vector<std::pair<std::string, uint32_t>> files;
    };
    struct Extension
    {
        std::string name;
        std::vector<Directory> directories;
    };
    std::vector<Extension> m_extensions;
};
} // namespace

TEST(PackedStore, LookupAgreesWithTheTreeOrderRuleOnTreesWithRepeatedStrings)
{
    // Random trees over few strings, so that extensions, directories and
    // names repeat; every file's offset is its own number.
    static const char* const kExtensions[] = {"txt", "bin", " "};
    static const char* const kDirectories[] = {"d", "e", "d/x", " "};
    static const char* const kNames[] = {"a", "b", "c"};
    std::mt19937 rng(11);
    for (int nTree = 0; nTree < 300; ++nTree)
    {
        std::string tree;
        uint32_t nOffset = 0;
        for (int e = static_cast<int>(rng() % 5); e > 0; --e)
        {
            tree += Str(kExtensions[rng() % 3]);
            for (int d = static_cast<int>(rng() % 4); d > 0; --d)
            {
                tree += Str(kDirectories[rng() % 4]);
                for (int f = static_cast<int>(rng() % 4); f > 0; --f)
                    tree += Str(kNames[rng() % 3]) + Entry(0, "", {{0, nOffset++, 0}});
                tree += Str("");
            }
            tree += Str("");
        }
        tree += Str("");
        SCOPED_TRACE(nTree);
        TempDir dir;
        WriteFileBytes(dir.Path("p_dir.qar"), tree);
        CPackedStore store(dir.Path("p").c_str(), nullptr);
        CReferenceLookup reference;
        QarWalkTree(tree.data(), static_cast<int32_t>(tree.size()), reference);
        for (const char* pszExtension : kExtensions)
            for (const char* pszDirectory : kDirectories)
                for (const char* pszName : kNames)
                {
                    std::string path = pszDirectory[0] == ' ' ? "" : std::string(pszDirectory) + "/";
                    path += pszName;
                    if (pszExtension[0] != ' ')
                        path += std::string(".") + pszExtension;
                    const int64_t nExpected = reference.Find(pszExtension, pszDirectory, pszName);
                    const CPackedFileHandle h = store.OpenFile(path.c_str());
                    ASSERT_EQ(h.IsValid() ? static_cast<int64_t>(h.nOffset) : -1, nExpected) << path;
                }
    }
}

TEST(PackedStore, VersionsZeroAndBelowReadAsVersionTwo)
{
    for (int32_t nVersion : {2, 0, -1, INT32_MIN})
    {
        SCOPED_TRACE(nVersion);
        TempDir dir;
        const std::string tree = OneFileTree("txt", "d", "f", Entry(0, "", {{0x7FFF, 1, 3}}));
        WriteFileBytes(dir.Path("p_dir.qar"), HeaderV2(static_cast<uint32_t>(tree.size()), 5, nVersion) + tree + "abcde");
        CPackedStore store(dir.Path("p").c_str(), nullptr);
        EXPECT_EQ(store.GetDataStart(), 28 + static_cast<int32_t>(tree.size()));
        EXPECT_EQ(ReadAll(store, "d/f.txt"), "bcd");
    }
}

TEST(PackedStore, VersionAboveTwoEndsTheProcess)
{
    TempDir dir;
    const std::string tree = OneFileTree("txt", "d", "f", Entry(0, "", {{0, 0, 1}}));
    WriteFileBytes(dir.Path("p_dir.qar"), HeaderV2(static_cast<uint32_t>(tree.size()), 0, 3) + tree);
    const std::string base = dir.Path("p");
    const auto result = testsupport::RunInChild([&] { CPackedStore store(base.c_str(), nullptr); });
    EXPECT_EQ(result.nExitCode, 1);
    EXPECT_NE(result.out.find("Unknown version 3 for qar " + base), std::string::npos) << result.out;
}

TEST(PackedStore, TwoArchivesOnOneChunkSlotEndTheProcessAtTheSecondRead)
{
    struct Case
    {
        uint16_t nFirst;
        uint16_t nSecond;
    } cases[] = {{3, 515}, {511, 0x7FFF}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.nSecond);
        TempDir dir;
        const std::string tree = Str("txt") + Str("d") + Str("a") + Entry(0, "", {{c.nFirst, 0, 1}}) + Str("b") +
                                 Entry(0, "", {{c.nSecond, 0, 1}}) + std::string(3, '\0');
        WriteFileBytes(dir.Path("p_dir.qar"), HeaderV2(static_cast<uint32_t>(tree.size()), 1) + tree + "z");
        char szName[64];
        snprintf(szName, sizeof(szName), "p_%03d.qar", c.nFirst);
        WriteFileBytes(dir.Path(szName), "y");
        if (c.nSecond != 0x7FFF)
        {
            snprintf(szName, sizeof(szName), "p_%03d.qar", c.nSecond);
            WriteFileBytes(dir.Path(szName), "x");
        }
        const std::string base = dir.Path("p");
        const auto result = testsupport::RunInChild([&] {
            CPackedStore store(base.c_str(), nullptr);
            printf("first:%s\n", ReadAll(store, "d/a.txt").c_str());
            ReadAll(store, "d/b.txt");
            printf("survived\n");
        });
        EXPECT_EQ(result.nExitCode, 1);
        EXPECT_NE(result.out.find("first:y\n"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("Exceeded limit of number of qar files supported (512)!\n"), std::string::npos)
            << result.out;
        EXPECT_EQ(result.out.find("survived"), std::string::npos);
    }
}

TEST(PackedStore, ChunkFilesStayOpenAcrossHandles)
{
    TempDir dir;
    const std::string base = Pack(dir, "pak", {{"a.bin", Pattern(100, 1)}, {"b.bin", Pattern(100, 2)}});
    CPackedStore store(base.c_str(), nullptr);
    EXPECT_EQ(ReadAll(store, "a.bin"), Pattern(100, 1));
    // Once open, the chunk stays readable even when its name disappears.
    ASSERT_TRUE(std::filesystem::remove(base + "_000.qar"));
    EXPECT_EQ(ReadAll(store, "b.bin"), Pattern(100, 2));
}

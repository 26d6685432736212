// Key-value text: the trees small texts produce, the errors they report,
// and the accessors.
#include "core/dbg.h"
#include "util/keyvalues.h"
#include "util/utlbuffer.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::SpewCapture;

namespace
{
// A compact picture of a node list: blocks as name{...}, strings as
// name="text", ints as name=#42, peers separated by blanks.
std::string Dump(KeyValues* pNode)
{
    std::string out;
    for (; pNode; pNode = pNode->NextPeer())
    {
        if (!out.empty())
            out += ' ';
        out += pNode->Name();
        switch (pNode->Type())
        {
        case KeyValues::TYPE_NONE:
            out += "{" + Dump(pNode->FirstChild()) + "}";
            break;
        case KeyValues::TYPE_STRING:
            out += "=\"" + std::string(pNode->ValueAsString()) + "\"";
            break;
        case KeyValues::TYPE_INT:
            out += "=#" + std::to_string(pNode->ValueAsInt());
            break;
        }
    }
    return out;
}

struct ParseResult
{
    bool bOk;
    std::string tree;
    std::vector<std::string> warnings;   // printed parse errors
    std::vector<std::string> assertions;
};

// Parses the text into a root named "root" under captured spew.
ParseResult Parse(const std::string& text, KeyValues** ppKeep = nullptr)
{
    SpewCapture spew;
    CUtlBuffer buf(0, 0, CUtlBuffer::TEXT_BUFFER);
    buf.Put(text.data(), static_cast<int>(text.size()));
    KeyValues* pRoot = new KeyValues("root");
    ParseResult result;
    result.bOk = pRoot->LoadFromBuffer("res", buf);
    result.tree = Dump(pRoot);
    for (const auto& entry : spew.Entries())
    {
        if (entry.nKind == SPEW_WARNING)
            result.warnings.push_back(entry.text);
    }
    result.assertions = spew.AssertionMessages();
    if (ppKeep)
        *ppKeep = pRoot;
    else
        pRoot->Destroy();
    return result;
}

// The text of the first printed error up to " in file".
std::string FirstErrorMessage(const ParseResult& r)
{
    if (r.warnings.empty())
        return "";
    const std::string& w = r.warnings.front();
    const std::string prefix = "KeyValues Error: ";
    const size_t nEnd = w.find(" in file ");
    return w.substr(prefix.size(), nEnd - prefix.size());
}
} // namespace

TEST(KeyValuesParse, TextsGiveTheirTrees)
{
    struct Case
    {
        const char* pszName;
        std::string text;
        std::string tree;
    } const cases[] = {
        {"bare and quoted tokens mix", "mount\n{\n 1 \"c:\\games\\my game\\qars\\base\"\n}\n",
         "mount{1=\"c:\\games\\my game\\qars\\base\"}"},
        {"byte-order mark and CR LF", "\xEF\xBB\xBF\"a\"\r\n{\r\n\t\"b\"\t\"c\"\r\n}\r\n", "a{b=\"c\"}"},
        {"comments", "// head\na { b c // note\n // line\n d \"x//y\" }", "a{b=\"c\" d=\"x//y\"}"},
        {"no whitespace needed around structure", "a{b\"c\"d{e=f}}", "a{b=\"c\" d{e=\"f\"}}"},
        {"quoted structure characters are names and values",
         "\"a\" { \"{\" \"}\" \"=\" \"x\" }", "a{{=\"}\" ==\"x\"}"},
        {"= between key and value", "a { b = 1 c=\"2\" }", "a{b=#1 c=#2}"},
        {"value typing",
         "a { z 0 s 007 f 12.5 n -3 p +7 q \"42\" c 1,000 h 0x10 e \"\" l \" 5\" t \"5 \" m - }",
         "a{z=#0 s=\"007\" f=\"12.5\" n=#-3 p=#7 q=#42 c=\"1,000\" h=\"0x10\" e=\"\" l=#5 "
         "t=\"5 \" m=\"-\"}"},
        {"the 32-bit range", "a { max 2147483647 min -2147483648 big 2147483648 neg -2147483649 }",
         "a{max=#2147483647 min=#-2147483648 big=\"2147483648\" neg=\"-2147483649\"}"},
        {"inline and heap strings", "a { s7 abcdefg s8 abcdefgh }", "a{s7=\"abcdefg\" s8=\"abcdefgh\"}"},
        {"nested blocks and peers", "a { b { c { d 1 } } e 2 } f { } g { h i }",
         "a{b{c{d=#1}} e=#2} f{} g{h=\"i\"}"},
        {"conditionals after values", "a { k1 v [$WIN32] k2 v [$X360] k3 v [!$X360] }",
         "a{k1=\"v\" k3=\"v\"}"},
        {"a true conditional replaces the first earlier key", "a { k one k two [$WIN32] }",
         "a{k=\"two\"}"},
        {"duplicate keys without one stay", "a { dupKey one DUPKEY two }",
         "a{dupKey=\"one\" dupKey=\"two\"}"},
        {"a false conditional keeps the earlier key", "a { k one k two [$X360] }", "a{k=\"one\"}"},
        {"conditional before a block", "a { blk [$POSIX] { x 1 } after 2 }", "a{after=#2}"},
        {"conditional after a block's } is the next key's name",
         "a { b { x 1 } [$X360] v }", "a{b{x=#1} [$X360]=\"v\"}"},
        {"conditional after the key name and =", "a { k [$X360] = v w [$WIN32] = v }",
         "a{w=\"v\"}"},
        {"conditional after = replaces the earlier key", "a { k one k = [$WIN32] two }",
         "a{k=\"two\"}"},
        {"false conditional after =", "a { k one k = [$X360] two }", "a{k=\"one\"}"},
        {"a false first top-level key", "first [$X360] { x 1 } second { y 2 }", "second{y=#2}"},
        {"a false top-level key between others", "a { } b [$X360] { x 1 } c { y 2 }",
         "a{} c{y=#2}"},
        {"a true top-level conditional", "a [$WIN32] { x 1 }", "a{x=#1}"},
        {"empty text", "", "root{}"},
        {"only a comment", "  // nothing\n", "root{}"},
        {"a 0 byte between top-level keys ends the text", std::string("a { b 1 }\0c { }", 15),
         "a{b=#1}"},
        {"a bare word with brackets in the wrong order", "a { b c]d[ }", "a{b=\"c]d[\"}"},
        {"escapes are off: a backslash before a quote is kept", "a { b \"x\\\" c \"}\" }",
         "a{b=\"x\\\" c=\"}\"}"},
    };
    for (const Case& c : cases)
    {
        const ParseResult r = Parse(c.text);
        EXPECT_EQ(c.tree, r.tree) << c.pszName;
        EXPECT_TRUE(r.bOk) << c.pszName << ": " << (r.warnings.empty() ? "" : r.warnings[0]);
    }
}

TEST(KeyValuesParse, MalformedTextsReportAnErrorAndKeepWhatWasRead)
{
    struct Case
    {
        std::string text;
        std::string tree;
        std::string error; // the first error's message
    } const cases[] = {
        {"a { b 1 c 2", "a{b=#1 c=#2}", "RecursiveLoadFromBuffer:  got EOF instead of keyname"},
        {"a { b { c 1 ", "a{b{c=#1}}", "RecursiveLoadFromBuffer:  got EOF instead of keyname"},
        {std::string("a { b 1 \0 c 2 }", 15), "a{b=#1}", "RecursiveLoadFromBuffer:  got empty keyname"},
        {"a { \"\" 1 }", "a{} 1{}", "RecursiveLoadFromBuffer:  got empty keyname"},
        {"a { b", "a{b{}}", "RecursiveLoadFromBuffer:  got NULL key"},
        {"a { b = ", "a{b{}}", "RecursiveLoadFromBuffer:  got NULL key"},
        {"a { b } c { d 1 }", "a{b{}} c{d=#1}", "RecursiveLoadFromBuffer:  got } in key"},
        {"a { b [$WIN32] [$X360] c 1 }", "a{b{}} c{} }{}",
         "RecursiveLoadFromBuffer:  got conditional between key and value"},
        {"a b { c 1 }", "a{} {{} 1{}", "LoadFromBuffer: missing {   (current key: 'a')"},
        {"a", "a{}", "LoadFromBuffer: missing {   (current key: 'a')"},
        {"a { } #include", "a{}", "#include is NULL "},
        {"a { b \"unterminated } c { }", "a{b=\"unterminated } c { }\"}",
         "RecursiveLoadFromBuffer:  got EOF instead of keyname"},
    };
    for (const Case& c : cases)
    {
        const ParseResult r = Parse(c.text);
        EXPECT_FALSE(r.bOk) << c.text;
        EXPECT_EQ(c.tree, r.tree) << c.text;
        EXPECT_EQ(c.error, FirstErrorMessage(r)) << c.text;
        ASSERT_FALSE(r.assertions.empty()) << c.text;
        EXPECT_EQ("Assertion Failed: Error while parsing text KeyValues for resource res",
                  r.assertions.back());
    }
}

TEST(KeyValuesParse, ErrorReportsShowOffsetAndKeyPathAndOnlyTheFirstIsPrinted)
{
    const ParseResult r = Parse("a { b }");
    ASSERT_EQ(1u, r.warnings.size());
    EXPECT_EQ("KeyValues Error: RecursiveLoadFromBuffer:  got } in key in file res [offset: 7]\n"
              "a, \n",
              r.warnings[0]);

    // Levels left behind show in (* *); two errors, one printed.
    const std::string text = "a { b { c 1 } } x } y";
    const ParseResult r2 = Parse(text);
    ASSERT_EQ(1u, r2.warnings.size());
    EXPECT_EQ("KeyValues Error: LoadFromBuffer: missing {   (current key: 'x') in file res "
              "[offset: 19]\n(*a*), (*b*), \n",
              r2.warnings[0]);
    EXPECT_EQ("a{b{c=#1}} x{} y{}", r2.tree);

    // A key path longer than a message may be is cut, not dropped.
    std::string deep;
    for (int i = 0; i < 10; ++i)
        deep += std::string(1000, static_cast<char>('a' + i)) + " { ";
    const ParseResult r3 = Parse(deep);
    ASSERT_EQ(1u, r3.warnings.size());
    EXPECT_EQ(0u, r3.warnings[0].find("KeyValues Error: RecursiveLoadFromBuffer:  got EOF"));
    EXPECT_EQ(4000u, r3.warnings[0].size());
}

TEST(KeyValuesParse, IncludeIsRefusedWithAnAssertion)
{
    const ParseResult r = Parse("#INCLUDE \"other.txt\"\na { b 1 }");
    EXPECT_TRUE(r.bOk);
    EXPECT_EQ("a{b=#1}", r.tree);
    const std::vector<std::string> expected = {
        "Assertion Failed: KeyValues don't support #include anymore, file \"res\""};
    EXPECT_EQ(expected, r.assertions);
}

TEST(KeyValuesParse, ABufferOutsideTextModeIsReportedAndParsedAnyway)
{
    SpewCapture spew;
    const char text[] = "a{b{}}";
    CUtlBuffer buf(text, 6, CUtlBuffer::READ_ONLY);
    KeyValues* pRoot = new KeyValues("root");
    EXPECT_TRUE(pRoot->LoadFromBuffer("res", buf));
    EXPECT_EQ("a{b{}}", Dump(pRoot));
    pRoot->Destroy();
    ASSERT_FALSE(spew.AssertionMessages().empty());
    EXPECT_EQ("Assertion Failed: buf.GetFlags() & CUtlBuffer::TEXT_BUFFER",
              spew.AssertionMessages().front());
}

TEST(KeyValuesParse, LongTokensAreCutAt262143Characters)
{
    const std::string longWord(0x40000 + 10, 'w');
    const ParseResult bare = Parse("a { b " + longWord + " c 1 }");
    EXPECT_FALSE(bare.bOk);
    EXPECT_EQ(" ReadToken overflow", FirstErrorMessage(bare));
    EXPECT_EQ("a{b=\"" + std::string(0x3FFFF, 'w') + "\" c=#1}", bare.tree);

    const ParseResult quoted = Parse("a { b \"" + longWord + "\" c 1 }");
    EXPECT_TRUE(quoted.bOk) << "quoted strings are cut without an error";
    EXPECT_EQ("a{b=\"" + std::string(0x3FFFF, 'w') + "\" c=#1}", quoted.tree);
}

TEST(KeyValuesParse, KeyNamesOf1023CharactersGetTheEmptyName)
{
    const std::string ok(1022, 'n');
    const std::string tooLong(1023, 'm');
    const ParseResult r = Parse("a { " + ok + " 1 " + tooLong + " 2 }");
    EXPECT_TRUE(r.bOk);
    EXPECT_EQ("a{" + ok + "=#1 =#2}", r.tree);
    const std::vector<std::string> expected = {
        "Assertion Failed: CKeyValuesSystem::AddStringToPool: key name too long (1024 chars)"};
    EXPECT_EQ(expected, r.assertions);
}

TEST(KeyValuesParse, DeepNestingIsReadAndFreedWithoutRecursion)
{
    constexpr int kDepth = 200000;
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += "k{";
    text += "v 1";
    for (int i = 0; i < kDepth; ++i)
        text += "}";
    SpewCapture spew;
    CUtlBuffer buf(0, 0, CUtlBuffer::TEXT_BUFFER);
    buf.PutString(text.c_str());
    KeyValues* pRoot = new KeyValues("root");
    EXPECT_TRUE(pRoot->LoadFromBuffer("deep", buf));
    int nDepth = 0;
    KeyValues* p = pRoot;
    while (p->FirstChild() && p->FirstChild()->Type() == KeyValues::TYPE_NONE)
    {
        p = p->FirstChild();
        ++nDepth;
    }
    EXPECT_EQ(kDepth - 1, nDepth);
    EXPECT_EQ(1, KeyValues::ValueAsInt(p->LookupKey("v"), 0));
    pRoot->Destroy();
}

TEST(KeyValuesParse, EscapeSequencesAreReadWhenTheRootAsksForThem)
{
    SpewCapture spew;
    CUtlBuffer buf(0, 0, CUtlBuffer::TEXT_BUFFER);
    buf.PutString("a { b \"x\\\"y\\n\" c { d \"\\t\" } }");
    KeyValues* pRoot = new KeyValues("root");
    pRoot->SetUsesEscapeSequences(true);
    EXPECT_TRUE(pRoot->LoadFromBuffer("res", buf));
    EXPECT_EQ("a{b=\"x\"y\n\" c{d=\"\t\"}}", Dump(pRoot));
    EXPECT_TRUE(pRoot->LookupKey("c/d")->UsesEscapeSequences()) << "inherited";
    pRoot->Destroy();
}

TEST(KeyValuesParse, LoadingAgainReplacesTheTreeAndKeepsOldPeers)
{
    SpewCapture spew;
    KeyValues* pRoot = new KeyValues("root");
    for (const char* pszText : {"a { x 1 } b { }", "c { y 2 } d { }"})
    {
        CUtlBuffer buf(0, 0, CUtlBuffer::TEXT_BUFFER);
        buf.PutString(pszText);
        EXPECT_TRUE(pRoot->LoadFromBuffer("res", buf));
    }
    // The second parse rebuilt the root and put its new peer in front of the
    // first parse's peer: nothing is lost or leaked.
    EXPECT_EQ("c{y=#2} d{} b{}", Dump(pRoot));
    pRoot->Destroy();
}

// ---------------------------------------------------------------------------
// Accessors

namespace
{
KeyValues* ParseOrDie(const std::string& text)
{
    KeyValues* pRoot = nullptr;
    const ParseResult r = Parse(text, &pRoot);
    EXPECT_TRUE(r.bOk) << text;
    return pRoot;
}
} // namespace

TEST(KeyValuesAccess, LookupKeyFindsPathsAndCreatesMissingKeys)
{
    KeyValues* pRoot = ParseOrDie("a { b { c 1 } b { c 2 } v \"x\" }");
    EXPECT_EQ(pRoot, pRoot->LookupKey(nullptr));
    EXPECT_EQ(pRoot, pRoot->LookupKey(""));
    EXPECT_EQ(1, KeyValues::ValueAsInt(pRoot->LookupKey("B/C"), 0)) << "the first b";
    EXPECT_EQ(pRoot->LookupKey("b"), pRoot->LookupKey("b/"));
    EXPECT_EQ(nullptr, pRoot->LookupKey("b/missing"));
    EXPECT_EQ(nullptr, pRoot->LookupKey("v/x")) << "a value has no children";
    EXPECT_EQ(nullptr, pRoot->LookupKey("neverpooledname123"));
    EXPECT_EQ(nullptr, pRoot->LookupKey("b//c"));

    KeyValues* pNew = pRoot->LookupKey("x/y/z", true);
    ASSERT_NE(nullptr, pNew);
    EXPECT_STREQ("z", pNew->Name());
    EXPECT_EQ(pNew, pRoot->LookupKey("x/y/z"));
    // Creating below a value turns it into a block.
    KeyValues* pUnder = pRoot->LookupKey("v/w", true);
    ASSERT_NE(nullptr, pUnder);
    EXPECT_EQ(KeyValues::TYPE_NONE, pRoot->LookupKey("v")->Type());
    EXPECT_EQ("a{b{c=#1} b{c=#2} v{w{}} x{y{z{}}}}", Dump(pRoot));

    SpewCapture spew;
    const std::string tooLong(1500, 'q');
    EXPECT_EQ(nullptr, pRoot->LookupKey((tooLong + "/r").c_str(), true));
    pRoot->Destroy();
}

TEST(KeyValuesAccess, ValueChildrenAndPeersSkipBlocks)
{
    KeyValues* pRoot = ParseOrDie("mount { blk { } 1 \"one\" blk2 { } 2 2 blk3 { } }");
    KeyValues* pFirst = pRoot->FirstValueChild();
    ASSERT_NE(nullptr, pFirst);
    EXPECT_STREQ("1", pFirst->Name());
    KeyValues* pSecond = pFirst->NextValuePeer();
    ASSERT_NE(nullptr, pSecond);
    EXPECT_STREQ("2", pSecond->Name());
    EXPECT_EQ(nullptr, pSecond->NextValuePeer());
    EXPECT_EQ(nullptr, pFirst->FirstValueChild()) << "a value has no children";
    EXPECT_EQ(nullptr, pRoot->LookupKey("blk")->FirstValueChild());
    pRoot->Destroy();
}

TEST(KeyValuesAccess, ValuesReadAsStringIntAndBool)
{
    KeyValues* pRoot = ParseOrDie(
        "a { i 42 s \"hello\" long \"a string longer than eight\" hex 0x10 chr \"'a'\" num "
        "\"12abc\" e \"\" t TRUE f False two 2 yes yes zero 0 blk { } }");
    struct Case
    {
        const char* pszKey;
        const char* pszString; // ValueAsString("dflt")
        int nInt;              // ValueAsInt(-1)
        bool bBoolDefaultTrue; // ValueAsBool(true)
        bool bBoolDefaultFalse;
    } const cases[] = {
        {"i", "42", 42, true, true},
        {"s", "hello", 0, false, false},
        {"long", "a string longer than eight", 0, false, false},
        {"hex", "0x10", 16, true, true},
        {"chr", "'a'", 97, true, true},
        {"num", "12abc", 12, true, true},
        {"e", "", -1, true, false},
        {"t", "TRUE", 0, true, true},
        {"f", "False", 0, false, false},
        {"two", "2", 2, true, true},
        {"yes", "yes", 0, false, false},
        {"zero", "0", 0, false, false},
        {"blk", "dflt", -1, true, false},
        {"missing", "dflt", -1, true, false},
    };
    for (const Case& c : cases)
    {
        KeyValues* pKey = pRoot->LookupKey(c.pszKey);
        EXPECT_EQ(c.nInt, KeyValues::ValueAsInt(pKey, -1)) << c.pszKey;
        EXPECT_EQ(c.bBoolDefaultTrue, KeyValues::ValueAsBool(pKey, true)) << c.pszKey;
        EXPECT_EQ(c.bBoolDefaultFalse, KeyValues::ValueAsBool(pKey, false)) << c.pszKey;
        EXPECT_STREQ(c.pszString, KeyValues::ValueAsString(pKey, "dflt")) << c.pszKey;
    }
    // Reading an int as text turns the node into a string node.
    EXPECT_EQ(KeyValues::TYPE_STRING, pRoot->LookupKey("i")->Type());
    EXPECT_EQ(42, pRoot->LookupKey("i")->ValueAsInt());
    pRoot->Destroy();
}

TEST(KeyValuesAccess, SettingValuesReplacesWhatWasThere)
{
    KeyValues* pRoot = ParseOrDie("a { b { c 1 } s short l \"a longer string\" }");
    KeyValues* pB = pRoot->LookupKey("b");
    pB->SetIntValue(-5); // frees the children
    EXPECT_EQ(-5, pB->ValueAsInt());
    EXPECT_EQ(nullptr, pB->FirstChild());
    // A node's own text given back to it.
    for (const char* pszKey : {"s", "l"})
    {
        KeyValues* pKey = pRoot->LookupKey(pszKey);
        const std::string before = pKey->ValueAsString();
        pKey->SetStringValue(pKey->ValueAsString());
        EXPECT_EQ(before, pKey->ValueAsString());
    }
    pRoot->LookupKey("l")->SetTypedValue("17");
    EXPECT_EQ(KeyValues::TYPE_INT, pRoot->LookupKey("l")->Type());
    pRoot->LookupKey("s")->SetStringValue(nullptr);
    EXPECT_STREQ("", pRoot->LookupKey("s")->ValueAsString("x"));
    pRoot->Destroy();
}

TEST(KeyValuesAccess, AMountListReadsAsTheMountingCodeReadsIt)
{
    KeyValues* pRoot =
        ParseOrDie("\"qars\"\n{\n\t\"mount\"\n\t{\n\t\t\"1\"\t\"qars\\base\"\n\t\t\"2\"\t\"qars\\"
                   "dlc\" [$WINDOWS]\n\t\t\"3\"\t\"qars\\x360\" [$X360]\n\t}\n\t\"SpewFileIO\"\t\"1\"\n}\n");
    std::vector<std::string> paths;
    for (KeyValues* p = pRoot->LookupKey("mount")->FirstValueChild(); p; p = p->NextValuePeer())
        paths.push_back(KeyValues::ValueAsString(p, ""));
    EXPECT_EQ((std::vector<std::string>{"qars\\base", "qars\\dlc"}), paths);
    EXPECT_TRUE(KeyValues::ValueAsBool(pRoot->LookupKey("spewfileio"), false));
    pRoot->Destroy();
}

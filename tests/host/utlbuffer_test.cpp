// The growable text buffer: growth rule, positions and error flags, the
// lexical services and the character conversions.
#include "util/utlbuffer.h"
#include "util/utlcharconversion.h"
#include "util/utlmemory.h"
#include "tests/host/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using testsupport::SpewCapture;

namespace
{
// A text buffer holding the bytes of s, read from position 0.
struct TextBuffer
{
    explicit TextBuffer(const std::string& s) : buf(0, 0, CUtlBuffer::TEXT_BUFFER)
    {
        buf.Put(s.data(), static_cast<int>(s.size()));
    }
    CUtlBuffer buf;
};
} // namespace

TEST(UtlMemoryGrowth, FollowsTheGrowthRule)
{
    struct Case
    {
        int nAllocated, nGrow, nNeeded, nItemBytes, nExpected;
    } const cases[] = {
        {0, 0, 1, 1, 32},     // 32 bytes' worth to start
        {0, 0, 33, 1, 64},    // then doubling
        {0, 0, 100, 1, 128},
        {32, 0, 33, 1, 64},
        {0, 0, 1, 4, 8},
        {0, 0, 1, 3, 11},
        {0, 0, 1, 64, 1},     // at least one item
        {0, 16, 17, 1, 32},   // a grow size rounds up to its multiple
        {0, 16, 16, 1, 16},
        {100, 16, 33, 1, 48}, // ... whatever the current count
        {1 << 28, 0, (1 << 28) + 1, 1, 1 << 29},                   // doubling up to 256 MiB
        {1 << 29, 0, (1 << 29) + 1, 1, (1 << 29) + (1 << 28)},     // then 256 MiB steps
        {1 << 24, 0, (1 << 25) + 1, 16, (1 << 25) + (1 << 24)},    // the step counts bytes
        {0, 0, INT_MAX, 1, INT_MAX}, // no wrap-around near the limit
        {0, 1000, INT_MAX, 1, INT_MAX},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.nExpected,
                  UtlMemory_CalcNewAllocationCount(c.nAllocated, c.nGrow, c.nNeeded, c.nItemBytes))
            << c.nAllocated << " " << c.nGrow << " " << c.nNeeded << " " << c.nItemBytes;
    }
}

TEST(UtlMemoryGrowth, ReportsANonPositiveItemSizeAndStartsAt256)
{
    SpewCapture spew;
    EXPECT_EQ(256, UtlMemory_CalcNewAllocationCount(0, 0, 1, 0));
    EXPECT_EQ(512, UtlMemory_CalcNewAllocationCount(0, 0, 300, -4));
    const std::vector<std::string> expected = {
        "Assertion Failed: nBytesItem is 0 in UtlMemory_CalcNewAllocationCount",
        "Assertion Failed: nBytesItem is -4 in UtlMemory_CalcNewAllocationCount"};
    EXPECT_EQ(expected, spew.AssertionMessages());
}

TEST(UtlBufferRead, CheckPeekAndSeekKeepOrClearTheReadOverflowFlag)
{
    TextBuffer t("abc");
    CUtlBuffer& buf = t.buf;
    EXPECT_TRUE(buf.CheckRead(3));
    EXPECT_FALSE(buf.CheckRead(4));
    EXPECT_TRUE(buf.HasError(CUtlBuffer::GET_OVERFLOW));
    EXPECT_FALSE(buf.CheckRead(1)) << "the flag is sticky";
    EXPECT_EQ(nullptr, buf.PeekRead(1)) << "no peek while the flag is set";

    EXPECT_TRUE(buf.SeekRead(CUtlBuffer::SEEK_HEAD, 1));
    EXPECT_TRUE(buf.IsValid());
    ASSERT_NE(nullptr, buf.PeekRead(2));
    EXPECT_EQ(0, memcmp(buf.PeekRead(2), "bc", 2));
    EXPECT_EQ(nullptr, buf.PeekRead(1, 2)) << "past the end";
    EXPECT_TRUE(buf.IsValid()) << "a peek leaves no error behind";
    EXPECT_NE(nullptr, buf.PeekRead(0, 2)) << "no bytes at the very end is fine";

    EXPECT_TRUE(buf.SeekRead(CUtlBuffer::SEEK_TAIL, 1));
    EXPECT_EQ(2, buf.TellGet());
    EXPECT_TRUE(buf.SeekRead(CUtlBuffer::SEEK_CURRENT, 1));
    EXPECT_EQ(3, buf.TellGet());
    EXPECT_FALSE(buf.SeekRead(CUtlBuffer::SEEK_CURRENT, 1));
    EXPECT_TRUE(buf.HasError(CUtlBuffer::GET_OVERFLOW));
    EXPECT_EQ(0, buf.ReadChar()) << "reads do nothing while the flag is set";

    // A position before the start is refused and the read position kept.
    EXPECT_TRUE(buf.SeekRead(CUtlBuffer::SEEK_HEAD, 2));
    EXPECT_FALSE(buf.SeekRead(CUtlBuffer::SEEK_CURRENT, -3));
    EXPECT_EQ(2, buf.TellGet());
    EXPECT_FALSE(buf.SeekRead(CUtlBuffer::SEEK_TAIL, 4));
    EXPECT_EQ(2, buf.TellGet());
    EXPECT_EQ(nullptr, buf.PeekRead(1, -1));
}

TEST(UtlBufferRead, ReadCharGivesBytesThenZeroAtTheEnd)
{
    TextBuffer t("a\r\n");
    EXPECT_EQ('a', t.buf.ReadChar());
    EXPECT_EQ('\r', t.buf.ReadChar()) << "no line-end conversion";
    EXPECT_EQ('\n', t.buf.ReadChar());
    EXPECT_TRUE(t.buf.IsValid());
    EXPECT_EQ(0, t.buf.ReadChar());
    EXPECT_TRUE(t.buf.HasError(CUtlBuffer::GET_OVERFLOW));
}

TEST(UtlBufferText, SkipWhitespaceAndComments)
{
    struct Case
    {
        const char* pszText;
        bool bComment;      // SkipLineComment's answer after SkipWhitespace
        int nPosition;      // read position afterwards
        bool bOverflow;     // read-overflow flag afterwards
    } const cases[] = {
        {" \t\r\n\v\fx", false, 6, false},
        {"   ", false, 3, true}, // whitespace to the end sets the flag
        {"", false, 0, true},
        {"// note\nx", true, 8, false},
        {"  // last line without a line feed", true, 34, true},
        {"/x", false, 0, false}, // a single '/' is no comment
        {"/", false, 0, false},
        {"x // y", false, 0, false},
    };
    for (const Case& c : cases)
    {
        TextBuffer t(c.pszText);
        t.buf.SkipWhitespace();
        EXPECT_EQ(c.bComment, t.buf.SkipLineComment()) << c.pszText;
        EXPECT_EQ(c.nPosition, t.buf.TellGet()) << c.pszText;
        EXPECT_EQ(c.bOverflow, t.buf.HasError(CUtlBuffer::GET_OVERFLOW)) << c.pszText;
    }
}

TEST(UtlBufferText, LexicalServicesAreOffOutsideTextMode)
{
    CUtlBuffer buf(" // x", 5, CUtlBuffer::READ_ONLY);
    buf.SkipWhitespace();
    EXPECT_EQ(0, buf.TellGet());
    EXPECT_EQ(' ', buf.ReadChar());
    EXPECT_FALSE(buf.SkipLineComment());
    EXPECT_EQ(1, buf.TellGet());
}

TEST(UtlBufferText, ReadDelimitedStringWithoutEscapes)
{
    const CUtlCharConversion* pNoEsc = GetNoEscCharConversion();
    struct Case
    {
        std::string text;
        int nCapacity;
        std::string stored; // bytes up to the terminator, embedded 0s included
        int nPosition;
        bool bOverflow;
    } const cases[] = {
        {"\"abc\" rest", 0, "abc", 5, false},
        {"  \"a b\"", 0, "a b", 7, false},
        {"\"c:\\games\\x\\\"", 0, "c:\\games\\x\\", 13, false}, // backslashes are kept
        {"\"{ = } // x\"", 0, "{ = } // x", 12, false},
        {"\"a\x7F" "b\"", 0, std::string("a\0b", 3), 5, false},   // 0x7F becomes 0
        {"\"abcd\"", 4, "abc", 6, false},   // capacity - 1 characters kept
        {"\"abcd\"", 5, "abcd", 6, false},
        {"\"abc\"", 4, "abc", 5, false},
        {"\"\"x", 4, "", 2, false},
        {"\"abc", 0, std::string("abc\0", 4), 4, true}, // runs to the end of the data
        {"abc", 0, "", 0, false},                       // no opening delimiter
    };
    for (const Case& c : cases)
    {
        TextBuffer t(c.text);
        char szDest[32];
        memset(szDest, 'Z', sizeof(szDest));
        t.buf.ReadDelimitedString(pNoEsc, szDest, c.nCapacity);
        EXPECT_EQ(c.stored, std::string(szDest, c.stored.size())) << c.text;
        EXPECT_EQ(0, szDest[c.stored.size()]) << c.text;
        EXPECT_EQ(c.nPosition, t.buf.TellGet()) << c.text;
        EXPECT_EQ(c.bOverflow, t.buf.HasError(CUtlBuffer::GET_OVERFLOW)) << c.text;
    }
}

TEST(UtlBufferText, ReadDelimitedStringStoresNothingButATerminatorOnError)
{
    TextBuffer t("\"abc\"");
    t.buf.SeekRead(CUtlBuffer::SEEK_TAIL, -1); // sets the read-overflow flag
    char szDest[8] = "ZZZZZZZ";
    t.buf.ReadDelimitedString(GetNoEscCharConversion(), szDest, sizeof(szDest));
    EXPECT_STREQ("", szDest);
}

TEST(UtlBufferText, ReadDelimitedStringWithCEscapes)
{
    const CUtlCharConversion* pC = GetCStringCharConversion();
    struct Case
    {
        std::string text;
        std::string stored;
    } const cases[] = {
        {R"("a\nb\tc")", "a\nb\tc"},
        {R"("q\"uote")", "q\"uote"},
        {R"("\\\?\'\v\b\r\f\a")", "\\?'\v\b\r\f\a"},
        {R"("x\qy")", std::string("x\0qy", 4)}, // unknown: 0, and the letter is read again
        {"\"end\\", std::string("end\0", 4)},    // escape at the end of the data
    };
    for (const Case& c : cases)
    {
        TextBuffer t(c.text);
        char szDest[32];
        memset(szDest, 'Z', sizeof(szDest));
        t.buf.ReadDelimitedString(pC, szDest, sizeof(szDest));
        EXPECT_EQ(c.stored, std::string(szDest, c.stored.size())) << c.text;
        EXPECT_EQ(0, szDest[c.stored.size()]) << c.text;
    }
}

namespace
{
class TestConversion : public CUtlCharConversion
{
public:
    using CUtlCharConversion::CUtlCharConversion;
    char FindConversion(const char*, int, int* pLength) const override
    {
        *pLength = 0;
        return 0;
    }
};
} // namespace

TEST(UtlCharConversion, ReportsACharacterRegisteredTwiceAndAnEmptyDelimiter)
{
    SpewCapture spew;
    const CUtlCharConversion::ConversionArray_t table[] = {{'x', "\\x"}, {'x', "\\xx"}};
    TestConversion conv('\\', "", 2, table);
    EXPECT_STREQ("\\xx", conv.GetConversionString('x'));
    EXPECT_EQ(3, conv.MaxConversionLength());

    TextBuffer t("\"abc\"");
    char szDest[8];
    t.buf.ReadDelimitedString(&conv, szDest, sizeof(szDest));
    const std::vector<std::string> expected = {
        "Assertion Failed: info.m_pReplacementString == 0",
        "Assertion Failed: pConv && pConv->GetDelimiterLength() > 0"};
    EXPECT_EQ(expected, spew.AssertionMessages());
}

TEST(UtlBufferWrite, OwnMemoryGrowsAndStaysTerminatedInTextMode)
{
    CUtlBuffer buf(0, 16, CUtlBuffer::TEXT_BUFFER);
    ASSERT_GE(buf.AllocatedSize(), 16);
    EXPECT_EQ(0, buf.Base()[0]);
    EXPECT_EQ(0, buf.TellMaxPut());

    std::string big(1000, 'q');
    buf.PutString("key ");
    buf.PutString(big.c_str());
    EXPECT_TRUE(buf.IsValid());
    EXPECT_EQ(1004, buf.TellPut());
    EXPECT_EQ(1004, buf.TellMaxPut());
    EXPECT_EQ("key " + big, std::string(buf.Base())) << "terminated after the data";

    // Direct fill, as a file reader does it.
    CUtlBuffer file(0, 0, CUtlBuffer::TEXT_BUFFER);
    ASSERT_TRUE(file.Reserve(5));
    ASSERT_GE(file.AllocatedSize(), 6);
    memcpy(file.Base(), "a { }", 5);
    EXPECT_TRUE(file.SeekWrite(CUtlBuffer::SEEK_HEAD, 5));
    EXPECT_EQ(5, file.TellMaxPut());
    EXPECT_EQ(0, file.Base()[5]);
    EXPECT_FALSE(file.SeekWrite(CUtlBuffer::SEEK_HEAD, file.AllocatedSize() + 1));
    EXPECT_FALSE(file.SeekWrite(CUtlBuffer::SEEK_CURRENT, -6));
    EXPECT_TRUE(file.SeekWrite(CUtlBuffer::SEEK_TAIL, 2));
    EXPECT_EQ(3, file.TellPut());
    EXPECT_EQ(5, file.TellMaxPut()) << "the end of data stays";
}

TEST(UtlBufferWrite, RefusedWritesSetTheWriteOverflowFlag)
{
    {
        const char text[] = "abc";
        CUtlBuffer buf(text, 3, CUtlBuffer::TEXT_BUFFER | CUtlBuffer::READ_ONLY);
        EXPECT_EQ(3, buf.TellMaxPut()) << "read-only memory is data";
        buf.Put("x", 1);
        EXPECT_TRUE(buf.HasError(CUtlBuffer::PUT_OVERFLOW));
        EXPECT_FALSE(buf.Reserve(10));
        EXPECT_STREQ("abc", text);
    }
    {
        char memory[4] = "zzz";
        CUtlBuffer buf(memory, 4, 0); // fixed outside memory
        buf.Put("abcd", 4);
        EXPECT_TRUE(buf.IsValid());
        buf.Put("e", 1);
        EXPECT_TRUE(buf.HasError(CUtlBuffer::PUT_OVERFLOW));
        EXPECT_EQ(0, memcmp(memory, "abcd", 4));
    }
    {
        char memory[4] = "zzz";
        CUtlBuffer buf(memory, 4, CUtlBuffer::EXTERNAL_GROWABLE | CUtlBuffer::TEXT_BUFFER);
        buf.PutString("abcdefgh");
        EXPECT_TRUE(buf.IsValid()) << "replaced by own memory";
        EXPECT_NE(memory, buf.Base());
        EXPECT_STREQ("abcdefgh", buf.Base());
    }
    {
        CUtlBuffer buf(0, 0, 0);
        buf.SetOverflowFuncs(nullptr, [](CUtlBuffer&, int) { return false; });
        buf.Put("a", 1);
        EXPECT_TRUE(buf.HasError(CUtlBuffer::PUT_OVERFLOW));
        buf.SetOverflowFuncs(nullptr, nullptr);
        buf.Put("a", 1);
        EXPECT_EQ(0, buf.TellPut()) << "the flag is sticky";
    }
}

TEST(UtlBufferMode, SetTextModeSetsAndClearsTheBits)
{
    CUtlBuffer buf;
    buf.SetTextMode(true, true);
    EXPECT_EQ(CUtlBuffer::TEXT_BUFFER | CUtlBuffer::CONTAINS_CRLF, buf.GetFlags());
    buf.SetTextMode(false);
    EXPECT_EQ(0, buf.GetFlags());
}

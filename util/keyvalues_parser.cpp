// The key-value text parser: tokens, top-level keys, blocks, conditionals
// and error reports with the key path.
#include "core/dbg.h"
#include "util/keyvalues.h"
#include "util/keyvalues_conditional.h"
#include "util/strtools.h"
#include "util/utlbuffer.h"
#include "util/utlcharconversion.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr int kTokenBufferSize = 0x40000;
constexpr int kMaxBareWordChars = kTokenBufferSize - 1;
constexpr int kKeyStackSize = 64;
// The longest error text printed as a warning.
constexpr int kMaxPrintedErrorChars = 4000;

// One token; a null text is "none" (end of input).
struct Token
{
    const char* psz = nullptr;
    bool bQuoted = false;
    bool bConditional = false;

    explicit operator bool() const { return psz != nullptr; }
    bool IsEmpty() const { return psz && !psz[0]; }
    // A structural character: one of '{', '}', '=' outside quotes.
    bool Is(char c) const { return psz && !bQuoted && psz[0] == c && psz[1] == 0; }
    // The value of a conditional token: its text after the '['.
    bool ConditionValue() const { return EvaluateConditional(strchr(psz, '[') + 1); }
};

bool EndsBareWord(char c)
{
    return c == 0 || c == '"' || c == '{' || c == '}' || c == '=' || CUtlBuffer::IsWhitespace(c);
}
} // namespace

// State of one LoadFromBuffer call: the token buffer, the key stack used in
// error messages, and the number of errors met (only the first is printed;
// none means success).
class KeyValuesTextParser
{
public:
    explicit KeyValuesTextParser(const char* pszResourceName)
        : m_pszResourceName(pszResourceName ? pszResourceName : ""),
          m_pTokenBuffer(static_cast<char*>(malloc(kTokenBufferSize)))
    {
    }
    ~KeyValuesTextParser() { free(m_pTokenBuffer); }
    KeyValuesTextParser(const KeyValuesTextParser&) = delete;
    KeyValuesTextParser& operator=(const KeyValuesTextParser&) = delete;

    Token ReadToken(CUtlBuffer& buf, bool bEscapes);
    void ReportError(const CUtlBuffer& buf, const char* pszFormat, ...) WEXLA_PRINTF(3, 4);
    bool HadError() const { return m_nErrors > 0; }
    const char* ResourceName() const { return m_pszResourceName; }

    // The key stack: one level per block name and one for its current child.
    void PushKey(HKeySymbol nSymbol)
    {
        if (m_nDepth < kKeyStackSize)
            m_keyStack[m_nDepth] = nSymbol;
        if (m_nDepth > m_nDeepest)
            m_nDeepest = m_nDepth;
        ++m_nDepth;
    }
    void PopKey() { --m_nDepth; }
    void SetTopKey(HKeySymbol nSymbol)
    {
        if (m_nDepth > 0 && m_nDepth <= kKeyStackSize)
            m_keyStack[m_nDepth - 1] = nSymbol;
    }

private:
    const char* m_pszResourceName;
    char* m_pTokenBuffer;
    HKeySymbol m_keyStack[kKeyStackSize] = {};
    int m_nDepth = 0;   // levels in use
    int m_nDeepest = 0; // largest level index used in this parse
    int m_nErrors = 0;
    bool m_bReportFirstError = true;
};

Token KeyValuesTextParser::ReadToken(CUtlBuffer& buf, bool bEscapes)
{
    Token token;
    if (!buf.IsValid())
        return token;
    if (!m_pTokenBuffer)
    {
        ReportError(buf, "out of memory for the token buffer");
        return token;
    }
    buf.SkipWhitespace();
    while (buf.SkipLineComment())
        buf.SkipWhitespace();
    if (!buf.IsValid())
        return token;
    const char* pPeek = buf.PeekRead(1);
    if (!pPeek)
        return token;

    const char c = *pPeek;
    token.psz = m_pTokenBuffer;
    if (c == '"')
    {
        token.bQuoted = true;
        buf.ReadDelimitedString(bEscapes ? GetCStringCharConversion() : GetNoEscCharConversion(),
                                m_pTokenBuffer, kTokenBufferSize);
        return token;
    }
    if (c == '{' || c == '}' || c == '=')
    {
        m_pTokenBuffer[0] = c;
        m_pTokenBuffer[1] = 0;
        buf.SeekRead(CUtlBuffer::SEEK_CURRENT, 1);
        return token;
    }

    // A bare word: scanned in place, then consumed at once.
    const int nAvailable = buf.GetBytesRemaining();
    const char* pText = buf.PeekRead(nAvailable);
    if (!pText)
        return Token();
    int nLength = 0;
    bool bOpenBracket = false;
    while (nLength < nAvailable && !EndsBareWord(pText[nLength]))
    {
        if (pText[nLength] == '[')
            bOpenBracket = true;
        else if (pText[nLength] == ']' && bOpenBracket)
            token.bConditional = true;
        ++nLength;
    }
    const int nStored = nLength < kMaxBareWordChars ? nLength : kMaxBareWordChars;
    memcpy(m_pTokenBuffer, pText, static_cast<size_t>(nStored));
    m_pTokenBuffer[nStored] = 0;
    buf.SeekRead(CUtlBuffer::SEEK_CURRENT, nLength);
    if (nLength > kMaxBareWordChars)
        ReportError(buf, " ReadToken overflow");
    return token;
}

void KeyValuesTextParser::ReportError(const CUtlBuffer& buf, const char* pszFormat, ...)
{
    ++m_nErrors;
    // Only the first error of a parse is shown; later ones are only counted
    // (so hostile input cannot make error reports the bulk of the work).
    if (!m_bReportFirstError)
        return;
    m_bReportFirstError = false;

    char szMessage[512];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(szMessage, sizeof(szMessage), pszFormat, args);
    va_end(args);

    char szHead[512];
    V_FormatBounded(szHead, sizeof(szHead), "KeyValues Error: %s in file %s [offset: %d]\n",
                    szMessage, m_pszResourceName, buf.TellGet());
    std::string text = szHead;
    // The key path: the levels in use, then (*stale*) ones from deeper
    // blocks read earlier.
    for (int i = 0; i < m_nDeepest && i < kKeyStackSize; ++i)
    {
        if (m_keyStack[i] == 0)
            continue;
        const char* pszName = KeyValuesSystem()->NameForSymbol(m_keyStack[i]);
        if (i < m_nDepth)
            text.append(pszName).append(", ");
        else
            text.append("(*").append(pszName).append("*), ");
    }
    text += "\n";
    SpewWarning("%.*s", kMaxPrintedErrorChars, text.c_str());
}

// ---------------------------------------------------------------------------

bool KeyValues::LoadFromBuffer(const char* pszResourceName, CUtlBuffer& buf)
{
    Assert(buf.GetFlags() & CUtlBuffer::TEXT_BUFFER);
    Clear();
    KeyValuesTextParser parser(pszResourceName);
    if (buf.IsValid())
    {
        const char* pBom = buf.PeekRead(3);
        if (pBom && memcmp(pBom, "\xEF\xBB\xBF", 3) == 0)
            buf.SeekRead(CUtlBuffer::SEEK_CURRENT, 3);
    }

    // pCurrent: the node the next top-level key goes into (null: a new peer
    // after pPrevious, the last kept top-level key).
    KeyValues* pCurrent = this;
    KeyValues* pPrevious = nullptr;
    while (buf.IsValid() && buf.GetBytesRemaining() > 0)
    {
        const Token name = parser.ReadToken(buf, UsesEscapeSequences());
        if (!name || (name.IsEmpty() && !name.bQuoted))
            break;

        if (V_CompareNoCaseN(name.psz, "#include", 9) == 0)
        {
            const Token file = parser.ReadToken(buf, UsesEscapeSequences());
            if (!file || file.IsEmpty())
            {
                parser.ReportError(buf, "#include is NULL ");
            }
            else
            {
                char szText[512];
                snprintf(szText, sizeof(szText), "KeyValues don't support #include anymore, file \"%s\"",
                         parser.ResourceName());
                ReportAssertionText(szText, __FILE__, __LINE__);
            }
            continue;
        }

        if (!pCurrent)
        {
            pCurrent = new KeyValues(name.psz);
            pCurrent->SetUsesEscapeSequences(UsesEscapeSequences());
            pCurrent->m_pPeer = pPrevious->m_pPeer;
            pPrevious->m_pPeer = pCurrent;
        }
        else
        {
            pCurrent->SetName(name.psz);
        }

        Token next = parser.ReadToken(buf, UsesEscapeSequences());
        bool bKeep = true;
        if (next.bConditional)
        {
            bKeep = next.ConditionValue();
            next = parser.ReadToken(buf, UsesEscapeSequences());
        }
        if (next.Is('{'))
            pCurrent->RecursiveLoadFromBuffer(buf, parser);
        else
            parser.ReportError(buf, "LoadFromBuffer: missing {   (current key: '%s')",
                               pCurrent->Name());

        if (bKeep)
        {
            pPrevious = pCurrent;
            pCurrent = nullptr;
        }
        else if (pCurrent == this)
        {
            Clear(); // reused, and renamed, by the next top-level key
        }
        else
        {
            pPrevious->m_pPeer = pCurrent->m_pPeer;
            pCurrent->m_pPeer = nullptr;
            pCurrent->Destroy();
            pCurrent = nullptr;
        }
    }

    if (!parser.HadError())
        return true;
    char szText[512];
    snprintf(szText, sizeof(szText), "Error while parsing text KeyValues for resource %s",
             parser.ResourceName());
    ReportAssertionText(szText, __FILE__, __LINE__);
    return false;
}

namespace
{
// A block being read: its node, its last child (appends are O(1)), and
// whether its parent keeps it once it is complete.
struct OpenBlock
{
    KeyValues* pBlock;
    KeyValues* pLastChild;
    bool bKeep;
};
} // namespace

void KeyValues::RecursiveLoadFromBuffer(CUtlBuffer& buf, KeyValuesTextParser& parser)
{
    // Nested blocks are kept on an explicit stack rather than the call
    // stack, so any nesting depth is read without exhausting it.
    std::vector<OpenBlock> blocks;

    // Unlinks a child of the block (keeping the last-child link right) and
    // frees it.
    auto removeChild = [](OpenBlock& block, KeyValues* pChild) {
        if (pChild == block.pLastChild)
        {
            KeyValues* pPrev = nullptr;
            for (KeyValues* p = block.pBlock->FirstChild(); p != pChild; p = p->m_pPeer)
                pPrev = p;
            block.pLastChild = pPrev;
        }
        block.pBlock->UnlinkChild(pChild);
        pChild->Destroy();
    };
    // A block ends at its '}' or at an error: its parent then keeps or drops it.
    auto closeBlock = [&]() {
        const OpenBlock closed = blocks.back();
        blocks.pop_back();
        parser.PopKey();
        parser.PopKey();
        if (!blocks.empty() && !closed.bKeep)
            removeChild(blocks.back(), closed.pBlock);
    };
    auto openBlock = [&](KeyValues* pBlock, bool bKeep) {
        KeyValues* pLast = pBlock->FirstChild();
        while (pLast && pLast->m_pPeer)
            pLast = pLast->m_pPeer;
        blocks.push_back({pBlock, pLast, bKeep});
        parser.PushKey(pBlock->NameSymbol());
        parser.PushKey(0);
    };
    // With a true conditional before a value, the key replaces the first
    // earlier one of its name.
    auto replaceEarlier = [&](OpenBlock& block, KeyValues* pChild) {
        KeyValues* pFirst = block.pBlock->FindChild(pChild->NameSymbol());
        if (pFirst && pFirst != pChild)
            removeChild(block, pFirst);
    };

    openBlock(this, true);
    while (!blocks.empty())
    {
        OpenBlock& block = blocks.back();
        const bool bEscapes = block.pBlock->UsesEscapeSequences();

        const Token name = parser.ReadToken(buf, bEscapes);
        if (!name)
        {
            parser.ReportError(buf, "RecursiveLoadFromBuffer:  got EOF instead of keyname");
            closeBlock();
            continue;
        }
        if (name.IsEmpty())
        {
            parser.ReportError(buf, "RecursiveLoadFromBuffer:  got empty keyname");
            closeBlock();
            continue;
        }
        if (name.Is('}'))
        {
            closeBlock();
            continue;
        }

        KeyValues* pChild = new KeyValues(name.psz);
        pChild->SetUsesEscapeSequences(bEscapes);
        if (block.pLastChild)
            block.pLastChild->m_pPeer = pChild;
        else
            block.pBlock->m_value.pFirstChild = pChild;
        block.pLastChild = pChild;
        parser.SetTopKey(pChild->NameSymbol());

        bool bKeep = true;
        Token value = parser.ReadToken(buf, bEscapes);
        if (value.bConditional)
        {
            bKeep = value.ConditionValue();
            value = parser.ReadToken(buf, bEscapes);
        }
        if (value.Is('='))
        {
            value = parser.ReadToken(buf, bEscapes);
            if (value.bConditional)
            {
                bKeep = value.ConditionValue();
                value = parser.ReadToken(buf, bEscapes);
                if (bKeep)
                    replaceEarlier(block, pChild);
            }
        }
        if (!value)
        {
            parser.ReportError(buf, "RecursiveLoadFromBuffer:  got NULL key");
            closeBlock();
            continue;
        }
        if (value.Is('}'))
        {
            parser.ReportError(buf, "RecursiveLoadFromBuffer:  got } in key");
            closeBlock();
            continue;
        }
        if (value.Is('{'))
        {
            parser.SetTopKey(0);
            openBlock(pChild, bKeep); // invalidates 'block'
            continue;
        }
        if (value.bConditional)
        {
            parser.ReportError(buf, "RecursiveLoadFromBuffer:  got conditional between key and value");
            closeBlock();
            continue;
        }

        pChild->SetTypedValue(value.psz);
        // A conditional may follow the value; anything else is put back.
        const int nBeforeNext = buf.TellGet();
        const Token next = parser.ReadToken(buf, bEscapes);
        if (next.bConditional)
        {
            bKeep = next.ConditionValue();
            if (bKeep)
                replaceEarlier(block, pChild);
        }
        else
        {
            buf.SeekRead(CUtlBuffer::SEEK_HEAD, nBeforeNext);
        }
        if (!bKeep)
            removeChild(block, pChild);
    }
}

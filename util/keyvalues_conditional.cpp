#include "util/keyvalues_conditional.h"

#include "core/dbg.h"
#include "core/platform.h"
#include "util/keyvaluessystem.h"
#include "util/strtools.h"

namespace
{
// Deeper parentheses than this are refused, so that a hostile expression
// cannot exhaust the stack.
constexpr int kMaxNesting = 64;
// A symbol keeps at most this many characters, '$' included.
constexpr int kMaxSymbolChars = 126;

bool IsSymbolChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A left-to-right evaluator over one expression text: '||' and '&&' of equal
// precedence, '!' before a primary, and primaries '(' expression, $symbol
// or a number.
class CExpressionEvaluator
{
public:
    explicit CExpressionEvaluator(const char* pszText) : m_p(pszText) {}

    bool Expression(int nDepth)
    {
        bool bValue = Unary(nDepth);
        for (;;)
        {
            SkipSpaces();
            const char cOp = *m_p;
            if (cOp != '|' && cOp != '&')
                return bValue; // ']' or anything else ends the expression
            const char cSecond = m_p[1];
            if ((cSecond & cOp) != cOp)
            {
                SpewMessage("Bad expression token: %c %c", cOp, cSecond);
                return bValue;
            }
            m_p += 2;
            const bool bRight = Unary(nDepth);
            bValue = cOp == '|' ? (bValue || bRight) : (bValue && bRight);
        }
    }

private:
    void SkipSpaces()
    {
        while (*m_p == ' ')
            ++m_p;
    }

    bool Unary(int nDepth)
    {
        SkipSpaces();
        bool bNegate = false;
        while (*m_p == '!')
        {
            // A repeated '!' negates once.
            bNegate = true;
            ++m_p;
            SkipSpaces();
        }
        const bool bValue = Primary(nDepth);
        return bNegate ? !bValue : bValue;
    }

    bool Primary(int nDepth)
    {
        SkipSpaces();
        const char c = *m_p;
        if (c == '(' && nDepth < kMaxNesting)
        {
            ++m_p;
            const bool bValue = Expression(nDepth + 1);
            if (*m_p)
                ++m_p; // the closing ')', taken on trust
            return bValue;
        }
        if (c == '$')
        {
            char szSymbol[kMaxSymbolChars + 1];
            int n = 0;
            szSymbol[n++] = *m_p++;
            for (; IsSymbolChar(*m_p); ++m_p)
            {
                if (n < kMaxSymbolChars)
                    szSymbol[n++] = *m_p;
            }
            szSymbol[n] = 0;
            return PlatformConditionValue(szSymbol);
        }
        if (IsDigit(c))
        {
            bool bNonZero = false;
            for (; IsDigit(*m_p); ++m_p)
                bNonZero = bNonZero || *m_p != '0';
            return bNonZero;
        }
        SpewMessage("Bad expression token: %c", c);
        return false;
    }

    const char* m_p;
};

bool NameIs(const char* pszName, const char* pszKnown)
{
    return V_CompareNoCaseN(pszName, pszKnown, 128) == 0;
}
} // namespace

bool EvaluateConditional(const char* pszExpression)
{
    if (!pszExpression)
        return false;
    CExpressionEvaluator evaluator(pszExpression);
    return evaluator.Expression(0);
}

bool PlatformConditionValue(const char* pszSymbol)
{
    if (NameIs(pszSymbol, "$0"))
        return false;
    if (NameIs(pszSymbol, "$1"))
        return true;
    const char* pszName = pszSymbol[0] == '$' ? pszSymbol + 1 : pszSymbol;
    if (NameIs(pszName, "WINDOWS") || NameIs(pszName, "WIN32"))
        return true;
    if (NameIs(pszName, "VISTA"))
        return WindowsVersionCode() > 8;
    if (NameIs(pszName, "WIN7"))
        return WindowsVersionCode() > 9;
    static const char* const kFalseNames[] = {"WIN64", "OSX",     "POSIX", "LINUX",
                                              "LINUX32", "LINUX64", "X360",  "PS3"};
    for (const char* pszFalse : kFalseNames)
    {
        if (NameIs(pszName, pszFalse))
            return false;
    }
    return KeyValuesSystem()->ExpressionSymbolValue(pszSymbol);
}

int WindowsVersionCodeFor(bool (*pfnIsAtLeast)(int nMajor, int nMinor), bool bWorkstation)
{
    if (pfnIsAtLeast(6, 4))
        return 16;
    if (pfnIsAtLeast(6, 3))
        return bWorkstation ? 14 : 15;
    if (pfnIsAtLeast(6, 2))
        return bWorkstation ? 13 : 12;
    if (pfnIsAtLeast(6, 1))
        return bWorkstation ? 10 : 11;
    if (pfnIsAtLeast(6, 0))
        return bWorkstation ? 9 : 11;
    if (pfnIsAtLeast(5, 1))
        return bWorkstation ? 7 : 8;
    if (pfnIsAtLeast(5, 0))
        return 6;
    return 0;
}

int WindowsVersionCode()
{
    static const int s_nCode =
        WindowsVersionCodeFor(Plat_IsWindowsVersionAtLeast, Plat_IsWindowsWorkstation());
    return s_nCode;
}

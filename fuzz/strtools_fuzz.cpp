// Feeds arbitrary text to the path and string tools with every small
// capacity and checks what they promise: results stay terminated inside the
// capacity, in-place rewrites never lengthen the text, and returned
// positions lie inside the input.
#include "core/dbg.h"
#include "util/strtools.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// Argument-fault reports and the "no room" error must not end the run.
SpewRetval_t QuietSpew(SpewType_t, const char*)
{
    return SPEW_CONTINUE;
}

void Check(bool bCondition)
{
    if (!bCondition)
        abort();
}

// A buffer with guard bytes after the capacity, to see writes past it.
struct Guarded
{
    static constexpr int kGuard = 16;
    std::string bytes;
    int nCapacity;
    explicit Guarded(int nCap) : bytes(static_cast<size_t>(nCap) + kGuard, '\xA5'), nCapacity(nCap) {}
    char* Data() { return &bytes[0]; }
    void CheckGuard() const
    {
        for (int i = 0; i < kGuard; ++i)
            Check(bytes[static_cast<size_t>(nCapacity + i)] == '\xA5');
        Check(nCapacity == 0 || memchr(bytes.data(), 0, static_cast<size_t>(nCapacity)) != nullptr);
    }
};

void InPlace(const std::string& text)
{
    std::string s = text;
    V_CollapseDoubleSlashes(&s[0]);
    Check(strlen(s.c_str()) <= text.size());

    s = text;
    V_RemoveDotSlashes(&s[0], '\\');
    Check(strlen(s.c_str()) <= text.size());
    s = text;
    V_RemoveDotSlashes(&s[0], '/');

    s = text;
    V_CutLastComponent(&s[0]);
    Check(strlen(s.c_str()) <= text.size());

    s = text;
    V_LowerAscii(&s[0]);
    V_SetSeparators(&s[0], '/');
    Check(strlen(s.c_str()) == strlen(text.c_str()));
}

void Positions(const std::string& text, const std::string& other)
{
    const char* p = text.c_str();
    const char* pEnd = p + strlen(p);
    const char* q = V_LastComponent(p);
    Check(q >= p && q <= pEnd);
    q = V_ExtensionOf(p);
    Check(!q || (q > p && q <= pEnd));
    q = V_FindNoCase(p, other.c_str());
    Check(!q || (q >= p && q < pEnd));
    V_atoi(p, &q);
    Check(q >= p && q <= pEnd);
    V_CompareN(p, other.c_str(), 0x7FFFFFFF);
    V_CompareNoCaseN(p, other.c_str(), 0x7FFFFFFF);
    V_IsAbsolute(p);
}

void Bounded(const std::string& text, const std::string& other, int nCapacity)
{
    const char* p = text.c_str();
    {
        Guarded g(nCapacity);
        V_CopyBounded(g.Data(), p, nCapacity);
        g.CheckGuard();
    }
    if (nCapacity > 0)
    {
        Guarded g(nCapacity);
        V_CopyBounded(g.Data(), other.c_str(), nCapacity);
        V_AppendBounded(g.Data(), p, nCapacity);
        g.CheckGuard();
        V_AppendSlash(g.Data(), nCapacity);
        g.CheckGuard();
    }
    {
        Guarded g(nCapacity);
        V_CopyExtension(p, g.Data(), nCapacity);
        g.CheckGuard();
    }
    if (nCapacity > 0)
    {
        Guarded g(nCapacity);
        V_CopyBaseName(p, g.Data(), nCapacity);
        g.CheckGuard();
        Guarded d(nCapacity);
        V_CopyDirectory(p, d.Data(), nCapacity);
        d.CheckGuard();
        Guarded a(nCapacity);
        V_MakeAbsolutePath(a.Data(), nCapacity, p, other.empty() ? nullptr : other.c_str());
        a.CheckGuard();
        Guarded f(nCapacity);
        V_FormatBounded(f.Data(), nCapacity, "%s|%s", p, other.c_str());
        f.CheckGuard();
        Guarded h(nCapacity);
        V_BytesToHex(reinterpret_cast<const unsigned char*>(p), static_cast<int>(text.size()), h.Data(),
                     nCapacity);
        h.CheckGuard();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    static bool s_bQuiet = (SpewOutputFunc(QuietSpew), true);
    (void)s_bQuiet;
    // Two texts: the input split at its first NUL (or whole, and empty).
    const std::string input(reinterpret_cast<const char*>(pData), nSize);
    const size_t nSplit = input.find('\0');
    const std::string text = input.substr(0, nSplit);
    const std::string other = nSplit == std::string::npos ? std::string() : input.substr(nSplit + 1).c_str();

    InPlace(text);
    Positions(text, other);
    for (int nCapacity : {0, 1, 2, 3, 4, 7, 16, 64, 260})
        Bounded(text, other, nCapacity);
    return 0;
}

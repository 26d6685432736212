// Key-value nodes: structure, lookups and values. The text parser is in
// keyvalues_parser.cpp.
#include "util/keyvalues.h"

#include "util/strtools.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
// The characters a number may be written with; anything else makes a string.
bool HasOnlyNumberChars(const char* psz)
{
    for (; *psz; ++psz)
    {
        const char c = *psz;
        if (!((c >= '0' && c <= '9') || c == '+' || c == ',' || c == '-' || c == '.' || c == ' '))
            return false;
    }
    return true;
}

// True (and the value) when the text is a plain decimal int: made of number
// characters, converted completely within 32 bits, and without a leading
// zero unless it is "0".
bool ParseIntValue(const char* psz, int32_t* pnValue)
{
    if (!psz[0] || !HasOnlyNumberChars(psz) || (psz[0] == '0' && psz[1] != 0))
        return false;
    errno = 0;
    char* pEnd = nullptr;
    const long long nValue = strtoll(psz, &pEnd, 10);
    if (*pEnd != 0 || errno == ERANGE || nValue < INT32_MIN || nValue > INT32_MAX)
        return false;
    *pnValue = static_cast<int32_t>(nValue);
    return true;
}
} // namespace

KeyValues::KeyValues(const char* pszName) : m_nInfo(0), m_pPeer(nullptr)
{
    m_value.pFirstChild = nullptr;
    SetName(pszName);
}

void KeyValues::Destroy()
{
    // Iterative, so that neither long peer lists nor deep trees can exhaust
    // the stack: a block's children are moved in front of the nodes still
    // to be freed.
    KeyValues* pPending = this;
    while (pPending)
    {
        KeyValues* pNode = pPending;
        pPending = pNode->m_pPeer;
        if (pNode->Type() == TYPE_NONE && pNode->m_value.pFirstChild)
        {
            KeyValues* pLast = pNode->m_value.pFirstChild;
            while (pLast->m_pPeer)
                pLast = pLast->m_pPeer;
            pLast->m_pPeer = pPending;
            pPending = pNode->m_value.pFirstChild;
        }
        else if (pNode->m_nInfo & kHeapStringBit)
        {
            free(pNode->m_value.pszHeap);
        }
        delete pNode;
    }
}

void KeyValues::Clear()
{
    if (Type() == TYPE_NONE)
    {
        if (m_value.pFirstChild)
            m_value.pFirstChild->Destroy();
    }
    else if (m_nInfo & kHeapStringBit)
    {
        free(m_value.pszHeap);
    }
    m_value.pFirstChild = nullptr;
    m_nInfo &= ~(kTypeMask | kHeapStringBit);
}

const char* KeyValues::Name() const
{
    return KeyValuesSystem()->NameForSymbol(NameSymbol());
}

void KeyValues::SetName(const char* pszName)
{
    SetNameSymbol(KeyValuesSystem()->SymbolForName(pszName, true));
}

void KeyValues::SetUsesEscapeSequences(bool bEscapes)
{
    m_nInfo = bEscapes ? (m_nInfo | kEscapeBit) : (m_nInfo & ~kEscapeBit);
}

// ---------------------------------------------------------------------------
// Structure

KeyValues* KeyValues::FindChild(HKeySymbol nSymbol) const
{
    for (KeyValues* p = FirstChild(); p; p = p->m_pPeer)
    {
        if (p->NameSymbol() == nSymbol)
            return p;
    }
    return nullptr;
}

void KeyValues::AppendChild(KeyValues* pChild)
{
    if (Type() != TYPE_NONE)
        Clear();
    if (!m_value.pFirstChild)
    {
        m_value.pFirstChild = pChild;
        return;
    }
    KeyValues* pLast = m_value.pFirstChild;
    while (pLast->m_pPeer)
        pLast = pLast->m_pPeer;
    pLast->m_pPeer = pChild;
}

void KeyValues::UnlinkChild(KeyValues* pChild)
{
    KeyValues** ppLink = Type() == TYPE_NONE ? &m_value.pFirstChild : nullptr;
    while (ppLink && *ppLink)
    {
        if (*ppLink == pChild)
        {
            *ppLink = pChild->m_pPeer;
            pChild->m_pPeer = nullptr;
            return;
        }
        ppLink = &(*ppLink)->m_pPeer;
    }
}

KeyValues* KeyValues::LookupKey(const char* pszPath, bool bCreate)
{
    KeyValues* pNode = this;
    const char* p = pszPath;
    while (p && *p)
    {
        // One path component at a time (at most 1023 characters of it).
        const char* pSlash = strchr(p, '/');
        char szComponent[1024];
        const char* pszName = p;
        if (pSlash)
        {
            size_t nLength = static_cast<size_t>(pSlash - p);
            if (nLength > sizeof(szComponent) - 1)
                nLength = sizeof(szComponent) - 1;
            memcpy(szComponent, p, nLength);
            szComponent[nLength] = 0;
            pszName = szComponent;
        }
        const HKeySymbol nSymbol = KeyValuesSystem()->SymbolForName(pszName, bCreate);
        if (nSymbol == 0)
            return nullptr;
        KeyValues* pChild = pNode->FindChild(nSymbol);
        if (!pChild)
        {
            if (!bCreate)
                return nullptr;
            pChild = new KeyValues(nullptr);
            pChild->SetNameSymbol(nSymbol);
            pChild->SetUsesEscapeSequences(pNode->UsesEscapeSequences());
            pNode->AppendChild(pChild);
        }
        pNode = pChild;
        p = pSlash ? pSlash + 1 : nullptr;
    }
    return pNode;
}

KeyValues* KeyValues::FirstValueChild() const
{
    KeyValues* p = FirstChild();
    while (p && p->Type() == TYPE_NONE)
        p = p->m_pPeer;
    return p;
}

KeyValues* KeyValues::NextValuePeer() const
{
    KeyValues* p = m_pPeer;
    while (p && p->Type() == TYPE_NONE)
        p = p->m_pPeer;
    return p;
}

// ---------------------------------------------------------------------------
// Values

const char* KeyValues::StringText() const
{
    return (m_nInfo & kHeapStringBit) ? m_value.pszHeap : m_value.szInline;
}

void KeyValues::SetStringValue(const char* pszValue)
{
    if (!pszValue)
        pszValue = "";
    // Copy before clearing: the text may be this node's own value.
    const size_t nBytes = strlen(pszValue) + 1;
    Value newValue;
    bool bHeap = nBytes > kInlineStringBytes;
    if (bHeap)
    {
        newValue.pszHeap = static_cast<char*>(malloc(nBytes));
        if (newValue.pszHeap)
        {
            memcpy(newValue.pszHeap, pszValue, nBytes);
        }
        else
        {
            // No memory: keep the empty text rather than fail.
            bHeap = false;
            newValue.szInline[0] = 0;
        }
    }
    else
    {
        memcpy(newValue.szInline, pszValue, nBytes);
    }
    Clear();
    m_value = newValue;
    if (bHeap)
        m_nInfo |= kHeapStringBit;
    SetType(TYPE_STRING);
}

void KeyValues::SetIntValue(int nValue)
{
    Clear();
    m_value.nInt = nValue;
    SetType(TYPE_INT);
}

void KeyValues::SetTypedValue(const char* pszValue)
{
    int32_t nValue = 0;
    if (pszValue && ParseIntValue(pszValue, &nValue))
        SetIntValue(nValue);
    else
        SetStringValue(pszValue);
}

const char* KeyValues::ValueAsString(const char* pszDefault)
{
    switch (Type())
    {
    case TYPE_STRING:
        return StringText();
    case TYPE_INT:
    {
        char szText[16];
        snprintf(szText, sizeof(szText), "%d", static_cast<int>(m_value.nInt));
        SetStringValue(szText);
        return StringText();
    }
    default:
        return pszDefault;
    }
}

int KeyValues::ValueAsInt(int nDefault)
{
    switch (Type())
    {
    case TYPE_INT:
        return m_value.nInt;
    case TYPE_STRING:
    {
        const char* pszText = StringText();
        return pszText[0] ? V_atoi(pszText) : nDefault;
    }
    default:
        return nDefault;
    }
}

bool KeyValues::ValueAsBool(bool bDefault)
{
    if (Type() == TYPE_STRING)
    {
        const char* pszText = StringText();
        if (V_CompareNoCaseN(pszText, "true", 5) == 0)
            return true;
        if (V_CompareNoCaseN(pszText, "false", 6) == 0)
            return false;
    }
    else if (Type() != TYPE_INT)
    {
        return bDefault;
    }
    return ValueAsInt(bDefault ? 1 : 0) != 0;
}

const char* KeyValues::ValueAsString(KeyValues* pKey, const char* pszDefault)
{
    return pKey ? pKey->ValueAsString(pszDefault) : pszDefault;
}

int KeyValues::ValueAsInt(KeyValues* pKey, int nDefault)
{
    return pKey ? pKey->ValueAsInt(nDefault) : nDefault;
}

bool KeyValues::ValueAsBool(KeyValues* pKey, bool bDefault)
{
    return pKey ? pKey->ValueAsBool(bDefault) : bDefault;
}

// A tree of named keys read from key-value text:
//
//   "mount"                 // a block of keys
//   {
//       "1"  "qars\base"    // a string value
//       size 42             // an int value (quotes are optional)
//       "x360only" "1" [$X360]   // kept only where the conditional holds
//   }
//
// One node is one key: a block (type none, with children), a string or an
// int. Names are pooled symbols (case-insensitive). A node owns its value
// and children; Destroy() frees it, its children and its following peers.
#pragma once

#include "util/keyvaluessystem.h"

#include <cstdint>

class CUtlBuffer;
class KeyValuesTextParser;

class KeyValues
{
public:
    enum Type_t
    {
        TYPE_NONE = 0,   // a block: may have children
        TYPE_STRING = 1,
        TYPE_INT = 2,
    };

    // A block key with that name. Nodes live on the heap and end with
    // Destroy().
    explicit KeyValues(const char* pszName);
    KeyValues(const KeyValues&) = delete;
    KeyValues& operator=(const KeyValues&) = delete;

    // Frees this node, its value and children, and every peer that follows it.
    void Destroy();

    // Parses the text (read from the buffer's read position) into this node
    // and new peers after it: this node takes the first kept top-level key,
    // further ones follow as peers. True when no error was reported; what
    // was read stays in the tree either way. pszResourceName is shown in
    // messages.
    bool LoadFromBuffer(const char* pszResourceName, CUtlBuffer& buf);

    // --- Structure ---

    const char* Name() const;
    HKeySymbol NameSymbol() const { return m_nInfo & kSymbolMask; }
    void SetName(const char* pszName);
    Type_t Type() const { return static_cast<Type_t>((m_nInfo >> kTypeShift) & 0xF); }
    KeyValues* FirstChild() const { return Type() == TYPE_NONE ? m_value.pFirstChild : nullptr; }
    KeyValues* NextPeer() const { return m_pPeer; }

    // Links pChild after the last child (a node holding a value becomes a
    // block first).
    void AppendChild(KeyValues* pChild);

    // The child at a name or a path such as "a/b/c" (null or empty: this
    // node). With bCreate, missing keys are created along the path.
    KeyValues* LookupKey(const char* pszPath, bool bCreate = false);
    // The first child that holds a value, or null.
    KeyValues* FirstValueChild() const;
    // The next following peer that holds a value, or null.
    KeyValues* NextValuePeer() const;

    // Quoted strings of this node's text are read with C escapes (\n, \"
    // ...) when on; children inherit it. Off unless set.
    void SetUsesEscapeSequences(bool bEscapes);
    bool UsesEscapeSequences() const { return (m_nInfo & kEscapeBit) != 0; }

    // --- Values ---

    // String: its text. Int: its decimal text (the node becomes a string
    // node holding it). A block: the default.
    const char* ValueAsString(const char* pszDefault = "");
    // Int: the value. String: its number (decimal, 0x hexadecimal or 'c');
    // the default when empty. A block: the default.
    int ValueAsInt(int nDefault = 0);
    // "true" / "false" in any case, else ValueAsInt != 0. A block: the default.
    bool ValueAsBool(bool bDefault = false);

    // The same on a key that may be missing (null): then the default. A
    // lookup followed by a read needs no null test this way:
    //   KeyValues::ValueAsBool(pRoot->LookupKey("spewfileio"), false)
    static const char* ValueAsString(KeyValues* pKey, const char* pszDefault);
    static int ValueAsInt(KeyValues* pKey, int nDefault);
    static bool ValueAsBool(KeyValues* pKey, bool bDefault);

    // Replaces the value with a string, or an int.
    void SetStringValue(const char* pszValue);
    void SetIntValue(int nValue);
    // Stores a parsed value: an int when the text is a plain decimal number
    // within 32 bits ("42", "-7", "+7", "0"), else a string ("012", "1.5").
    void SetTypedValue(const char* pszValue);

    // Frees the value or the children: the node becomes an empty block.
    void Clear();

private:
    friend class KeyValuesTextParser;

    static constexpr uint32_t kSymbolMask = 0x00FFFFFFu;
    static constexpr int kTypeShift = 24;
    static constexpr uint32_t kTypeMask = 0x0F000000u;
    static constexpr uint32_t kEscapeBit = 0x40000000u;
    static constexpr uint32_t kHeapStringBit = 0x80000000u;
    static constexpr int kInlineStringBytes = 8; // terminator included

    ~KeyValues() = default;

    void SetType(Type_t eType) { m_nInfo = (m_nInfo & ~kTypeMask) | (uint32_t(eType) << kTypeShift); }
    void SetNameSymbol(HKeySymbol nSymbol) { m_nInfo = (m_nInfo & ~kSymbolMask) | (nSymbol & kSymbolMask); }
    const char* StringText() const;
    // Reads this block's keys up to and including its closing '}'.
    void RecursiveLoadFromBuffer(CUtlBuffer& buf, KeyValuesTextParser& parser);
    // The first child with the symbol, or null.
    KeyValues* FindChild(HKeySymbol nSymbol) const;
    // Unlinks a child (when it is one) without destroying it.
    void UnlinkChild(KeyValues* pChild);

    // By type: the first child, the characters of a short string, a heap
    // copy of a longer one, or the int.
    union Value
    {
        KeyValues* pFirstChild;
        char szInline[kInlineStringBytes];
        char* pszHeap;
        int32_t nInt;
    } m_value;
    // Bits 0-23 name symbol, 24-27 type, 30 escapes, 31 heap string.
    uint32_t m_nInfo;
    KeyValues* m_pPeer;
};

static_assert(sizeof(void*) != 4 || sizeof(KeyValues) == 16,
              "a key-value node takes 16 bytes on a 32-bit build");

// The key name pool: every key name gets a 24-bit symbol, the same for names
// that differ only in ASCII letter case, and one copy of its text for the
// life of the process. Also holds the table of user-defined conditional
// symbols consulted by the key-value conditionals.
#pragma once

#include "core/threadtools.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <vector>

// Symbol 0 is the empty name.
typedef uint32_t HKeySymbol;

class IKeyValuesSystem
{
public:
    // The name's symbol; 0 for a null or empty name, an absent name without
    // bCreate, or a name too long to pool.
    virtual HKeySymbol SymbolForName(const char* pszName, bool bCreate) = 0;
    // The pooled text; "" for 0 or an unknown symbol.
    virtual const char* NameForSymbol(HKeySymbol nSymbol) = 0;
    // The stored value of a user-defined conditional symbol (with or without
    // a leading '$'); false when absent.
    virtual bool ExpressionSymbolValue(const char* pszName) = 0;

protected:
    ~IKeyValuesSystem() = default;
};

class CKeyValuesSystem final : public IKeyValuesSystem
{
public:
    static constexpr uint32_t kPageSize = 0x8000;
    static constexpr uint32_t kMaxPages = 512;
    static constexpr uint32_t kPoolSize = kPageSize * kMaxPages; // symbols stay below this
    static constexpr uint32_t kBucketCount = 4096;
    static constexpr uint32_t kMaxNameBytes = 1023; // terminator included

    CKeyValuesSystem();
    ~CKeyValuesSystem();
    CKeyValuesSystem(const CKeyValuesSystem&) = delete;
    CKeyValuesSystem& operator=(const CKeyValuesSystem&) = delete;

    HKeySymbol SymbolForName(const char* pszName, bool bCreate) override;
    const char* NameForSymbol(HKeySymbol nSymbol) override;
    bool ExpressionSymbolValue(const char* pszName) override;

    // Defines a conditional symbol for ExpressionSymbolValue (for callers
    // with conditions of their own; the library itself defines none).
    void SetExpressionSymbol(const char* pszName, bool bValue);

    // Bytes of the pool used so far (the next symbol to be handed out).
    uint32_t BytesUsed() const { return m_nNextFree.load(std::memory_order_acquire); }

private:
    // One name in the hash table. The inline entry of a bucket is free while
    // its symbol is 0; chain entries are linked in only once filled.
    struct HashEntry
    {
        uint32_t nHash = 0;
        std::atomic<uint32_t> nSymbol{0};
        std::atomic<HashEntry*> pNext{nullptr};
    };

    // Copies nBytes (terminator included) into the pages; the copy's symbol,
    // or 0 when the name is too long or the pool is full.
    HKeySymbol AddStringToPool(const char* pszText, uint32_t nBytes);
    HKeySymbol FindInBucket(const HashEntry& bucket, uint32_t nHash, const char* pszName,
                            uint32_t nLength);
    HashEntry* NewChainEntry();

    CSpinRWLock m_lock;
    char* m_pPages[kMaxPages] = {};
    uint32_t m_nPagesAllocated = 0;
    std::atomic<uint32_t> m_nNextFree{0};
    HashEntry m_buckets[kBucketCount];

    // Chain entries are carved from blocks that live as long as the pool.
    std::vector<HashEntry*> m_entryBlocks;
    uint32_t m_nEntriesLeftInBlock = 0;

    std::map<HKeySymbol, bool> m_expressionSymbols;
};

// The process-wide pool, created on first use and destroyed at exit.
CKeyValuesSystem* KeyValuesSystem();

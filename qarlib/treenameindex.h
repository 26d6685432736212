// An open-addressed hash table from a 32-bit hash to a 32-bit value (a tree
// position or a node number), sized once for a known number of entries.
// The store builds two at mount time: directories by (extension node,
// directory string) and file names by (directory node, name), so a lookup
// probes a few adjacent entries instead of scanning a chain or a list.
// The caller's predicate decides whether a candidate value is the key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class CTreeNameIndex
{
public:
    static constexpr uint32_t EMPTY = UINT32_MAX;

    // Empties the table and sizes it for nCount entries (load at most 0.8).
    void Reset(size_t nCount);

    // Hash of a key of n bytes within the node nSeed (the extension node of
    // a directory, the directory node of a file name): 8 bytes at a time,
    // cheaper than the archive's hash for the lengths names have. The tables
    // live only in memory, so the function is free to change.
    static uint32_t Hash(const char* pKey, size_t n, uint32_t nSeed)
    {
        uint64_t h = ((static_cast<uint64_t>(nSeed) << 32) | n) * 0x9E3779B97F4A7C15ull;
        for (; n >= 8; pKey += 8, n -= 8)
            h = Mix(h, Load(pKey, 8));
        if (n)
            h = Mix(h, Load(pKey, n));
        h *= 0x94D049BB133111EBull;
        return static_cast<uint32_t>(h ^ (h >> 32));
    }

    // The first value with this hash that the predicate accepts; EMPTY if none.
    template <typename Match>
    uint32_t Find(uint32_t nHash, Match match) const
    {
        if (m_slots.empty())
            return EMPTY;
        for (uint32_t i = nHash & m_nMask;; i = (i + 1) & m_nMask)
        {
            const Slot& slot = m_slots[i];
            if (slot.nValue == EMPTY)
                return EMPTY;
            if (slot.nHash == nHash && match(slot.nValue))
                return slot.nValue;
        }
    }

    // Adds a value. An entry the predicate accepts as the same key is kept
    // (bReplace false) or given the new value (bReplace true).
    template <typename Match>
    void Insert(uint32_t nHash, uint32_t nValue, bool bReplace, Match sameKey)
    {
        for (uint32_t i = nHash & m_nMask;; i = (i + 1) & m_nMask)
        {
            Slot& slot = m_slots[i];
            if (slot.nValue == EMPTY)
            {
                slot.nHash = nHash;
                slot.nValue = nValue;
                return;
            }
            if (slot.nHash == nHash && sameKey(slot.nValue))
            {
                if (bReplace)
                    slot.nValue = nValue;
                return;
            }
        }
    }

    size_t MemoryBytes() const { return m_slots.capacity() * sizeof(Slot); }

private:
    static uint64_t Load(const char* p, size_t n)
    {
        uint64_t w = 0;
        memcpy(&w, p, n);
        return w;
    }
    static uint64_t Mix(uint64_t h, uint64_t w)
    {
        h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 31);
    }

    struct Slot
    {
        uint32_t nHash;
        uint32_t nValue;
    };
    std::vector<Slot> m_slots;
    uint32_t m_nMask = 0;
};

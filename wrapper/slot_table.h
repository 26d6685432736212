// A growable table of numbered slots for handle tables: a handle resolves to
// its value by direct indexing, freed slots are reused most-recently-freed
// first, and the table grows by one slot at its end when none is free. Not
// locked: its owner guards it.
#pragma once

#include <cstdint>
#include <vector>

template <typename T>
class CSlotTable
{
public:
    // nSlotLimit: every slot index stays below it.
    explicit CSlotTable(uint32_t nSlotLimit) : m_nSlotLimit(nSlotLimit) {}

    // The slot that now holds the value, or -1 when the limit is reached.
    int64_t Add(T value)
    {
        uint32_t nSlot;
        if (!m_freeSlots.empty())
        {
            nSlot = m_freeSlots.back();
            m_freeSlots.pop_back();
        }
        else
        {
            if (m_slots.size() >= m_nSlotLimit)
                return -1;
            nSlot = static_cast<uint32_t>(m_slots.size());
            m_slots.push_back(Slot{});
        }
        m_slots[nSlot].value = value;
        m_slots[nSlot].bInUse = true;
        return nSlot;
    }

    // True when the slot is in use; its value is stored in *pValue.
    bool Get(uint32_t nSlot, T* pValue) const
    {
        if (nSlot >= m_slots.size() || !m_slots[nSlot].bInUse)
            return false;
        *pValue = m_slots[nSlot].value;
        return true;
    }

    // Frees a slot in use and hands back its value; false for any other slot.
    bool Remove(uint32_t nSlot, T* pValue)
    {
        if (!Get(nSlot, pValue))
            return false;
        m_slots[nSlot] = Slot{};
        m_freeSlots.push_back(nSlot);
        return true;
    }

    // Calls fn(value) for every slot in use, in slot order.
    template <typename Fn>
    void ForEach(Fn fn) const
    {
        for (const Slot& slot : m_slots)
            if (slot.bInUse)
                fn(slot.value);
    }

    // Frees every slot, keeping the table's size, so that slots are handed
    // out again in ascending order from 0.
    void FreeAll()
    {
        m_freeSlots.clear();
        for (uint32_t nSlot = static_cast<uint32_t>(m_slots.size()); nSlot-- > 0;)
        {
            m_slots[nSlot] = Slot{};
            m_freeSlots.push_back(nSlot);
        }
    }

    uint32_t SlotCount() const { return static_cast<uint32_t>(m_slots.size()); }

private:
    struct Slot
    {
        T value{};
        bool bInUse = false;
    };
    uint32_t m_nSlotLimit;
    std::vector<Slot> m_slots;
    std::vector<uint32_t> m_freeSlots; // the back is handed out next
};

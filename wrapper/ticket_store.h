// The ring of stored user identity tickets that validation polls.
#pragma once

#include "public/wexla_records.h"

#include <cstdint>
#include <mutex>

class CTicketStore
{
public:
    static constexpr uint32_t kSlotCount = 32;

    // nFirstHandle lets tests start near the counter's wrap.
    explicit CTicketStore(uint32_t nFirstHandle = 1) : m_nNextHandle(nFirstHandle) {}

    // Copies the ticket into slot (handle mod 32), stamps the handle into its
    // last word and returns the handle. Handles count up by one per stored
    // ticket; 0 is skipped when the counter wraps, as it stands for none.
    uint32_t Store(const TWexlaUserTicket& ticket);

    // The stored ticket of a handle: false for 0, for a handle whose slot was
    // reused since, and for a ticket without this library's marker.
    bool Find(uint32_t nHandle, TWexlaUserTicket* pTicket);

private:
    std::mutex m_lock; // guards m_slots and m_nNextHandle
    TWexlaUserTicket m_slots[kSlotCount] = {};
    uint32_t m_nNextHandle;
};

// The process-wide store, alive from load to unload; start-up and cleanup do
// not reset it.
CTicketStore& UserTickets();

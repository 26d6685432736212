#include "wrapper/ticket_store.h"

uint32_t CTicketStore::Store(const TWexlaUserTicket& ticket)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_nNextHandle == 0)
        m_nNextHandle = 1;
    const uint32_t nHandle = m_nNextHandle++;
    TWexlaUserTicket& slot = m_slots[nHandle % kSlotCount];
    slot = ticket;
    slot.nHandle = nHandle;
    return nHandle;
}

bool CTicketStore::Find(uint32_t nHandle, TWexlaUserTicket* pTicket)
{
    if (nHandle == 0)
        return false;
    std::lock_guard<std::mutex> hold(m_lock);
    const TWexlaUserTicket& slot = m_slots[nHandle % kSlotCount];
    if (slot.nHandle != nHandle || slot.nMarker != WEXLA_TICKET_MARKER)
        return false;
    *pTicket = slot;
    return true;
}

CTicketStore& UserTickets()
{
    static CTicketStore store;
    return store;
}

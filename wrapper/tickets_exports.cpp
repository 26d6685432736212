// A ticket is the current user's identity behind this library's marker, with
// no encryption: the server side only ever validates tickets this library
// made. Validation stores the ticket in a ring and answers polls from it.
#include "wrapper/tickets_exports.h"

#include "wrapper/ticket_store.h"
#include "wrapper/user_identity.h"

#include <cstring>

namespace
{
// Handed to servers as the key for their clients; the ticket maker ignores it.
constexpr char kTicketKey[] = "Qz7LegacyTicketKeyMaterial";
static_assert(sizeof(kTicketKey) == 27, "26 characters and the terminator");

// Documentation-range addresses: the list is a fixed answer, not a service.
const char* const kListedServers[WEXLA_LISTED_SERVER_COUNT] = {
    "192.0.2.10:27015",
    "198.51.100.20:27011",
    "203.0.113.30:27011",
};

TWexlaUserTicket MakeTicket(uint32_t nAccountNumber)
{
    TWexlaUserTicket ticket;
    memset(&ticket, 0, sizeof(ticket));
    ticket.nMarker = WEXLA_TICKET_MARKER;
    WriteUserIdentity(&ticket.user, nAccountNumber);
    return ticket;
}
} // namespace

WEXLA_API const char* WexlaGetEncryptionKeyToSendToNewClient(uint32_t* pnKeyLength)
{
    WEXLA_TRACE("WexlaGetEncryptionKeyToSendToNewClient");
    if (pnKeyLength)
        *pnKeyLength = sizeof(kTicketKey);
    return kTicketKey;
}

// A ticket is written only whole: with no buffer or one stated below 32
// bytes nothing is written, the size output says 0 and the record says why.
WEXLA_API int WexlaGetEncryptedUserIDTicket(const void* /*pKey*/, uint32_t nKeyLength, void* pTicket,
                                            uint32_t nTicketCapacity, uint32_t* pnTicketSize, TWexlaError* pError)
{
    ClearWexlaError(pError);
    WEXLA_TRACE("WexlaGetEncryptedUserIDTicket: server key length %u", nKeyLength);
    if (!pTicket || nTicketCapacity < WEXLA_TICKET_SIZE)
    {
        if (pnTicketSize)
            *pnTicketSize = 0;
        if (pError)
            SetWexlaError(pError, "Ticket buffer too small", eWexlaErrorFailed);
        return eWexlaTicketRefused;
    }
    uint64_t uIdentity = 0;
    QueryCurrentIdentity(&uIdentity);
    const TWexlaUserTicket ticket = MakeTicket(AccountNumberOf(uIdentity));
    memcpy(pTicket, &ticket, sizeof(ticket));
    if (pnTicketSize)
        *pnTicketSize = WEXLA_TICKET_SIZE;
    return eWexlaTicketOk;
}

WEXLA_API int WexlaInitializeUserIDTicketValidator()
{
    WEXLA_TRACE("WexlaInitializeUserIDTicketValidator");
    return 0;
}

WEXLA_API int WexlaShutdownUserIDTicketValidator()
{
    WEXLA_TRACE("WexlaShutdownUserIDTicketValidator");
    return 0;
}

// Any 32 bytes are stored; the marker is checked when the handle is polled.
// Without a ticket or a place for its handle nothing is stored.
WEXLA_API int WexlaStartValidatingUserIDTicket(const void* pTicket, uint32_t nTicketSize, uint32_t /*uUnused*/,
                                               uint32_t* phValidation)
{
    WEXLA_TRACE("WexlaStartValidatingUserIDTicket");
    if (nTicketSize != WEXLA_TICKET_SIZE || !pTicket || !phValidation)
    {
        if (phValidation)
            *phValidation = 0;
        return eWexlaTicketRefused;
    }
    TWexlaUserTicket ticket;
    memcpy(&ticket, pTicket, sizeof(ticket));
    *phValidation = UserTickets().Store(ticket);
    return eWexlaTicketPending;
}

WEXLA_API int WexlaProcessOngoingUserIDTicketValidation(uint32_t hValidation, TWexlaUserIdentity* pUser,
                                                        uint32_t* pnExtraWord, uint32_t /*uUnused4*/,
                                                        uint32_t /*uUnused5*/, uint32_t* pnSixth)
{
    WEXLA_TRACE("WexlaProcessOngoingUserIDTicketValidation: handle %u", hValidation);
    if (hValidation == 0)
        return eWexlaTicketNoHandle;
    TWexlaUserTicket ticket;
    if (!UserTickets().Find(hValidation, &ticket))
        return eWexlaTicketNotFound;
    if (pUser)
        memcpy(pUser, &ticket.user, sizeof(ticket.user));
    if (pnExtraWord)
        *pnExtraWord = ticket.nExtraWord;
    if (pnSixth)
        *pnSixth = 0;
    return eWexlaTicketOk;
}

WEXLA_API void WexlaAbortOngoingUserIDTicketValidation(uint32_t /*hValidation*/)
{
    WEXLA_TRACE("WexlaAbortOngoingUserIDTicketValidation: ");
}

WEXLA_API int WexlaOptionalCleanUpAfterClientHasDisconnected()
{
    WEXLA_TRACE("WexlaOptionalCleanUpAfterClientHasDisconnected: ");
    return 0;
}

WEXLA_API int WexlaFindServersNumServers(uint32_t eServerType)
{
    WEXLA_TRACE("WexlaFindServersNumServers: %u", eServerType);
    return eServerType == WEXLA_SERVER_TYPE_LISTED ? WEXLA_LISTED_SERVER_COUNT : 0;
}

// Copies as the C library's bounded copy does; no buffer, or no room at all,
// is never written.
WEXLA_API int WexlaFindServersIterateServer(uint32_t eServerType, uint32_t uIndex, char* pszBuffer,
                                            uint32_t nCapacity)
{
    WEXLA_TRACE("WexlaFindServersIterateServer: %u, %u", eServerType, uIndex);
    if (eServerType == WEXLA_SERVER_TYPE_LISTED && uIndex < WEXLA_LISTED_SERVER_COUNT && pszBuffer)
    {
        CopyToCallerBuffer(pszBuffer, kListedServers[uIndex], nCapacity);
        return 0;
    }
    if (pszBuffer && nCapacity > 0)
        pszBuffer[0] = '\0';
    return -1;
}

WEXLA_API const char* WexlaFindServersGetErrorString()
{
    return "Wrapper not implemented: WexlaFindServersXXX";
}

// User identity tickets, made and checked by this library, and the fixed
// server list.
#pragma once

#include "wrapper/wexla_frame.h"

// Legacy status numbers of the ticket entry points.
enum EWexlaTicketStatus : int
{
    eWexlaTicketOk = 0,          // made, or validated
    eWexlaTicketRefused = 1,     // not stored (size not 32, or nothing to store or report)
    eWexlaTicketPending = 23,    // stored; poll its handle
    eWexlaTicketNoHandle = 24,   // polled handle 0
    eWexlaTicketNotFound = 36,   // slot reused since, or no marker
};

// The server type the server list answers for, and its number of endpoints.
constexpr uint32_t WEXLA_SERVER_TYPE_LISTED = 4;
constexpr int WEXLA_LISTED_SERVER_COUNT = 3;

WEXLA_API const char* WexlaGetEncryptionKeyToSendToNewClient(uint32_t* pnKeyLength);
WEXLA_API int WexlaGetEncryptedUserIDTicket(const void* pKey, uint32_t nKeyLength, void* pTicket,
                                            uint32_t nTicketCapacity, uint32_t* pnTicketSize, TWexlaError* pError);
WEXLA_API int WexlaInitializeUserIDTicketValidator();
WEXLA_API int WexlaShutdownUserIDTicketValidator();
WEXLA_API int WexlaStartValidatingUserIDTicket(const void* pTicket, uint32_t nTicketSize, uint32_t uUnused,
                                               uint32_t* phValidation);
WEXLA_API int WexlaProcessOngoingUserIDTicketValidation(uint32_t hValidation, TWexlaUserIdentity* pUser,
                                                        uint32_t* pnExtraWord, uint32_t uUnused4, uint32_t uUnused5,
                                                        uint32_t* pnSixth);
WEXLA_API void WexlaAbortOngoingUserIDTicketValidation(uint32_t hValidation);
WEXLA_API int WexlaOptionalCleanUpAfterClientHasDisconnected();
WEXLA_API int WexlaFindServersNumServers(uint32_t eServerType);
WEXLA_API int WexlaFindServersIterateServer(uint32_t eServerType, uint32_t uIndex, char* pszBuffer,
                                            uint32_t nCapacity);
WEXLA_API const char* WexlaFindServersGetErrorString();

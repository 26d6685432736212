#include "wrapper/user_identity.h"

#include "public/wexla_client.h"
#include "wrapper/client_binding.h"

bool QueryCurrentIdentity(uint64_t* pIdentity)
{
    *pIdentity = 0;
    IWexlaUser* pUser = g_ClientBinding.pUser;
    if (!pUser)
        return false;
    pUser->QueryAccountIdentity(pIdentity);
    return true;
}

void WriteUserIdentity(TWexlaUserIdentity* pUser, uint32_t nAccountNumber)
{
    pUser->nHeader = 0;
    pUser->nAccountHigh = nAccountNumber >> 1;
    pUser->nAccountLowBit = nAccountNumber & 1;
}

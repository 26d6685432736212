// The current user's identity as the client reports it, and its legacy
// 16-byte form.
#pragma once

#include "public/wexla_records.h"

#include <cstdint>

// The logged-on user's 64-bit identity from the user interface; false (and 0)
// before start-up has obtained it.
bool QueryCurrentIdentity(uint64_t* pIdentity);

// The account number is the identity's low 32 bits.
inline uint32_t AccountNumberOf(uint64_t uIdentity)
{
    return static_cast<uint32_t>(uIdentity);
}

// Writes the legacy form of an account number: header 0, the number shifted
// right by one, its lowest bit. The six bytes after the header are left alone.
void WriteUserIdentity(TWexlaUserIdentity* pUser, uint32_t nAccountNumber);

// The account number a legacy identity names.
inline uint32_t AccountNumberOf(const TWexlaUserIdentity& user)
{
    return 2 * user.nAccountHigh + user.nAccountLowBit;
}

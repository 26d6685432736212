// The application id start-up falls back to when the client reports none.
#pragma once

#include <cstdint>

// An unsigned decimal number as the C library reads one: leading white
// space and one sign accepted, reading stops at the first non-digit, the low
// 32 bits kept ("-1" gives 4294967295). Text without digits gives 0.
uint32_t ParseAppIdText(const char* pszText);

// "WexlaGameId" read into a 256-byte buffer: its number when the variable
// exists with 1 to 255 characters, else 0.
uint32_t ReadAppIdFromEnvironment();

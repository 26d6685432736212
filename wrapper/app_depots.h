// An application's installed depots as the client lists them.
#pragma once

#include <cstdint>

// How many depot ids the application queries ask the client for (mounting
// asks for more).
constexpr int WEXLA_APP_DEPOT_CAPACITY = 32;

// Zeroes pDepots[0 .. nCapacity), asks the client to fill it and returns how
// many ids it holds: the client's count clamped to 0 .. nCapacity, so a
// client that claims more than it was given room for is never read past.
// 0 before start-up has obtained the applications interface.
int CollectInstalledDepots(uint32_t uAppId, uint32_t* pDepots, int nCapacity);

// True when the client lists the depot among the application's installed
// depots (first WEXLA_APP_DEPOT_CAPACITY of them).
bool IsDepotInstalled(uint32_t uAppId, uint32_t uDepotId);

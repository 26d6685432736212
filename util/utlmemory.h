// Growth rule shared by the utility layer's growable blocks.
#pragma once

// The item count a growable block should have to hold nNewSize items of
// nBytesItem bytes each, given its current count and grow size:
// - nGrowSize > 0: nNewSize rounded up to a multiple of nGrowSize;
// - nGrowSize == 0: from 32 bytes' worth of items (when empty), doubling,
//   with steps of at most 256 MiB worth of items.
// A non-positive item size is reported (non-fatal) and starts at 256 items.
// The result never exceeds INT_MAX; it is at least nNewSize unless that
// cannot be represented.
int UtlMemory_CalcNewAllocationCount(int nAllocationCount, int nGrowSize, int nNewSize,
                                     int nBytesItem);

// MurmurHash3, x86 32-bit variant. The archive index and the key-name pool
// both hash with seed 1047; the pool folds ASCII case while hashing.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t WEXLA_HASH_SEED = 1047;

uint32_t MurmurHash3_32(const void* pKey, size_t nLen, uint32_t nSeed);

// As MurmurHash3_32, with every 4-byte block and the assembled tail ANDed
// with 0xDFDFDFDF before mixing (bit 5 of each byte cleared), so that ASCII
// letters hash the same in either case.
uint32_t MurmurHash3_32_CaseFolded(const void* pKey, size_t nLen, uint32_t nSeed);

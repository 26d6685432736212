// CRC-32 (the reflected 0xEDB88320 polynomial, as in zip and PNG): the file
// checksum an archive's entry records carry.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues a CRC over more bytes; start with 0.
uint32_t QarCrc32(uint32_t nCrc, const void* pData, size_t nLen);

// Small text helpers of the core runtime (the layer below the utility
// layer's string tools).
#pragma once

#include <cstddef>

// Compares at most nMax characters without regard to ASCII letter case, like
// strncasecmp: 0 when equal.
int Core_CompareNoCase(const char* pszA, const char* pszB, size_t nMax);

// Bounded copy that always terminates (when nOutSize > 0); true when the
// whole text fitted.
bool Core_CopyText(char* pszOut, size_t nOutSize, const char* pszText);

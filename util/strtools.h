// Path and string tools. They work in place on NUL-terminated 8-bit text in
// caller-owned buffers with an explicit capacity (terminator included), never
// allocate, and accept both '/' and '\' as separators on input. Argument
// faults are reported as non-fatal assertions and the routine goes on.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "core/dbg.h"

constexpr char CORRECT_PATH_SEPARATOR = '\\';

inline bool V_IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Bounded copy: at most capacity - 1 characters, always terminated (capacity 0
// stores nothing).
void V_CopyBounded(char* pDest, const char* pSrc, int maxLen);

// Appends at most nMaxChars characters of pSrc (-1: all) where they fit.
void V_AppendBounded(char* pDest, const char* pSrc, int nDestSize, int nMaxChars = -1);

// Signed character comparison of at most count positions: -1, 0 or 1.
int V_CompareN(const char* s1, const char* s2, int count);
// As V_CompareN with 'a'..'z' folded to upper case.
int V_CompareNoCaseN(const char* s1, const char* s2, int n);

// First case-insensitive occurrence of pSearch in pStr, or nullptr.
const char* V_FindNoCase(const char* pStr, const char* pSearch);

// 'A'..'Z' to lower case, in place; returns the text.
char* V_LowerAscii(char* pText);

// Every '/' and '\' becomes the separator.
void V_SetSeparators(char* pText, char cSeparator);

// Removes one separator of each adjacent pair, never at position 0. A run of
// three keeps two (legacy behaviour that stored paths rely on).
void V_CollapseDoubleSlashes(char* pText);

// Resolves "." and ".." segments in place with the separator; false when a
// ".." climbs above the start (the text is left as it then is).
bool V_RemoveDotSlashes(char* pText, char cSeparator = CORRECT_PATH_SEPARATOR);

// Appends '\' unless the text is empty or ends with a separator. Without room
// this is an error-level diagnostic (which ends the process).
void V_AppendSlash(char* pText, int nCapacity);

// Makes the path absolute against pBase (absolute or relative) or the working
// directory, then resolves dot segments; '\' separators throughout.
void V_MakeAbsolutePath(char* pDest, int nCapacity, const char* pPath, const char* pBase = nullptr);

// True when the path has a ':' anywhere or starts with a separator.
bool V_IsAbsolute(const char* pPath);

// The part after the last separator (possibly empty), or the whole path.
const char* V_LastComponent(const char* pPath);

// Cuts the text at its last separator at position 1 or later; empty if none.
void V_CutLastComponent(char* pPath);

// The extension after the last '.' of the last component, or nullptr.
const char* V_ExtensionOf(const char* pPath);

void V_CopyExtension(const char* pPath, char* pDest, int nCapacity);
void V_CopyBaseName(const char* pPath, char* pDest, int nCapacity);
// The directory part up to and including the last separator before the last
// character; true when something was copied.
bool V_CopyDirectory(const char* pPath, char* pDest, int nCapacity);

// Bounded printf: returns the number of characters stored (capacity - 1 when
// the text was cut or formatting failed).
int V_FormatBounded(char* pDest, int bufferLen, const char* pFormat, ...) WEXLA_PRINTF(3, 4);
int V_FormatBoundedChecked(char* pDest, int bufferLen, const char* pFormat, va_list args,
                           bool* pbTruncated);

// Decimal, "0x" hexadecimal or 'c' character value with optional sign; no
// overflow check. *ppEnd (when given) receives the end of the number.
int V_atoi(const char* pText, const char** ppEnd = nullptr);

// Two lower-case hex digits per byte, high nibble first.
void V_BytesToHex(const unsigned char* pBytes, int nBytes, char* pDest, int nCapacity);

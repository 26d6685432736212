// Platform conditionals of key-value text, such as [$WIN32] or
// [!$X360 && $WINDOWS].
#pragma once

// Evaluates the expression text that follows the '[' of a conditional, up
// to its closing ']'. Malformed expressions print "Bad expression token"
// messages and yield the value so far.
bool EvaluateConditional(const char* pszExpression);

// The value of one symbol ($WIN32, $X360, ...), names compared without
// regard to case; unknown names are looked up in the name pool's
// user-defined symbols.
bool PlatformConditionValue(const char* pszSymbol);

// A code for the running Windows version (0 older than 2000 ... 16 for 6.4
// and later; odd and even codes tell workstations from servers for 6.x),
// computed once through the platform's version verification.
int WindowsVersionCode();

// The code for a system described by a version test and a product type
// (WindowsVersionCode's rule, separated so it can be checked on its own).
int WindowsVersionCodeFor(bool (*pfnIsAtLeast)(int nMajor, int nMinor), bool bWorkstation);

// What the MSVC-ABI caller (msvc_abi_caller.cpp, compiled for the MSVC C++
// ABI) and the test program share: plain C functions and C types only.
#pragma once

#include <stdint.h>

// What one call through an interface object observed.
struct MsvcCallResult
{
    intptr_t nResult;       // the method's result, 0 for a method without one
    int32_t bStackMeasured; // 1 in 32-bit code, where methods remove their arguments
    int32_t nStackDrift;    // stack pointer after the call minus before it: 0 when the
                            // method removed exactly the arguments it was given
};

extern "C" {
// Calls the method at nPosition (counting from 1) of the object of version
// nVersion (3 to 6) through that version's game-side declaration, with its
// arguments taken in order from pArgs. Position 1 destroys the object as a
// game can: pArgs[0] 1 for "delete p", 0 for an explicit destructor call.
// Returns 0 when the caller has no call written for that version and
// position.
int MsvcCallMethod(void* pObject, int nVersion, int nPosition, const uintptr_t* pArgs, MsvcCallResult* pResult);
}

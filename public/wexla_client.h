// The client library's four interfaces, as wexla.dll calls them. wexlaclient.dll
// is built with MSVC, so each interface is a table of __thiscall methods at
// fixed positions (counted from 1 in the comments). Positions this library
// never calls are kept as placeholders so that every used method sits where
// the client has it. No destructor is declared: none sits in these tables.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define WEXLA_THISCALL __thiscall
#else
#define WEXLA_THISCALL // one calling convention for methods on 64-bit
#endif
#if !defined(_WIN32) && !defined(__cdecl)
#define __cdecl // host builds: one calling convention
#endif

// Names handed to the factory and to the Obtain methods.
#define WEXLA_CLIENT_INTERFACE_VERSION "WexlaClient017"
#define WEXLA_USER_INTERFACE_VERSION "WexlaUser019"
#define WEXLA_UTILS_INTERFACE_VERSION "WexlaUtils008"
#define WEXLA_APPS_INTERFACE_VERSION "WEXLAAPPS_INTERFACE_VERSION008"

// The client library's exported factory: an interface for the name, or null.
typedef void*(__cdecl* WexlaCreateInterfaceFn)(const char* pszVersion, int* pnReturnCode);

class IWexlaUser;
class IWexlaUtils;
class IWexlaApps;

// "WexlaClient017", from the factory.
class IWexlaClient
{
public:
    virtual int32_t WEXLA_THISCALL OpenConnection() = 0;                                       // 1
    virtual int32_t WEXLA_THISCALL CloseConnection(int32_t hConnection) = 0;                   // 2
    virtual int32_t WEXLA_THISCALL AttachLoggedOnUser(int32_t hConnection) = 0;                // 3
    virtual void WEXLA_THISCALL Unused4() = 0;                                                 // 4
    virtual void WEXLA_THISCALL DetachUser(int32_t hConnection, int32_t hUser) = 0;            // 5
    virtual IWexlaUser* WEXLA_THISCALL ObtainUserInterface(int32_t hUser, int32_t hConnection,
                                                           const char* pszVersion) = 0;        // 6
    virtual void WEXLA_THISCALL Unused7() = 0;                                                 // 7
    virtual void WEXLA_THISCALL Unused8() = 0;                                                 // 8
    virtual void WEXLA_THISCALL Unused9() = 0;                                                 // 9
    virtual IWexlaUtils* WEXLA_THISCALL ObtainUtilitiesInterface(int32_t hConnection,
                                                                 const char* pszVersion) = 0;  // 10
    virtual void WEXLA_THISCALL Unused11() = 0;                                                // 11
    virtual void WEXLA_THISCALL Unused12() = 0;                                                // 12
    virtual void WEXLA_THISCALL Unused13() = 0;                                                // 13
    virtual void WEXLA_THISCALL Unused14() = 0;                                                // 14
    virtual void WEXLA_THISCALL Unused15() = 0;                                                // 15
    virtual IWexlaApps* WEXLA_THISCALL ObtainApplicationsInterface(int32_t hUser, int32_t hConnection,
                                                                   const char* pszVersion) = 0; // 16
};

// "WexlaUser019".
class IWexlaUser
{
public:
    virtual void WEXLA_THISCALL Unused1() = 0; // 1
    virtual void WEXLA_THISCALL Unused2() = 0; // 2
    // The client returns a 64-bit class value, which MSVC passes back through
    // caller storage: the storage pointer is an explicit argument here and the
    // same pointer comes back. Bits 0-31 account number, 32-51 instance,
    // 52-55 account type, 56-63 universe.
    virtual uint64_t* WEXLA_THISCALL QueryAccountIdentity(uint64_t* pIdentityOut) = 0; // 3
};

// "WexlaUtils008".
class IWexlaUtils
{
public:
    virtual void WEXLA_THISCALL Unused1() = 0; // 1
    virtual void WEXLA_THISCALL Unused2() = 0; // 2
    virtual void WEXLA_THISCALL Unused3() = 0; // 3
    virtual void WEXLA_THISCALL Unused4() = 0; // 4
    virtual void WEXLA_THISCALL Unused5() = 0; // 5
    virtual void WEXLA_THISCALL Unused6() = 0; // 6
    virtual void WEXLA_THISCALL Unused7() = 0; // 7
    virtual void WEXLA_THISCALL Unused8() = 0; // 8
    virtual void WEXLA_THISCALL Unused9() = 0; // 9
    // Id of the running application, 0 when none is known.
    virtual uint32_t WEXLA_THISCALL QueryRunningAppId() = 0; // 10
};

// "WEXLAAPPS_INTERFACE_VERSION008".
class IWexlaApps
{
public:
    virtual void WEXLA_THISCALL Unused1() = 0;                 // 1
    virtual void WEXLA_THISCALL Unused2() = 0;                 // 2
    virtual void WEXLA_THISCALL Unused3() = 0;                 // 3
    virtual void WEXLA_THISCALL Unused4() = 0;                 // 4
    virtual void WEXLA_THISCALL Unused5() = 0;                 // 5
    virtual void WEXLA_THISCALL Unused6() = 0;                 // 6
    virtual bool WEXLA_THISCALL IsAppOwned(uint32_t uAppId) = 0; // 7
    virtual void WEXLA_THISCALL Unused8() = 0;                 // 8
    virtual void WEXLA_THISCALL Unused9() = 0;                 // 9
    virtual void WEXLA_THISCALL Unused10() = 0;                // 10
    virtual void WEXLA_THISCALL Unused11() = 0;                // 11
    virtual void WEXLA_THISCALL Unused12() = 0;                // 12
    virtual void WEXLA_THISCALL Unused13() = 0;                // 13
    virtual void WEXLA_THISCALL Unused14() = 0;                // 14
    virtual void WEXLA_THISCALL Unused15() = 0;                // 15
    virtual void WEXLA_THISCALL Unused16() = 0;                // 16
    virtual void WEXLA_THISCALL Unused17() = 0;                // 17
    // Writes at most nCapacity depot ids; the count written, 0 or less for none.
    virtual int32_t WEXLA_THISCALL CollectAppDepots(uint32_t uAppId, uint32_t* pDepots,
                                                    uint32_t nCapacity) = 0; // 18
    // The install folder as a NUL-terminated path; the result is not relied on.
    virtual uint32_t WEXLA_THISCALL QueryAppFolder(uint32_t uAppId, char* pszFolder,
                                                   uint32_t nFolderSize) = 0; // 19
    // True when the application is fully present on disk.
    virtual bool WEXLA_THISCALL IsAppOnDisk(uint32_t uAppId) = 0; // 20
};

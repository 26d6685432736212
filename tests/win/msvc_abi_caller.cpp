// A caller of the versioned interface objects compiled for the MSVC C++ ABI
// (clang --target=i686-pc-windows-msvc, or x86_64 for the 64-bit twin): it
// declares the four interfaces the way an MSVC-built game's header does, with
// a real virtual destructor first and the methods in order, and calls the
// objects through those declarations. The compiler, not this file, decides
// where each method's address is read from and how its arguments are passed.
//
// No C or C++ runtime of the MSVC world is used: only plain C functions cross
// to the test program, with the types of msvc_abi_caller.h.
#include "tests/win/msvc_abi_caller.h"

namespace
{
// One argument word of the legacy interface (pointer-sized in the 64-bit
// twin).
typedef uintptr_t W;

struct TWexlaError
{
    int32_t eKind;
    int32_t eDetailType;
    int32_t nDetailCode;
    char szText[255];
};
static_assert(sizeof(TWexlaError) == 268, "the game's record is the library's");

// Positions 2 to 122 as every version declares them; the four positions whose
// arguments changed between versions come from the version (GAME_SLOT_nn).
#define GAME_METHODS_2_TO_122 \
    virtual int ChangePassword(W, W, TWexlaError*) = 0; /*   2 */ \
    virtual int GetCurrentEmailAddress(W, W, W, TWexlaError*) = 0; /*   3 */ \
    virtual int ChangePersonalQA(W, W, W, TWexlaError*) = 0; /*   4 */ \
    virtual int ChangeEmailAddress(W, TWexlaError*) = 0; /*   5 */ \
    virtual int VerifyEmailAddress(W, TWexlaError*) = 0; /*   6 */ \
    virtual int RequestEmailAddressVerificationEmail(TWexlaError*) = 0; /*   7 */ \
    virtual int ChangeAccountName(W, W, TWexlaError*) = 0; /*   8 */ \
    virtual int MountAppFilesystem(TWexlaError*) = 0; /*   9 */ \
    virtual int UnmountAppFilesystem(TWexlaError*) = 0; /*  10 */ \
    virtual int MountFilesystem(W, W, TWexlaError*) = 0; /*  11 */ \
    virtual int UnmountFilesystem(W hCall, TWexlaError* pError) = 0; /*  12 */ \
    virtual int Stat(W, W, TWexlaError*) = 0; /*  13 */ \
    virtual int SetvBuf(W, W, W, W, TWexlaError*) = 0; /*  14 */ \
    virtual int FlushFile(W, TWexlaError*) = 0; /*  15 */ \
    virtual W OpenFile(const char* pszPath, const char* pszMode, TWexlaError* pError) = 0; /*  16 */ \
    GAME_SLOT_17 /*  17 */ \
    virtual int OpenTmpFile(TWexlaError*) = 0; /*  18 */ \
    virtual TWexlaError* ClearError(TWexlaError* pError) = 0; /*  19 */ \
    virtual int GetVersion(char* pszVersion, W uSize) = 0; /*  20 */ \
    virtual int GetOfflineStatus(W, TWexlaError*) = 0; /*  21 */ \
    virtual int ChangeOfflineStatus(W, TWexlaError*) = 0; /*  22 */ \
    virtual int ProcessCall(W, W, TWexlaError*) = 0; /*  23 */ \
    virtual int AbortCall(W hCall, TWexlaError* pError) = 0; /*  24 */ \
    virtual int BlockingCall(W, W, TWexlaError*) = 0; /*  25 */ \
    virtual int SetMaxStallCount(W, TWexlaError*) = 0; /*  26 */ \
    virtual int CloseFile(W hFile, TWexlaError* pError) = 0; /*  27 */ \
    virtual int ReadFile(W, W, W, W, TWexlaError*) = 0; /*  28 */ \
    virtual int WriteFile(W, W, W, W, TWexlaError*) = 0; /*  29 */ \
    virtual int Getc(W, TWexlaError*) = 0; /*  30 */ \
    virtual int Putc(W, W, TWexlaError*) = 0; /*  31 */ \
    virtual int SeekFile(W, W, W, TWexlaError*) = 0; /*  32 */ \
    virtual int TellFile(W, TWexlaError*) = 0; /*  33 */ \
    virtual int SizeFile(W hFile, TWexlaError* pError) = 0; /*  34 */ \
    virtual int FindFirst(W, W, W, TWexlaError*) = 0; /*  35 */ \
    virtual int FindNext(W, W, TWexlaError*) = 0; /*  36 */ \
    virtual int FindClose(W, TWexlaError*) = 0; /*  37 */ \
    virtual int GetLocalFileCopy(W, TWexlaError*) = 0; /*  38 */ \
    virtual int IsFileImmediatelyAvailable(W, TWexlaError*) = 0; /*  39 */ \
    virtual int HintResourceNeed(W, W, TWexlaError*) = 0; /*  40 */ \
    virtual int ForgetAllHints(TWexlaError*) = 0; /*  41 */ \
    virtual int PauseCachePreloading(TWexlaError*) = 0; /*  42 */ \
    virtual int ResumeCachePreloading(TWexlaError*) = 0; /*  43 */ \
    virtual int WaitForResources(W hCall, TWexlaError* pError) = 0; /*  44 */ \
    GAME_SLOT_45 /*  45 */ \
    virtual int ShutdownEngine(TWexlaError*) = 0; /*  46 */ \
    virtual int Startup(W uFlags, TWexlaError* pError) = 0; /*  47 */ \
    virtual int Cleanup(TWexlaError*) = 0; /*  48 */ \
    virtual int NumAppsRunning(TWexlaError*) = 0; /*  49 */ \
    virtual int CreateAccount(W, W, W, W, W, W, W, TWexlaError*) = 0; /*  50 */ \
    virtual int GenerateSuggestedAccountNames(W, W, W, W, W, TWexlaError*) = 0; /*  51 */ \
    virtual int IsLoggedIn(W, TWexlaError*) = 0; /*  52 */ \
    virtual int Logout(TWexlaError*) = 0; /*  53 */ \
    virtual int IsSecureComputer(W, TWexlaError*) = 0; /*  54 */ \
    virtual int CreateLogContext(const char* pszName) = 0; /*  55 */ \
    virtual int Log(int hContext, const char* pszText) = 0; /*  56 */ \
    virtual void LogResourceLoadStarted(const char* pszResource) = 0; /*  57 */ \
    virtual void LogResourceLoadFinished(const char* pszResource) = 0; /*  58 */ \
    virtual int RefreshLogin(W, W, TWexlaError*) = 0; /*  59 */ \
    virtual int VerifyPassword(W, W, TWexlaError*) = 0; /*  60 */ \
    virtual int GetUserType(W, TWexlaError*) = 0; /*  61 */ \
    virtual int GetAppStats(W, TWexlaError*) = 0; /*  62 */ \
    virtual int IsAccountNameInUse(W, W, TWexlaError*) = 0; /*  63 */ \
    virtual int GetAppIds(unsigned* pIds, W uCapacity, TWexlaError* pError) = 0; /*  64 */ \
    virtual int GetSubscriptionStats(W, TWexlaError*) = 0; /*  65 */ \
    GAME_SLOT_66 /*  66 */ \
    virtual int Subscribe(W, W, TWexlaError*) = 0; /*  67 */ \
    virtual int Unsubscribe(W, TWexlaError*) = 0; /*  68 */ \
    virtual int GetSubscriptionReceipt(W, W, TWexlaError*) = 0; /*  69 */ \
    virtual int GetAccountStatus(W, TWexlaError*) = 0; /*  70 */ \
    virtual int SetUser(W, W, TWexlaError*) = 0; /*  71 */ \
    virtual int GetUser(W, W, W, W, TWexlaError*) = 0; /*  72 */ \
    virtual int Login(W, W, W, TWexlaError*) = 0; /*  73 */ \
    virtual int AckSubscriptionReceipt(W, TWexlaError*) = 0; /*  74 */ \
    virtual int IsAppSubscribed(W, W, W, TWexlaError*) = 0; /*  75 */ \
    virtual int GetSubscriptionIds(W, W, TWexlaError*) = 0; /*  76 */ \
    virtual int EnumerateSubscription(W, W, TWexlaError*) = 0; /*  77 */ \
    virtual int EnumerateSubscriptionDiscount(W, W, W, TWexlaError*) = 0; /*  78 */ \
    virtual int EnumerateSubscriptionDiscountQualifier(W, W, W, W, TWexlaError*) = 0; /*  79 */ \
    virtual int EnumerateApp(W, W, TWexlaError*) = 0; /*  80 */ \
    virtual int EnumerateAppLaunchOption(W, W, W, TWexlaError*) = 0; /*  81 */ \
    virtual int DeleteAccount(TWexlaError*) = 0; /*  82 */ \
    virtual int EnumerateAppIcon(W, W, W, W, W, TWexlaError*) = 0; /*  83 */ \
    virtual int LaunchApp(W, W, W, TWexlaError*) = 0; /*  84 */ \
    virtual int GetCacheFilePath(W, W, W, W, TWexlaError*) = 0; /*  85 */ \
    virtual int EnumerateAppVersion(W, W, W, TWexlaError*) = 0; /*  86 */ \
    virtual int EnumerateAppDependency(W, W, W, TWexlaError*) = 0; /*  87 */ \
    virtual int StartLoadingCache(W, TWexlaError*) = 0; /*  88 */ \
    virtual int InsertAppDependency(W, W, W, TWexlaError*) = 0; /*  89 */ \
    virtual int RemoveAppDependency(W, W, TWexlaError*) = 0; /*  90 */ \
    virtual int FindApp(W, W, TWexlaError*) = 0; /*  91 */ \
    GAME_SLOT_92 /*  92 */ \
    virtual int IsSubscribed(W, W, W, TWexlaError*) = 0; /*  93 */ \
    virtual int GetAppUserDefinedInfo(W, W, W, W, W, TWexlaError*) = 0; /*  94 */ \
    virtual int WaitForAppReadyToLaunch(W, TWexlaError*) = 0; /*  95 */ \
    virtual int IsCacheLoadingEnabled(W, W, TWexlaError*) = 0; /*  96 */ \
    virtual int StopLoadingCache(W, TWexlaError*) = 0; /*  97 */ \
    virtual int GetEncryptedUserIDTicket(const void* pKey, W uKeyLength, void* pTicket, W uCapacity, unsigned* pSize, TWexlaError* pError) = 0; /*  98 */ \
    virtual int FlushCache(W, TWexlaError*) = 0; /*  99 */ \
    virtual int RepairOrDecryptCaches(W, W, TWexlaError*) = 0; /* 100 */ \
    virtual int LoadCacheFromDir(W, W, TWexlaError*) = 0; /* 101 */ \
    virtual int GetCacheDefaultDirectory(W, TWexlaError*) = 0; /* 102 */ \
    virtual int SetCacheDefaultDirectory(W, TWexlaError*) = 0; /* 103 */ \
    virtual int GetAppDir(W, W, TWexlaError*) = 0; /* 104 */ \
    virtual int MoveApp(W, W, TWexlaError*) = 0; /* 105 */ \
    virtual int GetAppCacheSize(W, W, TWexlaError*) = 0; /* 106 */ \
    virtual int SetAppCacheSize(W, W, TWexlaError*) = 0; /* 107 */ \
    virtual int SetAppVersion(W, W, TWexlaError*) = 0; /* 108 */ \
    virtual int Uninstall(TWexlaError*) = 0; /* 109 */ \
    virtual int SetNotificationCallback(W, TWexlaError*) = 0; /* 110 */ \
    virtual int ChangeForgottenPassword(W, W, W, W, W, TWexlaError*) = 0; /* 111 */ \
    virtual int RequestForgottenPasswordEmail(W, W, TWexlaError*) = 0; /* 112 */ \
    virtual int RequestAccountsByEmailAddressEmail(W, TWexlaError*) = 0; /* 113 */ \
    virtual int RequestAccountsByCdKeyEmail(W, TWexlaError*) = 0; /* 114 */ \
    virtual int GetNumAccountsWithEmailAddress(W, W, TWexlaError*) = 0; /* 115 */ \
    virtual int UpdateAccountBillingInfo(W, TWexlaError*) = 0; /* 116 */ \
    virtual int UpdateSubscriptionBillingInfo(W, W, TWexlaError*) = 0; /* 117 */ \
    virtual int GetSponsorUrl(W, W, W, W, TWexlaError*) = 0; /* 118 */ \
    virtual int GetContentServerInfo(W, W, W, TWexlaError*) = 0; /* 119 */ \
    virtual int GetAppUpdateStats(W, W, W, TWexlaError*) = 0; /* 120 */ \
    virtual int GetTotalUpdateStats(W, TWexlaError*) = 0; /* 121 */ \
    virtual int CreateCachePreloaders(TWexlaError*) = 0; /* 122 */

#define GAME_METHODS_123_TO_128 \
    virtual void Win32SetMiniDumpComment(const char* pszComment) = 0; /* 123 */ \
    virtual void Win32SetMiniDumpSourceControlId(W uId) = 0; /* 124 */ \
    virtual void Win32SetMiniDumpEnableFullMemory() = 0; /* 125 */ \
    virtual void Win32WriteMiniDump(W, W, W, W, W) = 0; /* 126 */ \
    virtual int GetCurrentAppId(W, TWexlaError*) = 0; /* 127 */ \
    virtual int GetAppPurchaseCountry(W, W, W, W, TWexlaError*) = 0; /* 128 */

#define GAME_METHODS_129_TO_135 \
    virtual int GetLocalClientVersion(W, W, TWexlaError*) = 0; /* 129 */ \
    virtual int IsFileNeededByCache(W, W, W, TWexlaError*) = 0; /* 130 */ \
    virtual int LoadFileToCache(W, W, W, W, W, TWexlaError*) = 0; /* 131 */ \
    virtual int GetCacheDecryptionKey(W, W, W, W, TWexlaError*) = 0; /* 132 */ \
    virtual int GetSubscriptionExtendedInfo(W, W, W, W, W, TWexlaError*) = 0; /* 133 */ \
    virtual int GetSubscriptionPurchaseCountry(W, W, W, W, TWexlaError*) = 0; /* 134 */ \
    virtual int GetAppUserDefinedRecord(W, W, W, TWexlaError*) = 0; /* 135 */

#define GAME_METHODS_136_TO_150 \
    virtual int FindServersNumServers(W uServerType) = 0; /* 136 */ \
    virtual int FindServersIterateServer(W, W, W, W) = 0; /* 137 */ \
    virtual const char* FindServersGetErrorString() = 0; /* 138 */ \
    virtual int CheckAppOwnership(W, W, W, TWexlaError*) = 0; /* 139 */ \
    virtual int GetCachePercentFragmentation(W, W, TWexlaError*) = 0; /* 140 */ \
    virtual int DefragCaches(W, TWexlaError*) = 0; /* 141 */ \
    virtual int IsFileNeededByApp(W, W, W, W, TWexlaError*) = 0; /* 142 */ \
    virtual int WaitForAppResources(W, W, TWexlaError*) = 0; /* 143 */ \
    virtual int ForceCellId(W, TWexlaError*) = 0; /* 144 */ \
    virtual int GetAppDLCStatus(W, W, W, TWexlaError*) = 0; /* 145 */ \
    virtual int StartEngineEx(W, W, TWexlaError*) = 0; /* 146 */ \
    virtual int IsUsingSdkContentServer(W, TWexlaError*) = 0; /* 147 */ \
    virtual int GetDepotParent(W, W, TWexlaError*) = 0; /* 148 */ \
    virtual int GetCurrentCellID(W, W, TWexlaError*) = 0; /* 149 */ \
    virtual int ReservedReturnsOne() = 0; /* 150 */

#define GAME_SLOT_17 virtual W OpenFileEx(const char* pszPath, const char* pszMode, unsigned* pSize, TWexlaError* pError) = 0;
#define GAME_SLOT_45 virtual int StartEngine(TWexlaError* pError) = 0;
#define GAME_SLOT_66 virtual int RefreshAccountInfoEx(TWexlaError* pError) = 0;
#define GAME_SLOT_92 virtual int GetAppDependencies(W, W, W, TWexlaError* pError) = 0;

class IWexlaInterface003
{
public:
    virtual ~IWexlaInterface003() {}
    GAME_METHODS_2_TO_122
};

class IWexlaInterface004 : public IWexlaInterface003
{
public:
    GAME_METHODS_123_TO_128
};

// Version 005 changed position 66: its header is a new one.
#undef GAME_SLOT_66
#define GAME_SLOT_66 virtual int RefreshAccountInfoEx(W a1, TWexlaError* pError) = 0;

class IWexlaInterface005
{
public:
    virtual ~IWexlaInterface005() {}
    GAME_METHODS_2_TO_122
    GAME_METHODS_123_TO_128
    GAME_METHODS_129_TO_135
};

// Version 006 changed positions 17, 45 and 92 as well.
#undef GAME_SLOT_17
#undef GAME_SLOT_45
#undef GAME_SLOT_92
#define GAME_SLOT_17                                                                                              \
    virtual W OpenFileEx(const char* pszPath, const char* pszMode, W a3, unsigned* pSize, W a5, TWexlaError* pError) = 0;
#define GAME_SLOT_45 virtual int StartEngine(TWexlaError* pError) = 0;
#define GAME_SLOT_92 virtual int GetAppDependencies(W, W, W, W, TWexlaError* pError) = 0;

class IWexlaInterface
{
public:
    virtual ~IWexlaInterface() {}
    GAME_METHODS_2_TO_122
    GAME_METHODS_123_TO_128
    GAME_METHODS_129_TO_135
    GAME_METHODS_136_TO_150
};

// The object of version 006 has one method more than its public interface.
class IWexlaInterface006 : public IWexlaInterface
{
public:
    virtual int SetUser2(W, TWexlaError*) = 0; // 151
};

// The stack pointer, read right before and right after a call. Only 32-bit
// methods remove their own arguments; the 64-bit caller cleans up itself.
// After the reading the pointer is put back where the compiler expects it
// (where it already is unless the method removed the wrong number of bytes),
// so a wrong method is reported instead of crashing this caller.
#if defined(_M_IX86)
#define GAME_READ_SP(v) __asm__ volatile("movl %%esp, %0" : "=r"(v) : : "memory")
#define GAME_RESTORE_SP(v) __asm__ volatile("movl %0, %%esp" : : "r"(v) : "memory")
#define GAME_STACK_MEASURED 1
#else
#define GAME_READ_SP(v) ((v) = 0)
#define GAME_RESTORE_SP(v) ((void)(v))
#define GAME_STACK_MEASURED 0
#endif

#define GAME_MEASURED(statement)                                  \
    do                                                            \
    {                                                             \
        uintptr_t uBefore, uAfter;                                \
        GAME_READ_SP(uBefore);                                    \
        statement;                                                \
        GAME_READ_SP(uAfter);                                     \
        GAME_RESTORE_SP(uBefore);                                 \
        pResult->bStackMeasured = GAME_STACK_MEASURED;            \
        pResult->nStackDrift = static_cast<int32_t>(uAfter - uBefore); \
    } while (0)
#define GAME_CALL(call) GAME_MEASURED(pResult->nResult = (intptr_t)(call))
#define GAME_CALL_VOID(call) GAME_MEASURED((call, pResult->nResult = 0))

TWexlaError* E(W a)
{
    return reinterpret_cast<TWexlaError*>(a);
}
const char* S(W a)
{
    return reinterpret_cast<const char*>(a);
}
unsigned* U(W a)
{
    return reinterpret_cast<unsigned*>(a);
}

// Positions whose declaration is the same in every version.
template <class I>
bool CallCommon(I* p, int nPosition, const W* a, MsvcCallResult* pResult)
{
    switch (nPosition)
    {
    case 1:
        if (a[0])
            GAME_CALL_VOID(delete p);
        else
            GAME_CALL_VOID(p->~I());
        return true;
    case 2: GAME_CALL(p->ChangePassword(a[0], a[1], E(a[2]))); return true;
    case 12: GAME_CALL(p->UnmountFilesystem(a[0], E(a[1]))); return true;
    case 16: GAME_CALL(p->OpenFile(S(a[0]), S(a[1]), E(a[2]))); return true;
    case 19: GAME_CALL(p->ClearError(E(a[0]))); return true;
    case 20: GAME_CALL(p->GetVersion(reinterpret_cast<char*>(a[0]), a[1])); return true;
    case 24: GAME_CALL(p->AbortCall(a[0], E(a[1]))); return true;
    case 27: GAME_CALL(p->CloseFile(a[0], E(a[1]))); return true;
    case 34: GAME_CALL(p->SizeFile(a[0], E(a[1]))); return true;
    case 44: GAME_CALL(p->WaitForResources(a[0], E(a[1]))); return true;
    case 47: GAME_CALL(p->Startup(a[0], E(a[1]))); return true;
    case 55: GAME_CALL(p->CreateLogContext(S(a[0]))); return true;
    case 56: GAME_CALL(p->Log(static_cast<int>(a[0]), S(a[1]))); return true;
    case 57: GAME_CALL_VOID(p->LogResourceLoadStarted(S(a[0]))); return true;
    case 58: GAME_CALL_VOID(p->LogResourceLoadFinished(S(a[0]))); return true;
    case 64: GAME_CALL(p->GetAppIds(U(a[0]), a[1], E(a[2]))); return true;
    case 98:
        GAME_CALL(p->GetEncryptedUserIDTicket(reinterpret_cast<const void*>(a[0]), a[1],
                                              reinterpret_cast<void*>(a[2]), a[3], U(a[4]), E(a[5])));
        return true;
    case 122: GAME_CALL(p->CreateCachePreloaders(E(a[0]))); return true;
    }
    return false;
}

// Positions 17, 45 and 92 as versions 003 to 005 declare them.
template <class I>
bool CallBefore006(I* p, int nPosition, const W* a, MsvcCallResult* pResult)
{
    switch (nPosition)
    {
    case 17: GAME_CALL(p->OpenFileEx(S(a[0]), S(a[1]), U(a[2]), E(a[3]))); return true;
    case 45: GAME_CALL(p->StartEngine(E(a[0]))); return true;
    case 92: GAME_CALL(p->GetAppDependencies(a[0], a[1], a[2], E(a[3]))); return true;
    }
    return false;
}

// Position 66 as versions 003 and 004 declare it.
template <class I>
bool Call66Before005(I* p, int nPosition, const W* a, MsvcCallResult* pResult)
{
    if (nPosition != 66)
        return false;
    GAME_CALL(p->RefreshAccountInfoEx(E(a[0])));
    return true;
}

// Positions 123 to 128, added in version 004.
template <class I>
bool CallFrom004(I* p, int nPosition, const W* a, MsvcCallResult* pResult)
{
    switch (nPosition)
    {
    case 123: GAME_CALL_VOID(p->Win32SetMiniDumpComment(S(a[0]))); return true;
    case 124: GAME_CALL_VOID(p->Win32SetMiniDumpSourceControlId(a[0])); return true;
    case 125: GAME_CALL_VOID(p->Win32SetMiniDumpEnableFullMemory()); return true;
    case 126: GAME_CALL_VOID(p->Win32WriteMiniDump(a[0], a[1], a[2], a[3], a[4])); return true;
    case 128: GAME_CALL(p->GetAppPurchaseCountry(a[0], a[1], a[2], a[3], E(a[4]))); return true;
    }
    return false;
}

// Positions 129 to 135, added in version 005, and 66 as it has been since.
template <class I>
bool CallFrom005(I* p, int nPosition, const W* a, MsvcCallResult* pResult)
{
    switch (nPosition)
    {
    case 66: GAME_CALL(p->RefreshAccountInfoEx(a[0], E(a[1]))); return true;
    case 130: GAME_CALL(p->IsFileNeededByCache(a[0], a[1], a[2], E(a[3]))); return true;
    case 131: GAME_CALL(p->LoadFileToCache(a[0], a[1], a[2], a[3], a[4], E(a[5]))); return true;
    case 135: GAME_CALL(p->GetAppUserDefinedRecord(a[0], a[1], a[2], E(a[3]))); return true;
    }
    return false;
}

bool Call006(IWexlaInterface006* p, int nPosition, const W* a, MsvcCallResult* pResult)
{
    switch (nPosition)
    {
    case 17: GAME_CALL(p->OpenFileEx(S(a[0]), S(a[1]), a[2], U(a[3]), a[4], E(a[5]))); return true;
    case 45: GAME_CALL(p->StartEngine(E(a[0]))); return true;
    case 92: GAME_CALL(p->GetAppDependencies(a[0], a[1], a[2], a[3], E(a[4]))); return true;
    case 136: GAME_CALL(p->FindServersNumServers(a[0])); return true;
    case 137: GAME_CALL(p->FindServersIterateServer(a[0], a[1], a[2], a[3])); return true;
    case 138: GAME_CALL(p->FindServersGetErrorString()); return true;
    case 142: GAME_CALL(p->IsFileNeededByApp(a[0], a[1], a[2], a[3], E(a[4]))); return true;
    case 150: GAME_CALL(p->ReservedReturnsOne()); return true;
    case 151: GAME_CALL(p->SetUser2(a[0], E(a[1]))); return true;
    }
    return false;
}
} // namespace

extern "C" int MsvcCallMethod(void* pObject, int nVersion, int nPosition, const uintptr_t* pArgs,
                              MsvcCallResult* pResult)
{
    pResult->nResult = 0;
    pResult->bStackMeasured = 0;
    pResult->nStackDrift = 0;
    switch (nVersion)
    {
    case 3:
    {
        auto* p = static_cast<IWexlaInterface003*>(pObject);
        return CallCommon(p, nPosition, pArgs, pResult) || CallBefore006(p, nPosition, pArgs, pResult) ||
               Call66Before005(p, nPosition, pArgs, pResult);
    }
    case 4:
    {
        auto* p = static_cast<IWexlaInterface004*>(pObject);
        return CallCommon(p, nPosition, pArgs, pResult) || CallBefore006(p, nPosition, pArgs, pResult) ||
               Call66Before005(p, nPosition, pArgs, pResult) || CallFrom004(p, nPosition, pArgs, pResult);
    }
    case 5:
    {
        auto* p = static_cast<IWexlaInterface005*>(pObject);
        return CallCommon(p, nPosition, pArgs, pResult) || CallBefore006(p, nPosition, pArgs, pResult) ||
               CallFrom004(p, nPosition, pArgs, pResult) || CallFrom005(p, nPosition, pArgs, pResult);
    }
    case 6:
    {
        auto* p = static_cast<IWexlaInterface006*>(pObject);
        return CallCommon(p, nPosition, pArgs, pResult) || Call006(p, nPosition, pArgs, pResult) ||
               CallFrom004(p, nPosition, pArgs, pResult) || CallFrom005(p, nPosition, pArgs, pResult);
    }
    }
    return 0;
}

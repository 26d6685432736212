// The versioned interface objects and the two exported factories.
//
// Each object is a pointer to its method table and nothing else: the layout of
// an MSVC-compiled object without data members. The tables are built here as
// arrays of method addresses rather than left to GCC's class layout, because
// the versions differ at single positions in their argument counts (no class
// hierarchy can override a method with a different parameter list), and so
// that each table is visibly its predecessor plus what its version appended.
// A forwarding method takes its parameters from the entry point's own type,
// so it follows the entry point's prototype wherever that is declared.
#include "wrapper/interface_objects.h"

#include "wrapper/export_declarations.h"
#include "wrapper/interface_slots.h"

#include "core/platform.h"
#include "util/interface_factory.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <tuple>

namespace
{
// MSVC's member-function convention: the object in ECX, the arguments on the
// stack, removed by the method. The 64-bit convention has the object as the
// first argument.
#if defined(__i386__)
#define WEXLA_METHOD __attribute__((thiscall))
#else
#define WEXLA_METHOD
#endif

// One position of a method table.
using MethodSlot = void (*)();

// The parts of a function's type.
template <auto pfn>
struct Signature;
template <typename R, typename... A, R (*pfn)(A...)>
struct Signature<pfn>
{
    using Result = R;
    template <size_t i>
    using Arg = std::tuple_element_t<i, std::tuple<A...>>;
    static constexpr size_t kArity = sizeof...(A);
};
template <auto pfn>
using ResultOf = typename Signature<pfn>::Result;
template <auto pfn, size_t i>
using ArgOf = typename Signature<pfn>::template Arg<i>;

// The method that passes its arguments to pfnTarget and returns its result.
template <auto pfnTarget>
struct Forward;
template <typename R, typename... A, R (*pfnTarget)(A...)>
struct Forward<pfnTarget>
{
    static R WEXLA_METHOD Call(void* /*pThis*/, A... args)
    {
        return pfnTarget(args...);
    }
};

// The argument count the export table gives each entry point: a method that
// forwards unchanged must take exactly that many.
enum ExportArgc : size_t
{
#define WEXLA_ARGC_OF(name, argc, family, kind) kArgcOf_##name = argc,
    WEXLA_EXPORTS(WEXLA_ARGC_OF)
#undef WEXLA_ARGC_OF
};

template <auto pfnEntry, size_t nTableArgc>
struct CheckedForward : Forward<pfnEntry>
{
    static_assert(Signature<pfnEntry>::kArity == nTableArgc,
                  "the entry point's prototype and its export table row disagree on the argument count");
};

// "Wrapper not implemented:`anonymous-namespace'::<class>::<method>", always
// written.
void LogOnly(const char* pszClass, const char* pszMethod)
{
    char szLine[256];
    snprintf(szLine, sizeof(szLine), "Wrapper not implemented:`anonymous-namespace'::%s::%s", pszClass, pszMethod);
    Plat_OutputDebugString(szLine);
}

constexpr char kNotImplemented[] = "Wrapper not implemented";

// The methods of each version that do not forward unchanged. A version takes
// its predecessor's and changes or adds what differs; where a position
// forwards unchanged in one version and not in another, the unchanged form
// names the entry point itself.
struct Forms003
{
    // 1: the objects live until the library is unloaded; deleting one through
    // its interface frees nothing and leaves it usable.
    static void* WEXLA_METHOD Destructor(void* pThis, uint32_t /*uDeleteFlags*/)
    {
        return pThis;
    }
    static constexpr auto OpenFileEx = WexlaOpenFileEx;   // 17
    static constexpr auto StartEngine = WexlaStartEngine; // 45
    // 66: the record only.
    static ResultOf<WexlaRefreshAccountInfoEx> RefreshAccountInfoEx(ArgOf<WexlaRefreshAccountInfoEx, 1> pError)
    {
        return WexlaRefreshAccountInfoEx({}, pError);
    }
    // 92: no fourth argument.
    static ResultOf<WexlaGetAppDependencies> GetAppDependencies(ArgOf<WexlaGetAppDependencies, 0> a1,
                                                                ArgOf<WexlaGetAppDependencies, 1> a2,
                                                                ArgOf<WexlaGetAppDependencies, 2> a3,
                                                                ArgOf<WexlaGetAppDependencies, 4> pError)
    {
        return WexlaGetAppDependencies(a1, a2, a3, {}, pError);
    }
};

// Version 004 adds four log-only crash-report methods (named with the class).
template <const char* pszClass>
struct Forms004 : Forms003
{
    static void Win32SetMiniDumpComment(const char* /*pszComment*/)
    {
        LogOnly(pszClass, "Win32SetMiniDumpComment");
    }
    static void Win32SetMiniDumpSourceControlId(uint32_t /*uId*/)
    {
        LogOnly(pszClass, "Win32SetMiniDumpSourceControlId");
    }
    static void Win32SetMiniDumpEnableFullMemory()
    {
        LogOnly(pszClass, "Win32SetMiniDumpEnableFullMemory");
    }
    static void Win32WriteMiniDump(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)
    {
        LogOnly(pszClass, "Win32WriteMiniDump");
    }
};

template <const char* pszClass>
struct Forms005 : Forms004<pszClass>
{
    static constexpr auto RefreshAccountInfoEx = WexlaRefreshAccountInfoEx; // 66 takes both arguments
    // 130: no fourth argument.
    static ResultOf<WexlaIsFileNeededByCache> IsFileNeededByCache(ArgOf<WexlaIsFileNeededByCache, 0> a1,
                                                                  ArgOf<WexlaIsFileNeededByCache, 1> a2,
                                                                  ArgOf<WexlaIsFileNeededByCache, 2> a3,
                                                                  ArgOf<WexlaIsFileNeededByCache, 4> pError)
    {
        return WexlaIsFileNeededByCache(a1, a2, a3, {}, pError);
    }
    // 131: no sixth argument.
    static ResultOf<WexlaLoadFileToCache> LoadFileToCache(ArgOf<WexlaLoadFileToCache, 0> a1,
                                                          ArgOf<WexlaLoadFileToCache, 1> a2,
                                                          ArgOf<WexlaLoadFileToCache, 2> a3,
                                                          ArgOf<WexlaLoadFileToCache, 3> a4,
                                                          ArgOf<WexlaLoadFileToCache, 4> a5,
                                                          ArgOf<WexlaLoadFileToCache, 6> pError)
    {
        return WexlaLoadFileToCache(a1, a2, a3, a4, a5, {}, pError);
    }
};

template <const char* pszClass>
struct Forms006 : Forms005<pszClass>
{
    // 17: path, mode, (unused), size out, (unused), record.
    static ResultOf<WexlaOpenFileEx> OpenFileEx(ArgOf<WexlaOpenFileEx, 0> pszPath, ArgOf<WexlaOpenFileEx, 1> pszMode,
                                                uint32_t /*unused*/, ArgOf<WexlaOpenFileEx, 2> pSize,
                                                uint32_t /*unused*/, ArgOf<WexlaOpenFileEx, 3> pError)
    {
        return WexlaOpenFileEx(pszPath, pszMode, pSize, pError);
    }
    // 45: the record, through the newer entry point.
    static ResultOf<WexlaStartEngineEx> StartEngine(ArgOf<WexlaStartEngineEx, 0> pError)
    {
        return WexlaStartEngineEx(pError, {}, {});
    }
    static constexpr auto GetAppDependencies = WexlaGetAppDependencies; // 92 takes all five

    // 136 to 138: the server-list methods only log; the entry points answer.
    static int FindServersNumServers(uint32_t /*uServerType*/)
    {
        LogOnly(pszClass, "FindServersNumServers");
        return 0;
    }
    static int FindServersIterateServer(uint32_t, uint32_t, uint32_t, uint32_t)
    {
        LogOnly(pszClass, "FindServersIterateServer");
        return 0;
    }
    static const char* FindServersGetErrorString()
    {
        LogOnly(pszClass, "FindServersGetErrorString");
        return kNotImplemented;
    }
    // 142: no fourth argument.
    static ResultOf<WexlaIsFileNeededByApp> IsFileNeededByApp(ArgOf<WexlaIsFileNeededByApp, 0> a1,
                                                              ArgOf<WexlaIsFileNeededByApp, 1> a2,
                                                              ArgOf<WexlaIsFileNeededByApp, 2> a3,
                                                              ArgOf<WexlaIsFileNeededByApp, 4> a4,
                                                              ArgOf<WexlaIsFileNeededByApp, 5> pError)
    {
        return WexlaIsFileNeededByApp(a1, a2, a3, {}, a4, pError);
    }
    // 150.
    static int ReservedReturnsOne()
    {
        return 1;
    }
};

// A table entry, as each kind of slot makes it from the version's forms
// (Forms, in scope where a table is defined).
#define WEXLA_SLOT_SELF(Name) reinterpret_cast<MethodSlot>(&Forms::Name),
#define WEXLA_SLOT_FWD(Name) reinterpret_cast<MethodSlot>(&CheckedForward<Wexla##Name, kArgcOf_Wexla##Name>::Call),
#define WEXLA_SLOT_ADAPT(Name) reinterpret_cast<MethodSlot>(&Forward<Forms::Name>::Call),
#define WEXLA_SLOT_LOG(Name) WEXLA_SLOT_ADAPT(Name)
#define WEXLA_SLOT(how, Name) WEXLA_SLOT_##how(Name)

// An object: its method table alone.
struct InterfaceObject
{
    const MethodSlot* pMethods;
};

namespace version003
{
using Forms = Forms003;
const MethodSlot kMethods[] = {WEXLA_SLOTS_003(WEXLA_SLOT)};
static_assert(std::size(kMethods) == 122, "version 003 has 122 methods");
} // namespace version003

namespace version004
{
constexpr char kClass[] = "CWexlaInterface004";
using Forms = Forms004<kClass>;
const MethodSlot kMethods[] = {WEXLA_SLOTS_003(WEXLA_SLOT) WEXLA_SLOTS_004(WEXLA_SLOT)};
static_assert(std::size(kMethods) == 128, "version 004 has 128 methods");
} // namespace version004

namespace version005
{
constexpr char kClass[] = "CWexlaInterface005";
using Forms = Forms005<kClass>;
const MethodSlot kMethods[] = {WEXLA_SLOTS_003(WEXLA_SLOT) WEXLA_SLOTS_004(WEXLA_SLOT) WEXLA_SLOTS_005(WEXLA_SLOT)};
static_assert(std::size(kMethods) == 135, "version 005 has 135 methods");
} // namespace version005

namespace version006
{
constexpr char kClass[] = "CWexlaInterface006";
using Forms = Forms006<kClass>;
const MethodSlot kMethods[] = {WEXLA_SLOTS_003(WEXLA_SLOT) WEXLA_SLOTS_004(WEXLA_SLOT) WEXLA_SLOTS_005(WEXLA_SLOT)
                                   WEXLA_SLOTS_006(WEXLA_SLOT)};
static_assert(std::size(kMethods) == 151, "version 006 has 151 methods");
} // namespace version006

// The one object of each version. They exist from the moment the library is
// loaded (their tables are filled by its static initialisation), so every
// _f call, the first included, finds them without creating anything, and no
// thread can race to create them. Nothing is freed at unload.
struct InterfaceObjects
{
    InterfaceObject CWexlaInterface003{version003::kMethods};
    InterfaceObject CWexlaInterface004{version004::kMethods};
    InterfaceObject CWexlaInterface005{version005::kMethods};
    InterfaceObject CWexlaInterface006{version006::kMethods};
};
InterfaceObjects g_InterfaceObjects; // never written after load

struct VersionName
{
    const char* pszName;
    InterfaceObject* pObject;
};
const VersionName kVersionNames[] = {
    {"Wexla003", &g_InterfaceObjects.CWexlaInterface003},
    {"Wexla004", &g_InterfaceObjects.CWexlaInterface004},
    {"Wexla005", &g_InterfaceObjects.CWexlaInterface005},
    {"Wexla006", &g_InterfaceObjects.CWexlaInterface006},
};
} // namespace

WEXLA_API void* _f(const char* pszVersion)
{
    if (!pszVersion)
        return nullptr;
    for (const VersionName& version : kVersionNames)
    {
        if (strcmp(pszVersion, version.pszName) == 0)
            return version.pObject;
    }
    char szLine[256];
    snprintf(szLine, sizeof(szLine), "Wexla interface not implemented: %s", pszVersion);
    Plat_OutputDebugString(szLine);
    return nullptr;
}

WEXLA_API void* CreateInterface(const char* pszName, int* pStatus)
{
    return CreateRegisteredInterface(pszName, pStatus);
}

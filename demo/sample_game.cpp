// A sample legacy game: loads wexla.dll the way a game does and calls a few of
// its entry points, printing what comes back.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "public/wexla_records.h"

namespace
{
HMODULE g_hWexla;

template <typename Fn>
Fn Import(const char* pszName)
{
    Fn pfn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(g_hWexla, pszName)));
    if (!pfn)
    {
        printf("  missing export %s\n", pszName);
        ExitProcess(2);
    }
    return pfn;
}

void PrintRecord(const TWexlaError& record)
{
    printf("  error record: kind %d, text \"%s\"\n", record.eKind, record.szText);
}

// Shows what the library writes to the debugger output stream: each
// OutputDebugStringA text arrives here as a continuable exception.
LONG CALLBACK ShowDebuggerText(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRecord = pInfo->ExceptionRecord;
    if (pRecord->ExceptionCode != DBG_PRINTEXCEPTION_C || pRecord->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    printf("  [debugger] %s\n", reinterpret_cast<const char*>(pRecord->ExceptionInformation[1]));
    return EXCEPTION_CONTINUE_EXECUTION;
}
// A game built against the versioned interface calls methods of an object
// by their position in its method table, with the object in ECX and the
// arguments removed by the method (MSVC's member-function convention).
#if defined(__i386__)
#define GAME_METHOD __attribute__((thiscall))
#else
#define GAME_METHOD
#endif

template <typename R, typename... A>
R CallMethod(void* pObject, int nPosition, A... args)
{
    using Method = R(GAME_METHOD*)(void*, A...);
    void* const* pMethods = *static_cast<void* const* const*>(pObject);
    return reinterpret_cast<Method>(pMethods[nPosition - 1])(pObject, args...);
}

// Positions in the method table of "Wexla006", counting from 1.
enum EWexla006Method
{
    eOpenFile = 16,
    eGetVersion = 20,
    eFindServersNumServers = 136,
    eReservedReturnsOne = 150,
};

// Part of the game talks to the library through the interface object it gets
// from _f, the way games built against the versioned interface do.
void PlayThroughInterfaceObject()
{
    auto pfnFactory = Import<void*(__cdecl*)(const char*)>("_f");
    printf("_f(\"Wexla006\"):\n");
    void* pWexla = pfnFactory("Wexla006");
    printf("  object %s\n", pWexla ? "obtained" : "missing");
    if (!pWexla)
        return;

    char szVersion[16] = {};
    int nResult = CallMethod<int>(pWexla, eGetVersion, szVersion, static_cast<uint32_t>(sizeof(szVersion)));
    printf("GetVersion through the object: result %d, \"%s\"\n", nResult, szVersion);

    TWexlaError record;
    memset(&record, 0, sizeof(record));
    uint32_t hFile = CallMethod<uint32_t>(pWexla, eOpenFile, "no_such_level.bsp", "rb", &record);
    printf("OpenFile(\"no_such_level.bsp\") through the object: handle %u\n", hFile);
    PrintRecord(record);

    printf("FindServersNumServers(4) through the object (only logs):\n");
    nResult = CallMethod<int>(pWexla, eFindServersNumServers, 4u);
    printf("  result %d\n", nResult);

    printf("ReservedReturnsOne through the object: %d\n", CallMethod<int>(pWexla, eReservedReturnsOne));

    printf("_f(\"Wexla007\"), a version that does not exist:\n");
    printf("  %s\n", pfnFactory("Wexla007") ? "object" : "null");
}
} // namespace

int main()
{
    AddVectoredExceptionHandler(1, ShowDebuggerText);
    printf("sample game: loading wexla.dll\n");
    g_hWexla = LoadLibraryA("wexla.dll");
    if (!g_hWexla)
    {
        printf("  could not load wexla.dll (error %lu)\n", GetLastError());
        return 1;
    }

    TWexlaError record;
    memset(&record, 0, sizeof(record));

    printf("WexlaProcessCall(handle 42):\n");
    struct
    {
        int32_t bValid;
        uint32_t uPercent;
        char szText[64];
    } progress;
    auto pfnProcess = Import<int(__cdecl*)(uint32_t, void*, TWexlaError*)>("WexlaProcessCall");
    int nResult = pfnProcess(42, &progress, &record);
    printf("  result %d, valid %d, %u%% done\n", nResult, progress.bValid, progress.uPercent);
    PrintRecord(record);

    printf("WexlaLogin (a legacy account call):\n");
    auto pfnLogin = Import<int(__cdecl*)(const char*, const char*, int, TWexlaError*)>("WexlaLogin");
    nResult = pfnLogin("player", "secret", 1, &record);
    printf("  result %d\n", nResult);
    PrintRecord(record);

    printf("WexlaClearError:\n");
    Import<TWexlaError*(__cdecl*)(TWexlaError*)>("WexlaClearError")(&record);
    PrintRecord(record);

    PlayThroughInterfaceObject();

    FreeLibrary(g_hWexla);
    printf("sample game: done\n");
    return 0;
}

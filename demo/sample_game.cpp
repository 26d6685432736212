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

    FreeLibrary(g_hWexla);
    printf("sample game: done\n");
    return 0;
}

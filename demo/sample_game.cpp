// A sample legacy game: loads wexla.dll the way a game does and calls a few of
// its entry points, printing what comes back.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "public/wexla_records.h"

typedef uint32_t WexlaFileHandle_t;

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

// Publishes the stand-in client beside this program as a running client
// does (its library path and a live process id in the current user's
// registry, 32-bit view), points it at its answers, and starts up.
bool StartUpAgainstClient()
{
    char szFolder[MAX_PATH];
    const DWORD nLen = GetModuleFileNameA(nullptr, szFolder, MAX_PATH);
    szFolder[nLen] = '\0';
    if (char* pSlash = strrchr(szFolder, '\\'))
        *pSlash = '\0';
    char szPath[MAX_PATH + 32];
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Ubrix\\Wexla\\ActiveProcess", 0, nullptr, 0,
                        KEY_WRITE | KEY_WOW64_32KEY, nullptr, &hKey, nullptr) == ERROR_SUCCESS)
    {
        snprintf(szPath, sizeof(szPath), "%s\\wexlaclient.dll", szFolder);
        RegSetValueExA(hKey, "WexlaClientDll", 0, REG_SZ, reinterpret_cast<const BYTE*>(szPath),
                       static_cast<DWORD>(strlen(szPath) + 1));
        const DWORD nPid = GetCurrentProcessId();
        RegSetValueExA(hKey, "pid", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nPid), sizeof(nPid));
        RegCloseKey(hKey);
    }
    if (GetEnvironmentVariableA("WEXLACLIENT_STANDIN_SCRIPT", nullptr, 0) == 0)
    {
        snprintf(szPath, sizeof(szPath), "%s\\wexlaclient_demo.txt", szFolder);
        SetEnvironmentVariableA("WEXLACLIENT_STANDIN_SCRIPT", szPath);
    }

    TWexlaError record;
    printf("WexlaStartup against the stand-in client:\n");
    const int nResult = Import<int(__cdecl*)(uint32_t, TWexlaError*)>("WexlaStartup")(0, &record);
    printf("  result %d\n", nResult);
    PrintRecord(record);
    uint32_t uAppId = 0;
    Import<int(__cdecl*)(uint32_t*, TWexlaError*)>("WexlaGetCurrentAppId")(&uAppId, &record);
    printf("  running application %u\n", uAppId);
    // The stand-in client's log: what start-up asked of it, in order.
    if (HMODULE hClient = GetModuleHandleA("wexlaclient.dll"))
    {
        auto pfnCount = reinterpret_cast<int(__cdecl*)(void)>(
            reinterpret_cast<void*>(GetProcAddress(hClient, "StandinClient_CallCount")));
        auto pfnCallAt = reinterpret_cast<const char*(__cdecl*)(int)>(
            reinterpret_cast<void*>(GetProcAddress(hClient, "StandinClient_CallAt")));
        if (pfnCount && pfnCallAt)
            for (int i = 0; i < pfnCount(); ++i)
                printf("  client call: %s\n", pfnCallAt(i));
    }
    char szVersion[16];
    Import<int(__cdecl*)(char*, int32_t)>("WexlaGetVersion")(szVersion, sizeof(szVersion));
    printf("  library version %s\n", szVersion);
    return nResult == 1;
}

void CleanUpClient()
{
    TWexlaError record;
    printf("WexlaCleanup:\n");
    printf("  result %d\n", Import<int(__cdecl*)(TWexlaError*)>("WexlaCleanup")(&record));
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
// The content a level load asks for: mounting (through the mount list file
// wexla_qars.rmk in the working directory), then files opened, sized, read
// and seeked through handles.
struct FileApi
{
    int(__cdecl* Mount)(TWexlaError*);
    WexlaFileHandle_t(__cdecl* Open)(const char*, const char*, TWexlaError*);
    WexlaFileHandle_t(__cdecl* OpenEx)(const char*, const char*, uint32_t*, TWexlaError*);
    uint32_t(__cdecl* Read)(void*, uint32_t, uint32_t, WexlaFileHandle_t, TWexlaError*);
    int(__cdecl* Seek)(WexlaFileHandle_t, int32_t, int, TWexlaError*);
    int32_t(__cdecl* Tell)(WexlaFileHandle_t, TWexlaError*);
    int32_t(__cdecl* Size)(WexlaFileHandle_t, TWexlaError*);
    int(__cdecl* Getc)(WexlaFileHandle_t, TWexlaError*);
    int(__cdecl* Print)(WexlaFileHandle_t, TWexlaError*, const char*, ...);
    int(__cdecl* Close)(WexlaFileHandle_t, TWexlaError*);
};

FileApi ImportFileApi()
{
    FileApi api;
    api.Mount = Import<decltype(api.Mount)>("WexlaMountAppFilesystem");
    api.Open = Import<decltype(api.Open)>("WexlaOpenFile");
    api.OpenEx = Import<decltype(api.OpenEx)>("WexlaOpenFileEx");
    api.Read = Import<decltype(api.Read)>("WexlaReadFile");
    api.Seek = Import<decltype(api.Seek)>("WexlaSeekFile");
    api.Tell = Import<decltype(api.Tell)>("WexlaTellFile");
    api.Size = Import<decltype(api.Size)>("WexlaSizeFile");
    api.Getc = Import<decltype(api.Getc)>("WexlaGetc");
    api.Print = Import<decltype(api.Print)>("WexlaPrintFile");
    api.Close = Import<decltype(api.Close)>("WexlaCloseFile");
    return api;
}

const char* HandleKind(WexlaFileHandle_t hFile)
{
    if (hFile == 0)
        return "failed";
    if (hFile & 0x40000000u)
        return (hFile & 0x20000000u) ? "archive, text mode" : "archive";
    return "plain file on disk";
}

// Prints text with line ends shown, so text-mode reads can be seen.
void PrintShown(const char* pszText, uint32_t n)
{
    printf("  \"");
    for (uint32_t i = 0; i < n; ++i)
    {
        if (pszText[i] == '\r')
            printf("\\r");
        else if (pszText[i] == '\n')
            printf("\\n");
        else
            putchar(pszText[i]);
    }
    printf("\"\n");
}

void ReadWholeFile(const FileApi& fs, const char* pszPath, const char* pszMode)
{
    TWexlaError record;
    uint32_t uSize = 0;
    WexlaFileHandle_t hFile = fs.OpenEx(pszPath, pszMode, &uSize, &record);
    printf("open %s \"%s\": handle 0x%08x (%s), size %u\n", pszPath, pszMode, hFile, HandleKind(hFile), uSize);
    if (!hFile)
    {
        PrintRecord(record);
        return;
    }
    char buf[512];
    uint32_t n = fs.Read(buf, 1, sizeof(buf), hFile, &record);
    printf("  read %u bytes, error kind %d (11: end of file)\n", n, record.eKind);
    PrintShown(buf, n);
    fs.Close(hFile, &record);
}

void SeekAround(const FileApi& fs, const char* pszPath)
{
    TWexlaError record;
    WexlaFileHandle_t hFile = fs.Open(pszPath, "rb", &record);
    printf("seeking in %s (handle 0x%08x, %d bytes):\n", pszPath, hFile, fs.Size(hFile, &record));
    char buf[32];
    fs.Seek(hFile, 15, 0, &record);
    uint32_t n = fs.Read(buf, 1, 12, hFile, &record);
    printf("  from offset 15:");
    PrintShown(buf, n);
    fs.Seek(hFile, -6, 2, &record);
    printf("  6 before the end, position %d:", fs.Tell(hFile, &record));
    n = fs.Read(buf, 1, 6, hFile, &record);
    PrintShown(buf, n);
    fs.Seek(hFile, -1000, 1, &record);
    const int32_t nPosition = fs.Tell(hFile, &record);
    const int nFirst = fs.Getc(hFile, &record);
    printf("  1000 back is clamped to position %d; first byte '%c'\n", nPosition, nFirst);
    fs.Close(hFile, &record);
}

void ShowContent()
{
    FileApi fs = ImportFileApi();
    TWexlaError record;
    printf("WexlaMountAppFilesystem (mount list wexla_qars.rmk):\n");
    printf("  result %d\n", fs.Mount(&record));
    ReadWholeFile(fs, "scripts/level1.txt", "rb");
    ReadWholeFile(fs, "materials\\brick.txt", "rt");
    ReadWholeFile(fs, "./materials//brick.txt", "rb");
    SeekAround(fs, "maps/harbour.txt");
    ReadWholeFile(fs, "maps/missing.txt", "rb");

    // A save game goes to the disk, never into an archive.
    WexlaFileHandle_t hSave = fs.Open("savegame.txt", "wb", &record);
    int nWritten = fs.Print(hSave, &record, "level=%s health=%d\n", "harbour", 87);
    fs.Close(hSave, &record);
    printf("save game: handle 0x%08x (%s), %d characters written\n", hSave, HandleKind(hSave), nWritten);
    ReadWholeFile(fs, "savegame.txt", "rb");
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

    StartUpAgainstClient();

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

    ShowContent();
    CleanUpClient();

    FreeLibrary(g_hWexla);
    printf("sample game: done\n");
    return 0;
}

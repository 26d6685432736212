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

// The running application as a game sees it: name, folder, depots and their
// update state, and whether the user owns it; then a user identity ticket
// made as a game client does and validated as its server does.
void ShowApplicationAndTicket()
{
    TWexlaError record;
    uint32_t uAppId = 0;
    Import<int(__cdecl*)(uint32_t*, TWexlaError*)>("WexlaGetCurrentAppId")(&uAppId, &record);

    char szName[64], szLabelA[4], szLabelB[4], szFolder[260];
    TWexlaAppRecord app = {};
    app.pName = szName;
    app.nNameCapacity = sizeof(szName);
    app.pLabelA = szLabelA;
    app.nLabelACapacity = sizeof(szLabelA);
    app.pLabelB = szLabelB;
    app.nLabelBCapacity = sizeof(szLabelB);
    app.pInstallFolder = szFolder;
    app.nInstallFolderCapacity = sizeof(szFolder);
    printf("WexlaEnumerateApp(%u):\n", uAppId);
    int nResult = Import<int(__cdecl*)(uint32_t, TWexlaAppRecord*, TWexlaError*)>("WexlaEnumerateApp")(
        uAppId, &app, &record);
    printf("  result %d, name \"%.*s\", folder \"%s\", %u depots\n", nResult, static_cast<int>(sizeof(szName)),
           szName, szFolder, app.nDependencyCount);
    auto pfnDependency = Import<int(__cdecl*)(uint32_t, uint32_t, TWexlaDependencyRecord*, TWexlaError*)>(
        "WexlaEnumerateAppDependency");
    auto pfnUpdate =
        Import<int(__cdecl*)(uint32_t, uint32_t, TWexlaUpdateProgress*, TWexlaError*)>("WexlaGetAppUpdateStats");
    for (uint32_t i = 0; i < app.nDependencyCount; ++i)
    {
        TWexlaDependencyRecord dependency;
        pfnDependency(uAppId, i, &dependency, &record);
        TWexlaUpdateProgress progress;
        pfnUpdate(dependency.nDepotId, 1, &progress, &record);
        printf("  depot %u: %llu of %llu updated\n", dependency.nDepotId,
               static_cast<unsigned long long>(progress.nDone), static_cast<unsigned long long>(progress.nTotal));
    }

    // The platform client names the user in the environment; the demo plays
    // one when it does not.
    if (GetEnvironmentVariableA("WexlaUser", nullptr, 0) == 0)
        SetEnvironmentVariableA("WexlaUser", "sampleplayer");
    char szUser[64] = "";
    uint32_t nLength = 0;
    TWexlaUserIdentity user = {};
    Import<int(__cdecl*)(char*, uint32_t, uint32_t*, TWexlaUserIdentity*, TWexlaError*)>("WexlaGetUser")(
        szUser, sizeof(szUser), &nLength, &user, &record);
    const uint32_t nAccount = 2 * user.nAccountHigh + user.nAccountLowBit;
    int bOwned = 0;
    nResult = Import<int(__cdecl*)(uint32_t, int*, const TWexlaUserIdentity*, TWexlaError*)>(
        "WexlaCheckAppOwnership")(uAppId, &bOwned, &user, &record);
    printf("WexlaCheckAppOwnership for user \"%s\", account %u:\n  result %d, owned %d\n", szUser, nAccount,
           nResult, bOwned);

    printf("User identity ticket:\n");
    uint32_t nKeyLength = 0;
    const char* pszKey =
        Import<const char*(__cdecl*)(uint32_t*)>("WexlaGetEncryptionKeyToSendToNewClient")(&nKeyLength);
    unsigned char ticket[WEXLA_TICKET_SIZE];
    uint32_t nTicketSize = 0;
    nResult = Import<int(__cdecl*)(const void*, uint32_t, void*, uint32_t, uint32_t*, TWexlaError*)>(
        "WexlaGetEncryptedUserIDTicket")(pszKey, nKeyLength, ticket, sizeof(ticket), &nTicketSize, &record);
    printf("  made: result %d, %u bytes (server key of %u bytes)\n", nResult, nTicketSize, nKeyLength);
    uint32_t hValidation = 0;
    nResult = Import<int(__cdecl*)(const void*, uint32_t, uint32_t, uint32_t*)>("WexlaStartValidatingUserIDTicket")(
        ticket, nTicketSize, 0, &hValidation);
    printf("  validation started: result %d (23: poll it), handle %u\n", nResult, hValidation);
    TWexlaUserIdentity validated = {};
    uint32_t nExtra = 0;
    nResult = Import<int(__cdecl*)(uint32_t, TWexlaUserIdentity*, uint32_t*, uint32_t, uint32_t, uint32_t*)>(
        "WexlaProcessOngoingUserIDTicketValidation")(hValidation, &validated, &nExtra, 0, 0, nullptr);
    printf("  validated: result %d (0: valid), account %u\n", nResult,
           2 * validated.nAccountHigh + validated.nAccountLowBit);
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
    eOpenFileEx = 17,
    eGetVersion = 20,
    eCloseFile = 27,
    eReadFile = 28,
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

    // Version 006's OpenFileEx: path, mode, (unused), size out, (unused), record.
    TWexlaError record;
    memset(&record, 0, sizeof(record));
    uint32_t uSize = 0;
    uint32_t hFile = CallMethod<uint32_t>(pWexla, eOpenFileEx, "scripts/level1.txt", "rb", 0u, &uSize, 0u, &record);
    printf("OpenFileEx(\"scripts/level1.txt\") through the object: handle 0x%08x, %u bytes\n", hFile, uSize);
    PrintRecord(record);
    if (hFile)
    {
        char szText[256] = {};
        uint32_t uWanted = uSize < sizeof(szText) - 1 ? uSize : static_cast<uint32_t>(sizeof(szText) - 1);
        int nRead = CallMethod<int>(pWexla, eReadFile, static_cast<void*>(szText), 1u, uWanted, hFile, &record);
        szText[strcspn(szText, "\r\n")] = '\0';
        printf("  ReadFile through the object: %d bytes, the first line \"%s\"\n", nRead, szText);
        CallMethod<int>(pWexla, eCloseFile, hFile, &record);
    }

    printf("FindServersNumServers(4) through the object (only logs):\n");
    nResult = CallMethod<int>(pWexla, eFindServersNumServers, 4u);
    printf("  result %d\n", nResult);

    printf("ReservedReturnsOne through the object: %d\n", CallMethod<int>(pWexla, eReservedReturnsOne));

    printf("_f(\"Wexla007\"), a version that does not exist:\n");
    printf("  %s\n", pfnFactory("Wexla007") ? "object" : "null");
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
// Directory search, status and local copies: what a level loader asks before
// it opens files, and the disk copy that code opening files by itself needs.
struct FindApi
{
    WexlaFindHandle_t(__cdecl* FindFirst)(const char*, uint32_t, TWexlaEntryInfo*, TWexlaError*);
    int(__cdecl* FindNext)(WexlaFindHandle_t, TWexlaEntryInfo*, TWexlaError*);
    int(__cdecl* FindClose)(WexlaFindHandle_t, TWexlaError*);
    int(__cdecl* Stat)(const char*, TWexlaEntryInfo*, TWexlaError*);
    int(__cdecl* IsAvailable)(const char*, TWexlaError*);
    int(__cdecl* LocalCopy)(const char*, TWexlaError*);
};

FindApi ImportFindApi()
{
    FindApi api;
    api.FindFirst = Import<decltype(api.FindFirst)>("WexlaFindFirst");
    api.FindNext = Import<decltype(api.FindNext)>("WexlaFindNext");
    api.FindClose = Import<decltype(api.FindClose)>("WexlaFindClose");
    api.Stat = Import<decltype(api.Stat)>("WexlaStat");
    api.IsAvailable = Import<decltype(api.IsAvailable)>("WexlaIsFileImmediatelyAvailable");
    api.LocalCopy = Import<decltype(api.LocalCopy)>("WexlaGetLocalFileCopy");
    return api;
}

void PrintEntry(const TWexlaEntryInfo& info)
{
    printf("  %-14s %-9s from %-7s size %u\n", info.name, info.isDirectory ? "directory" : "file",
           info.onDisk ? "disk" : "archive", info.size);
}

void Search(const FindApi& find, const char* pszPattern, uint32_t eFilter)
{
    printf("search \"%s\", %s:\n", pszPattern, eFilter ? "disk and archives" : "disk only");
    TWexlaEntryInfo info;
    TWexlaError record;
    const WexlaFindHandle_t hFind = find.FindFirst(pszPattern, eFilter, &info, &record);
    if (!hFind)
    {
        PrintRecord(record);
        return;
    }
    printf("  find handle %u\n", hFind);
    do
        PrintEntry(info);
    while (find.FindNext(hFind, &info, &record) == 0);
    find.FindClose(hFind, &record);
}

void StatPath(const FindApi& find, const char* pszPath)
{
    TWexlaEntryInfo info;
    TWexlaError record;
    const int nResult = find.Stat(pszPath, &info, &record);
    printf("stat \"%s\": result %d, error kind %d\n", pszPath, nResult, record.eKind);
    if (nResult == 0 && record.eKind == 0)
        PrintEntry(info);
}

// The whole file as plain C stdio reads it from the disk.
long DiskBytes(const char* pszPath, char* pBuffer, long nCapacity)
{
    FILE* pFile = fopen(pszPath, "rb");
    if (!pFile)
        return -1;
    const long n = static_cast<long>(fread(pBuffer, 1, static_cast<size_t>(nCapacity), pFile));
    fclose(pFile);
    return n;
}

void ShowSearchAndCopies(const FileApi& fs)
{
    FindApi find = ImportFindApi();
    Search(find, "maps/*", 1);
    Search(find, "*.txt", 1);
    Search(find, "scripts/*", 0);
    StatPath(find, "maps/harbour.txt");
    StatPath(find, "materials");
    StatPath(find, "savegame.txt");
    StatPath(find, "nul");
    StatPath(find, "maps/missing.txt");

    // Code that opens files by itself needs a real disk copy of an archived
    // file; its folder does not exist yet.
    const char* pszScript = "scripts/level1.txt";
    TWexlaError record;
    char disk[512];
    printf("before the copy, plain stdio %s %s\n",
           DiskBytes(pszScript, disk, sizeof(disk)) < 0 ? "cannot open" : "already opens", pszScript);
    printf("WexlaGetLocalFileCopy %s: result %d\n", pszScript, find.LocalCopy(pszScript, &record));
    const long nDisk = DiskBytes(pszScript, disk, sizeof(disk));
    char archived[512];
    WexlaFileHandle_t hFile = fs.Open(pszScript, "rb", &record);
    const uint32_t nArchived = fs.Read(archived, 1, sizeof(archived), hFile, &record);
    fs.Close(hFile, &record);
    const bool bSame = nDisk == static_cast<long>(nArchived) && memcmp(disk, archived, nArchived) == 0;
    printf("  plain stdio now reads %ld bytes; the same bytes as the archive: %s\n", nDisk, bSame ? "yes" : "no");
    printf("WexlaGetLocalFileCopy %s again (already on disk): result %d\n", pszScript,
           find.LocalCopy(pszScript, &record));
    printf("WexlaGetLocalFileCopy maps/missing.txt: result %d\n", find.LocalCopy("maps/missing.txt", &record));
    // The copy on disk and the archived file are both listed, disk first.
    Search(find, "scripts/*", 1);
    printf("WexlaIsFileImmediatelyAvailable materials/brick.txt: %d\n",
           find.IsAvailable("materials/brick.txt", &record));
}

// The level load: every texture the level needs, opened, read whole and
// closed, as a loading screen does; the time it took is what a player waits.
void LoadLevel(const FileApi& fs, const FindApi& find)
{
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    TWexlaEntryInfo info;
    TWexlaError record;
    uint32_t nFiles = 0;
    uint64_t nBytes = 0;
    static char s_buffer[1 << 16];
    const WexlaFindHandle_t hFind = find.FindFirst("textures/*", 1, &info, &record);
    if (hFind)
    {
        do
        {
            char szPath[300];
            snprintf(szPath, sizeof(szPath), "textures/%s", info.name);
            const WexlaFileHandle_t hFile = fs.Open(szPath, "rb", &record);
            if (!hFile)
                continue;
            uint32_t n;
            while ((n = fs.Read(s_buffer, 1, sizeof(s_buffer), hFile, &record)) > 0)
                nBytes += n;
            fs.Close(hFile, &record);
            ++nFiles;
        } while (find.FindNext(hFind, &info, &record) == 0);
        find.FindClose(hFind, &record);
    }
    QueryPerformanceCounter(&end);
    const double dMs = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
    printf("level load: %u textures, %llu bytes read\n", nFiles, static_cast<unsigned long long>(nBytes));
    printf("  the level loaded in %.1f ms\n", dMs);
}

// A short session: start-up mounts what the client or the qars folder offers,
// a few of the level's files are read, and the game quits.
void PlayShortSession()
{
    StartUpAgainstClient();
    FileApi fs = ImportFileApi();
    ReadWholeFile(fs, "scripts/level1.txt", "rb");
    ReadWholeFile(fs, "dlc/bonus.txt", "rt");
    CleanUpClient();
}
} // namespace

int main(int argc, char** argv)
{
    AddVectoredExceptionHandler(1, ShowDebuggerText);
    printf("sample game: loading wexla.dll\n");
    g_hWexla = LoadLibraryA("wexla.dll");
    if (!g_hWexla)
    {
        printf("  could not load wexla.dll (error %lu)\n", GetLastError());
        return 1;
    }

    // "--short": start up, read two files, quit (the demo's runs that mount
    // through the client's depot list and through the qars folder).
    if (argc > 1 && strcmp(argv[1], "--short") == 0)
    {
        PlayShortSession();
        FreeLibrary(g_hWexla);
        printf("sample game: done\n");
        return 0;
    }

    StartUpAgainstClient();
    ShowApplicationAndTicket();

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
    ShowSearchAndCopies(ImportFileApi());
    LoadLevel(ImportFileApi(), ImportFindApi());
    PlayThroughInterfaceObject();
    CleanUpClient();

    FreeLibrary(g_hWexla);
    printf("sample game: done\n");
    return 0;
}

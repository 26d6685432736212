// Directory search, file status and local copies. Searches list the disk
// first and the archives after it; status asks the archives first.
#include "wrapper/wexla2wrapper_find.h"

#include "core/platform.h"
#include "qarlib/packedstore.h"
#include "util/filewriter.h"
#include "util/strtools.h"
#include "wrapper/wexla2wrapper_stdio.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace
{
// Every entry that comes from an archive carries this time (26 August 1975,
// 00:00:00 UTC) in all three time fields.
constexpr int32_t ARCHIVE_ENTRY_TIME = 178243200;

struct DiskSearchCloser
{
    void operator()(PlatFindState* pSearch) const { Plat_FindClose(pSearch); }
};

// One open search: the disk search while it has entries left, then the
// archive directories and files collected when it started.
struct FindRecord
{
    std::unique_ptr<PlatFindState, DiskSearchCloser> pDiskSearch; // null once closed
    std::vector<std::string> directories;
    std::vector<std::string> files;
    int32_t nDirectoryCursor = 0; // next unread element of each list
    int32_t nFileCursor = 0;
};

// Open searches by find handle, and the counter that names the next search.
// Guarded by the file-system lock (g_FileSystem.lock), held for the whole of
// every find call.
struct FindTable
{
    std::map<WexlaFindHandle_t, FindRecord> records;
    WexlaFindHandle_t nNextHandle = 1;
};
FindTable g_FindTable;

// Where local copies get their whole-file buffer. Not guarded: set while no
// copy runs.
struct LocalCopySettings
{
    LocalCopyAllocator_t pfnAllocate = nullptr; // null: malloc
};
LocalCopySettings g_LocalCopy;

const char* TraceText(const char* pszText)
{
    return pszText ? pszText : "";
}

// Bounded copy with zero fill: a name of 255 characters or more fills the
// field without a terminator, and the padding byte after it ends it.
void SetEntryName(TWexlaEntryInfo* pInfo, const char* pszName)
{
    strncpy(pInfo->name, pszName, sizeof(pInfo->name));
    pInfo->padding = '\0';
}

uint32_t SizeField(int64_t nSize)
{
    if (nSize < 0)
        return 0;
    return nSize > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(nSize);
}

int32_t TimeField(int64_t nSeconds)
{
    if (nSeconds < INT32_MIN)
        return INT32_MIN;
    return nSeconds > INT32_MAX ? INT32_MAX : static_cast<int32_t>(nSeconds);
}

void FillFromDiskEntry(TWexlaEntryInfo* pInfo, const PlatFindData& data)
{
    if (!pInfo)
        return;
    pInfo->isDirectory = (data.nAttributes & PLAT_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    pInfo->size = SizeField(data.nSize);
    pInfo->onDisk = 1;
    SetEntryName(pInfo, data.szName);
    pInfo->accessTime = TimeField(data.nAccessTime);
    pInfo->modifyTime = TimeField(data.nWriteTime);
    pInfo->createTime = TimeField(data.nCreateTime);
}

void FillFromDiskStatus(TWexlaEntryInfo* pInfo, const PlatFileStatus& status, const char* pszPath)
{
    if (!pInfo)
        return;
    pInfo->isDirectory = status.eType == PLAT_PATH_DIRECTORY ? 1 : 0;
    pInfo->size = SizeField(static_cast<int64_t>(status.nSize));
    pInfo->onDisk = 1;
    SetEntryName(pInfo, V_LastComponent(pszPath));
    pInfo->accessTime = TimeField(status.nAccessTime);
    pInfo->modifyTime = TimeField(status.nWriteTime);
    pInfo->createTime = TimeField(status.nCreateTime);
}

// pszText: an archive path or name; the entry is named by its last component.
void FillFromArchive(TWexlaEntryInfo* pInfo, const char* pszText, bool bDirectory, uint32_t nSize)
{
    if (!pInfo)
        return;
    pInfo->isDirectory = bDirectory ? 1 : 0;
    pInfo->size = nSize;
    pInfo->onDisk = 0;
    SetEntryName(pInfo, V_LastComponent(pszText));
    pInfo->accessTime = ARCHIVE_ENTRY_TIME;
    pInfo->modifyTime = ARCHIVE_ENTRY_TIME;
    pInfo->createTime = ARCHIVE_ENTRY_TIME;
}

// The next unread archive entry, directories before files: a directory with
// size 0, a file with size 1 (a search does not look up file sizes). False
// when both lists are read.
bool DeliverArchiveEntry(FindRecord& record, TWexlaEntryInfo* pInfo)
{
    if (static_cast<size_t>(record.nDirectoryCursor) < record.directories.size())
    {
        FillFromArchive(pInfo, record.directories[record.nDirectoryCursor++].c_str(), true, 0);
        return true;
    }
    if (static_cast<size_t>(record.nFileCursor) < record.files.size())
    {
        FillFromArchive(pInfo, record.files[record.nFileCursor++].c_str(), false, 1);
        return true;
    }
    return false;
}

// A handle never given before (0 is skipped should the counter wrap).
WexlaFindHandle_t TakeFindHandle()
{
    FindTable& table = g_FindTable;
    WexlaFindHandle_t hFind;
    do
        hFind = table.nNextHandle++;
    while (hFind == 0 || table.records.count(hFind) != 0);
    return hFind;
}

// Collects and enters a search; its handle, or 0 when it found nothing.
// Called with the file-system lock held.
WexlaFindHandle_t StartSearch(const char* pszPattern, uint32_t eFilter, TWexlaEntryInfo* pInfo)
{
    FindRecord record;
    PlatFindData data;
    record.pDiskSearch.reset(Plat_FindFirst(pszPattern, &data));
    if (record.pDiskSearch)
        FillFromDiskEntry(pInfo, data);
    if (eFilter != 0)
    {
        char szPattern[FS_PATH_SIZE];
        NormalizeArchivePath(pszPattern, szPattern, sizeof(szPattern));
        for (CPackedStore* pStore : g_FileSystem.mounts)
            pStore->FindEntries(szPattern, record.directories, record.files);
        if (!record.pDiskSearch)
            DeliverArchiveEntry(record, pInfo);
    }
    if (!record.pDiskSearch && record.directories.empty() && record.files.empty())
        return 0;
    const WexlaFindHandle_t hFind = TakeFindHandle();
    g_FindTable.records.emplace(hFind, std::move(record));
    return hFind;
}

// The status of a path, archives first; 0 when found, -1 when not.
int StatPath(const char* pszPath, TWexlaEntryInfo* pInfo, TWexlaError* pError)
{
    char szPath[FS_PATH_SIZE];
    NormalizeArchivePath(pszPath, szPath, sizeof(szPath));
    for (CPackedStore* pStore : g_FileSystem.mounts)
    {
        const CPackedFileHandle found = pStore->OpenFile(szPath);
        if (found.nArchiveIndex != -1)
        {
            FillFromArchive(pInfo, szPath, false, SizeField(found.nSize));
            return 0;
        }
    }
    // A path with an extension is never taken for an archive directory.
    if (!V_ExtensionOf(szPath))
    {
        for (CPackedStore* pStore : g_FileSystem.mounts)
        {
            if (pStore->DirectoryExists(szPath))
            {
                FillFromArchive(pInfo, szPath, true, 0);
                return 0;
            }
        }
    }
    PlatFileStatus status;
    if (!Plat_GetFileStatus(pszPath, &status))
        return -1; // the caller reports it
    if (status.eType == PLAT_PATH_OTHER)
    {
        // Exists, but is neither a file nor a directory (a device): found,
        // with nothing to report.
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
        return 0;
    }
    FillFromDiskStatus(pInfo, status, pszPath);
    return 0;
}

// Writes an archived file to the very path asked for; 1 when the path is a
// disk file afterwards.
int CopyToDisk(const char* pszPath)
{
    PlatFileStatus status;
    if (Plat_GetFileStatus(pszPath, &status) && status.eType == PLAT_PATH_FILE)
        return 1;

    uint32_t uSize = 0;
    const WexlaFileHandle_t hFile = OpenArchiveFile(pszPath, "rb", &uSize);
    if (!hFile)
        return 0;
    int nResult = 0;
    CPackedFileHandle* pFile = LookupArchiveHandle(hFile);
    const LocalCopyAllocator_t pfnAllocate = g_LocalCopy.pfnAllocate ? g_LocalCopy.pfnAllocate : malloc;
    // One byte at least: an empty file still needs a buffer to read into.
    void* pBuffer = pFile ? pfnAllocate(uSize ? uSize : 1) : nullptr;
    if (pBuffer && pFile->pStore->ReadData(*pFile, pBuffer, static_cast<int32_t>(uSize)) == static_cast<int32_t>(uSize))
    {
        CFileWriter writer;
        if (writer.Open(pszPath))
        {
            const bool bWritten = writer.Write(pBuffer, uSize);
            nResult = writer.Close() && bWritten ? 1 : 0;
        }
    }
    free(pBuffer);
    CloseArchiveHandle(hFile);
    return nResult;
}
} // namespace

void SetLocalCopyAllocator(LocalCopyAllocator_t pfnAllocate)
{
    g_LocalCopy.pfnAllocate = pfnAllocate;
}

#if !defined(_WIN32)
void ResetFindTableForTesting()
{
    CReentrantLockGuard guard(g_FileSystem.lock);
    g_FindTable = FindTable();
}
#endif

WEXLA_API WexlaFindHandle_t WexlaFindFirst(const char* pszPattern, uint32_t eFilter, TWexlaEntryInfo* pInfo,
                                           TWexlaError* pError)
{
    CReentrantLockGuard guard(g_FileSystem.lock);
    ClearWexlaError(pError);
    WexlaFindHandle_t hFind = 0;
    try
    {
        if (pszPattern)
            hFind = StartSearch(pszPattern, eFilter, pInfo);
    }
    catch (const std::bad_alloc&)
    {
        hFind = 0; // the lists could not be held: reported as a failed search
    }
    if (!hFind && pError)
        SetWexlaError(pError, "WexlaFindFirst failed", eWexlaErrorFailed);
    WEXLA_TRACE("find first %s, eFiler %u, ret %u", TraceText(pszPattern), eFilter, hFind);
    return hFind;
}

WEXLA_API int WexlaFindNext(WexlaFindHandle_t hFind, TWexlaEntryInfo* pInfo, TWexlaError* pError)
{
    CReentrantLockGuard guard(g_FileSystem.lock);
    ClearWexlaError(pError);
    if (pInfo)
        pInfo->name[0] = '\0';
    int nResult = -1;
    auto it = g_FindTable.records.find(hFind);
    if (it != g_FindTable.records.end())
    {
        FindRecord& record = it->second;
        if (record.pDiskSearch)
        {
            PlatFindData data;
            if (Plat_FindNext(record.pDiskSearch.get(), &data))
            {
                FillFromDiskEntry(pInfo, data);
                nResult = 0;
            }
            else
            {
                record.pDiskSearch.reset(); // run dry: closed at once
            }
        }
        if (nResult != 0 && DeliverArchiveEntry(record, pInfo))
            nResult = 0;
    }
    WEXLA_TRACE("find next %s, ret %u", pInfo ? pInfo->name : "", static_cast<uint32_t>(nResult));
    return nResult;
}

WEXLA_API int WexlaFindClose(WexlaFindHandle_t hFind, TWexlaError* pError)
{
    CReentrantLockGuard guard(g_FileSystem.lock);
    ClearWexlaError(pError);
    // Erasing the record closes its disk search and frees both lists.
    const int nResult = g_FindTable.records.erase(hFind) != 0 ? 0 : -1;
    WEXLA_TRACE("find close %u, ret %u", hFind, static_cast<uint32_t>(nResult));
    return nResult;
}

WEXLA_API int WexlaStat(const char* pszPath, TWexlaEntryInfo* pInfo, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (pInfo)
        memset(pInfo, 0, sizeof(*pInfo));
    int nResult = -1;
    try
    {
        if (pszPath)
            nResult = StatPath(pszPath, pInfo, pError);
    }
    catch (const std::bad_alloc&)
    {
        nResult = -1; // an archive's directory index could not be built
    }
    if (nResult == -1)
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
    WEXLA_TRACE("stat %s, ret %d", TraceText(pszPath), nResult);
    return nResult;
}

WEXLA_API int WexlaIsFileImmediatelyAvailable(const char* pszPath, TWexlaError* pError)
{
    TWexlaEntryInfo info;
    const int nResult = WexlaStat(pszPath, &info, pError) != -1 ? 1 : 0;
    WEXLA_TRACE("immediately available %s, ret %u", TraceText(pszPath), static_cast<uint32_t>(nResult));
    return nResult;
}

WEXLA_API int WexlaGetLocalFileCopy(const char* pszPath, TWexlaError* pError)
{
    ClearWexlaError(pError);
    const int nResult = pszPath ? CopyToDisk(pszPath) : 0;
    WEXLA_TRACE("local copy %s, ret %u", TraceText(pszPath), static_cast<uint32_t>(nResult));
    return nResult;
}

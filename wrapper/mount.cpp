// Mounting: which archives go into the mount list, and in which order. The
// archive mounted last is searched first.
#include "wrapper/wexla2wrapper_stdio.h"

#include "public/wexla_client.h"
#include "qarlib/packedstore.h"
#include "util/diriterator.h"
#include "util/keyvalues.h"
#include "util/strtools.h"
#include "util/utlbuffer.h"
#include "wrapper/client_binding.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace
{
constexpr const char* MOUNT_LIST_FILE = "wexla_qars.rmk";
constexpr int MAX_APP_DEPOTS = 64;

// Reads the mount list file whole into a text buffer; false when it cannot
// be opened or read.
bool ReadMountListFile(CUtlBuffer& buf)
{
    FILE* pFile = fopen(MOUNT_LIST_FILE, "rb");
    if (!pFile)
        return false;
    bool bOk = true;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof(chunk), pFile)) > 0)
        buf.Put(chunk, static_cast<int>(n));
    if (ferror(pFile) || !buf.IsValid())
        bOk = false;
    fclose(pFile);
    return bOk;
}

enum EMountListResult
{
    MOUNT_LIST_ABSENT,    // no file, or no "mount" section: discover the archives
    MOUNT_LIST_MOUNTED,   // its "mount" section decided
    MOUNT_LIST_BAD,       // present but not parsable
};

// The mount list file: its "spewfileio" switches tracing, its "mount"
// section names the archives in mounting order.
EMountListResult MountFromMountList()
{
    CUtlBuffer buf(0, 0, CUtlBuffer::TEXT_BUFFER);
    if (!ReadMountListFile(buf))
        return MOUNT_LIST_ABSENT;
    KeyValues* pRoot = new KeyValues("qar");
    if (!pRoot->LoadFromBuffer("qar", buf))
    {
        pRoot->Destroy();
        return MOUNT_LIST_BAD;
    }
    bVerboseTrace = KeyValues::ValueAsBool(pRoot->LookupKey("spewfileio"), false);
    KeyValues* pMount = pRoot->LookupKey("mount");
    if (pMount)
    {
        for (KeyValues* pChild = pMount->FirstValueChild(); pChild; pChild = pChild->NextValuePeer())
            MountArchive(pChild->ValueAsString(""));
    }
    pRoot->Destroy();
    return pMount ? MOUNT_LIST_MOUNTED : MOUNT_LIST_ABSENT;
}

// The depots the client lists for the application, at most nCapacity of them;
// 0 when there is no client or it lists none.
int CollectDepots(uint32_t uAppId, uint32_t* pDepots, int nCapacity)
{
    IWexlaApps* pApps = g_ClientBinding.pApps;
    if (!pApps)
        return 0;
    int32_t nCount = pApps->CollectAppDepots(uAppId, pDepots, static_cast<uint32_t>(nCapacity));
    if (nCount <= 0)
        return 0;
    // A client that reports more than it could write is not read past the array.
    return nCount > nCapacity ? nCapacity : nCount;
}

void MountDepot(const char* pszAppFolder, uint32_t uDepotId)
{
    char szBasePath[FS_PATH_SIZE];
    V_FormatBounded(szBasePath, sizeof(szBasePath), "%s\\qars\\depot_%u", pszAppFolder, uDepotId);
    MountArchive(szBasePath);
}

bool MountFromDepots()
{
    uint32_t depots[MAX_APP_DEPOTS] = {};
    int nCount = CollectDepots(g_ClientBinding.nCurrentAppId, depots, MAX_APP_DEPOTS);
    for (int i = 0; i < nCount; ++i)
        MountDepot(g_ClientBinding.szAppFolder, depots[i]);
    return nCount > 0;
}

// Every depot directory file in the application's qars folder, in the order
// the file system lists them.
void MountFromQarsFolder()
{
    const char* pszAppFolder = g_ClientBinding.szAppFolder;
    char szPattern[FS_PATH_SIZE];
    V_FormatBounded(szPattern, sizeof(szPattern), "%s\\qars\\depot_*_dir.qar", pszAppFolder);
    CDirIterator entries(szPattern);
    while (const char* pszName = entries.Next())
    {
        char szBasePath[FS_PATH_SIZE];
        V_FormatBounded(szBasePath, sizeof(szBasePath), "%s\\qars\\%s", pszAppFolder, pszName);
        if (char* pszSuffix = const_cast<char*>(V_FindNoCase(szBasePath, "_dir.qar")))
            *pszSuffix = '\0';
        MountArchive(szBasePath);
    }
}
} // namespace

void MountArchive(const char* pszBasePath)
{
    FileSystemState& fs = g_FileSystem;
    if (!pszBasePath)
        return;
    for (CPackedStore* pStore : fs.mounts)
        if (V_CompareNoCaseN(pStore->GetFullPath(), pszBasePath, INT_MAX) == 0)
            return;
    char szDirFileName[CPackedStore::PATH_SIZE] = {};
    auto* pStore = new CPackedStore(pszBasePath, szDirFileName);
    if (pStore->IsEmpty())
    {
        delete pStore;
        return;
    }
    fs.mounts.insert(fs.mounts.begin(), pStore);
    pStore->GetReadCache().SetBlockLimit(1);
    WEXLA_TRACE("Mounting %s", szDirFileName);
}

bool MountAppArchives()
{
    if (!g_FileSystem.mounts.empty())
        return true;
    EnableVerboseTraceFromCommandLine();
    switch (MountFromMountList())
    {
    case MOUNT_LIST_BAD:
        return false;
    case MOUNT_LIST_MOUNTED:
        return true;
    case MOUNT_LIST_ABSENT:
        break;
    }
    if (!MountFromDepots())
        MountFromQarsFolder();
    return true;
}

void UnmountAll()
{
    FileSystemState& fs = g_FileSystem;
    {
        CReentrantLockGuard guard(fs.lock);
        fs.archiveHandles.ForEach([](CPackedFileHandle* pFile) { delete pFile; });
        fs.archiveHandles.FreeAll();
    }
    for (CPackedStore* pStore : fs.mounts)
        delete pStore;
    fs.mounts.clear();
    fs.mounts.shrink_to_fit();
}

WEXLA_API int WexlaMountAppFilesystem(TWexlaError* pError)
{
    ClearWexlaError(pError);
    WEXLA_TRACE("WexlaMountAppFilesystem");
    if (!InitFileSystem())
        return 0;
    return MountAppArchives() ? 1 : 0;
}

WEXLA_API int WexlaMountFilesystem(uint32_t uDepotId, const char* pszPath, TWexlaError* pError)
{
    ClearWexlaError(pError);
    // Before start-up has bound the client there is no folder to ask for:
    // nothing is mounted.
    if (IWexlaApps* pApps = g_ClientBinding.pApps)
    {
        char szFolder[FS_PATH_SIZE] = {};
        pApps->QueryAppFolder(DepotOwner(uDepotId), szFolder, sizeof(szFolder));
        szFolder[sizeof(szFolder) - 1] = '\0';
        MountDepot(szFolder, uDepotId);
    }
    WEXLA_TRACE("WexlaMountFilesystem uDepotId %u, path \"%s\"", uDepotId, pszPath ? pszPath : "");
    return 1;
}

WEXLA_API int WexlaUnmountAppFilesystem(TWexlaError* pError)
{
    ClearWexlaError(pError);
    UnmountAll();
    return 1;
}

// File handles, the handle tables and the stream entry points.
#include "wrapper/wexla2wrapper_stdio.h"

#include "qarlib/packedstore.h"

FileSystemState g_FileSystem;

bool InitFileSystem()
{
    return g_FileSystem.nWorkingDirLength > 0;
}

void NormalizeArchivePath(const char* pszPath, char* pszOut, int nOutSize)
{
    if (nOutSize > 0)
        pszOut[0] = '\0';
}

WexlaFileHandle_t OpenArchiveFile(const char* pszPath, const char* pszMode, uint32_t* pSizeOut)
{
    return 0;
}

CPackedFileHandle* LookupArchiveHandle(WexlaFileHandle_t hFile)
{
    return nullptr;
}

FILE* LookupStream(WexlaFileHandle_t hFile)
{
    return nullptr;
}

bool CloseArchiveHandle(WexlaFileHandle_t hFile)
{
    return false;
}

FILE* DetachStream(WexlaFileHandle_t hFile)
{
    return nullptr;
}

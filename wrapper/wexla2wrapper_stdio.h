// The content file system: file handles over plain C-library streams and over
// files inside mounted packed archives, the mount list, path normalisation for
// archive lookups, and the stream entry points.
#pragma once

#include "core/threadtools.h"
#include "wrapper/slot_table.h"
#include "wrapper/wexla_frame.h"

#include <cstdint>
#include <cstdio>
#include <vector>

class CPackedStore;
struct CPackedFileHandle;

// File handle bits. A valid handle is never 0 and never has bit 31 set.
constexpr uint32_t QAR_FILE_HANDLE_FLAG = 0x40000000u; // a file inside an archive
constexpr uint32_t QAR_TEXT_MODE_FLAG = 0x20000000u;   // archive file read in text mode
constexpr uint32_t ARCHIVE_SLOT_LIMIT = 0x20000000u;   // archive handle slots: bits 0-28
constexpr uint32_t STREAM_SLOT_LIMIT = 0x40000000u;    // plain handle slots: bits 0-29

constexpr int FS_PATH_SIZE = 1024;

typedef uint32_t WexlaFileHandle_t;

// Process-wide state of the content file system.
struct FileSystemState
{
    // Guards the stream table, the archive handle table, the search family's
    // find table and its searches. Held only around table work, never across
    // a read, write or seek.
    CReentrantLock lock;

    // Plain handle = slot index; slot 0 is reserved by InitFileSystem with no
    // stream so that no plain handle is 0.
    CSlotTable<FILE*> streams{STREAM_SLOT_LIMIT};
    // Archive handle = QAR_FILE_HANDLE_FLAG (+ QAR_TEXT_MODE_FLAG) + slot;
    // each slot owns its heap copy of a lookup result.
    CSlotTable<CPackedFileHandle*> archiveHandles{ARCHIVE_SLOT_LIMIT};

    // Mounted archives, newest first; lookups stop at the first that has the
    // path. Not guarded: mounting and unmounting must not overlap other calls.
    std::vector<CPackedStore*> mounts;

    // The working directory with a trailing backslash, captured once by
    // InitFileSystem; a length above 0 means the file system is initialised.
    char szWorkingDir[FS_PATH_SIZE] = {};
    int32_t nWorkingDirLength = 0;
};

extern FileSystemState g_FileSystem;

// Captures the working-directory prefix and reserves slot 0 of the stream
// table; true when both are in place (at once when already initialised).
bool InitFileSystem();

// The archive-relative form of a path: "./" or ".\" dropped, double slashes
// collapsed, backslash separators, dot segments resolved, the working
// directory stripped (in any letter case).
void NormalizeArchivePath(const char* pszPath, char* pszOut, int nOutSize);

// Opens the path from the first mounted archive that has it (modes "r" and
// "rt", any case, are text mode). Returns the archive handle, 0 when no
// archive has it; *pSizeOut (may be null) receives the file's size.
WexlaFileHandle_t OpenArchiveFile(const char* pszPath, const char* pszMode, uint32_t* pSizeOut);

// Handle lookups and removals; each takes the file-system lock. A lookup of a
// handle in neither table answers null / false.
CPackedFileHandle* LookupArchiveHandle(WexlaFileHandle_t hFile);
FILE* LookupStream(WexlaFileHandle_t hFile);
// Frees the record of an archive handle; false when the slot was not in use.
bool CloseArchiveHandle(WexlaFileHandle_t hFile);
// Frees the slot of a plain handle and hands back its stream (null when none).
FILE* DetachStream(WexlaFileHandle_t hFile);

// Mounting (wrapper/mount.cpp).
// Opens the archive with that base path and puts it at the front of the mount
// list, unless it is already mounted or holds nothing.
void MountArchive(const char* pszBasePath);
// Mounts the current application's archives (mount list file, depots, or
// the qars folder scan) unless something is mounted already; false when the
// mount list file is present but cannot be parsed.
bool MountAppArchives();
// Frees every archive handle (the next archive open gets slot 0) and
// destroys every mounted archive.
void UnmountAll();

#ifndef _WIN32
// Host tests only: closes every plain stream, unmounts everything and forgets
// the working-directory prefix, as in a fresh process.
void ResetFileSystemForTesting();
#endif

// Stream entry points.
WEXLA_API WexlaFileHandle_t WexlaOpenFile(const char* pszPath, const char* pszMode, TWexlaError* pError);
WEXLA_API WexlaFileHandle_t WexlaOpenFileEx(const char* pszPath, const char* pszMode, uint32_t* pSize,
                                            TWexlaError* pError);
WEXLA_API WexlaFileHandle_t WexlaOpenTmpFile(TWexlaError* pError);
WEXLA_API int WexlaCloseFile(WexlaFileHandle_t hFile, TWexlaError* pError);
WEXLA_API uint32_t WexlaReadFile(void* pBuffer, uint32_t uSize, uint32_t uCount, WexlaFileHandle_t hFile,
                                 TWexlaError* pError);
WEXLA_API uint32_t WexlaWriteFile(const void* pBuffer, uint32_t uSize, uint32_t uCount, WexlaFileHandle_t hFile,
                                  TWexlaError* pError);
WEXLA_API int WexlaSeekFile(WexlaFileHandle_t hFile, int32_t nOffset, int nOrigin, TWexlaError* pError);
WEXLA_API int32_t WexlaTellFile(WexlaFileHandle_t hFile, TWexlaError* pError);
WEXLA_API int32_t WexlaSizeFile(WexlaFileHandle_t hFile, TWexlaError* pError);
WEXLA_API int WexlaGetc(WexlaFileHandle_t hFile, TWexlaError* pError);
WEXLA_API int WexlaPutc(int nChar, WexlaFileHandle_t hFile, TWexlaError* pError);
WEXLA_API int WexlaPrintFile(WexlaFileHandle_t hFile, TWexlaError* pError, const char* pszFormat, ...)
    WEXLA_PRINTF(3, 4);
WEXLA_API int WexlaSetvBuf(WexlaFileHandle_t hFile, void* pBuffer, int nMode, uint32_t uSize,
                           TWexlaError* pError);
WEXLA_API int WexlaFlushFile(WexlaFileHandle_t hFile, TWexlaError* pError);

// Mounting entry points.
WEXLA_API int WexlaMountAppFilesystem(TWexlaError* pError);
WEXLA_API int WexlaMountFilesystem(uint32_t uDepotId, const char* pszPath, TWexlaError* pError);
WEXLA_API int WexlaUnmountAppFilesystem(TWexlaError* pError);

// File handles, the handle tables and the stream entry points.
#include "wrapper/wexla2wrapper_stdio.h"

#include "core/platform.h"
#include "qarlib/packedstore.h"
#include "util/strtools.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>

FileSystemState g_FileSystem;

namespace
{
constexpr uint32_t ARCHIVE_SLOT_MASK = ~(QAR_FILE_HANDLE_FLAG | QAR_TEXT_MODE_FLAG);
// Compares whole texts case-insensitively.
constexpr int WHOLE_TEXT = INT_MAX;

bool IsArchiveHandle(WexlaFileHandle_t hFile)
{
    return (hFile & QAR_FILE_HANDLE_FLAG) != 0;
}

// The write side never touches an archive file: reported as an assertion.
bool RefuseArchiveHandle(WexlaFileHandle_t hFile)
{
    if (!IsArchiveHandle(hFile))
        return false;
    ReportAssertion("Assertion Failed: !(hFile & QAR_FILE_HANDLE_FLAG)", false, "wexla2wrapper_stdio", __LINE__, 0);
    return true;
}

// Slot 0 of the stream table holds no stream, so no plain handle is 0.
// Idempotent; called with the lock held. True when slot 0 is the reserved
// entry.
bool ReserveStreamSlotZero()
{
    FileSystemState& fs = g_FileSystem;
    FILE* pStream = nullptr;
    if (fs.streams.SlotCount() == 0)
        return fs.streams.Add(nullptr) == 0;
    return fs.streams.Get(0, &pStream) && pStream == nullptr;
}

// Enters a stream into the table; its handle, or 0 (the stream closed) when
// the table is full.
WexlaFileHandle_t AddStream(FILE* pStream)
{
    int64_t nSlot;
    {
        CReentrantLockGuard guard(g_FileSystem.lock);
        ReserveStreamSlotZero();
        nSlot = g_FileSystem.streams.Add(pStream);
    }
    if (nSlot <= 0)
    {
        fclose(pStream);
        return 0;
    }
    return static_cast<WexlaFileHandle_t>(nSlot);
}

// Length of an open plain stream, its position kept; -1 when the position
// cannot be read.
int32_t StreamLength(FILE* pStream)
{
    long nPosition = ftell(pStream);
    if (nPosition < 0)
        return -1;
    fseek(pStream, 0, SEEK_END);
    long nSize = ftell(pStream);
    fseek(pStream, nPosition, SEEK_SET);
    return static_cast<int32_t>(nSize);
}

bool IsWriteMode(const char* pszMode)
{
    char c = pszMode[0];
    return c == 'w' || c == 'W' || c == 'a' || c == 'A';
}

bool IsTextMode(const char* pszMode)
{
    return V_CompareNoCaseN(pszMode, "r", WHOLE_TEXT) == 0 || V_CompareNoCaseN(pszMode, "rt", WHOLE_TEXT) == 0;
}

int32_t ClampToFile(int64_t nTarget, const CPackedFileHandle& file)
{
    if (nTarget < 0)
        return 0;
    if (nTarget > file.nSize)
        return file.nSize;
    return static_cast<int32_t>(nTarget);
}

// Turns every CR LF pair into LF, in place; the new length. A CR that ends
// the bytes stays: its LF, if any, comes with the next read.
int32_t CollapseCrLf(unsigned char* pBytes, int32_t n)
{
    int32_t nOut = 0;
    for (int32_t i = 0; i < n; ++i)
    {
        if (pBytes[i] == '\r' && i + 1 < n && pBytes[i + 1] == '\n')
            continue;
        pBytes[nOut++] = pBytes[i];
    }
    return nOut;
}

uint32_t ReadArchiveFile(CPackedFileHandle& file, bool bText, void* pBuffer, uint32_t uSize, uint32_t uCount,
                         TWexlaError* pError)
{
    // The product in 64 bits: a wrapped 32-bit product would read a few
    // bytes and report them as whole elements.
    uint64_t nAsked = static_cast<uint64_t>(uSize) * uCount;
    if (nAsked > INT32_MAX)
        nAsked = INT32_MAX;
    auto* pBytes = static_cast<unsigned char*>(pBuffer);
    int32_t n = file.pStore->ReadData(file, pBytes, static_cast<int32_t>(nAsked));
    if (bText && n > 1)
    {
        n = CollapseCrLf(pBytes, n);
    }
    else if (bText && n == 1 && pBytes[0] == '\r')
    {
        unsigned char cNext = 0;
        if (file.pStore->ReadData(file, &cNext, 1) == 1)
        {
            if (cNext == '\n')
                pBytes[0] = '\n';
            else
                file.nPosition = ClampToFile(static_cast<int64_t>(file.nPosition) - 1, file);
        }
    }
    uint32_t uElements = static_cast<uint32_t>(n);
    if (uSize > 1)
        uElements /= uSize;
    if (uElements != uCount && file.nPosition >= file.nSize)
        SetWexlaErrorKind(pError, eWexlaErrorEndOfFile);
    return uElements;
}

// The slot of an archive handle (bits 29 and 30 cleared; bit 31 kept, so a
// handle with it set names no slot).
uint32_t ArchiveSlot(WexlaFileHandle_t hFile)
{
    return hFile & ARCHIVE_SLOT_MASK;
}
} // namespace

bool InitFileSystem()
{
    FileSystemState& fs = g_FileSystem;
    if (fs.nWorkingDirLength > 0)
        return true;
    if (!Plat_GetCurrentDirectory(fs.szWorkingDir, sizeof(fs.szWorkingDir) - 1))
        return false;
    int32_t nLength = static_cast<int32_t>(strlen(fs.szWorkingDir));
    if (nLength == 0 || fs.szWorkingDir[nLength - 1] != '\\')
    {
        fs.szWorkingDir[nLength++] = '\\';
        fs.szWorkingDir[nLength] = '\0';
    }
    fs.nWorkingDirLength = nLength;
    WEXLA_TRACE("Current working dir: %s", fs.szWorkingDir);
    CReentrantLockGuard guard(fs.lock);
    return ReserveStreamSlotZero();
}

void NormalizeArchivePath(const char* pszPath, char* pszOut, int nOutSize)
{
    if (!pszOut || nOutSize <= 0)
        return;
    if (!pszPath)
    {
        pszOut[0] = '\0';
        return;
    }
    if (pszPath[0] == '.' && (pszPath[1] == '\\' || pszPath[1] == '/'))
        pszPath += 2;
    char szWork[FS_PATH_SIZE];
    V_CopyBounded(szWork, pszPath, sizeof(szWork));
    V_CollapseDoubleSlashes(szWork);
    V_RemoveDotSlashes(szWork, '\\');

    // The working directory is matched in any letter case and with either
    // separator (the prefix keeps the separators the system reported).
    const FileSystemState& fs = g_FileSystem;
    const char* pszResult = szWork;
    int32_t i = 0;
    for (; i < fs.nWorkingDirLength; ++i)
    {
        char a = szWork[i];
        char b = fs.szWorkingDir[i];
        if (V_IsSeparator(a) && V_IsSeparator(b))
            continue;
        if (a == '\0' || tolower(static_cast<unsigned char>(a)) != tolower(static_cast<unsigned char>(b)))
            break;
    }
    if (fs.nWorkingDirLength > 0 && i == fs.nWorkingDirLength)
        pszResult = szWork + fs.nWorkingDirLength;
    V_CopyBounded(pszOut, pszResult, nOutSize);
}

WexlaFileHandle_t OpenArchiveFile(const char* pszPath, const char* pszMode, uint32_t* pSizeOut)
{
    if (!pszPath || !pszMode)
        return 0;
    char szPath[FS_PATH_SIZE];
    NormalizeArchivePath(pszPath, szPath, sizeof(szPath));
    const bool bText = IsTextMode(pszMode);

    for (CPackedStore* pStore : g_FileSystem.mounts)
    {
        CPackedFileHandle found = pStore->OpenFile(szPath);
        if (found.nArchiveIndex == -1)
            continue;
        auto* pFile = new (std::nothrow) CPackedFileHandle(found);
        if (!pFile)
            return 0;
        int64_t nSlot;
        {
            CReentrantLockGuard guard(g_FileSystem.lock);
            nSlot = g_FileSystem.archiveHandles.Add(pFile);
        }
        if (nSlot < 0)
        {
            delete pFile;
            return 0;
        }
        if (pSizeOut)
            *pSizeOut = static_cast<uint32_t>(pFile->nSize);
        return static_cast<uint32_t>(nSlot) + (bText ? QAR_FILE_HANDLE_FLAG | QAR_TEXT_MODE_FLAG : QAR_FILE_HANDLE_FLAG);
    }
    return 0;
}

CPackedFileHandle* LookupArchiveHandle(WexlaFileHandle_t hFile)
{
    CPackedFileHandle* pFile = nullptr;
    if (!IsArchiveHandle(hFile))
        return nullptr;
    CReentrantLockGuard guard(g_FileSystem.lock);
    g_FileSystem.archiveHandles.Get(ArchiveSlot(hFile), &pFile);
    return pFile;
}

FILE* LookupStream(WexlaFileHandle_t hFile)
{
    FILE* pStream = nullptr;
    if (IsArchiveHandle(hFile))
        return nullptr;
    CReentrantLockGuard guard(g_FileSystem.lock);
    g_FileSystem.streams.Get(hFile, &pStream);
    return pStream;
}

bool CloseArchiveHandle(WexlaFileHandle_t hFile)
{
    CPackedFileHandle* pFile = nullptr;
    if (!IsArchiveHandle(hFile))
        return false;
    {
        CReentrantLockGuard guard(g_FileSystem.lock);
        if (!g_FileSystem.archiveHandles.Remove(ArchiveSlot(hFile), &pFile))
            return false;
    }
    delete pFile;
    return true;
}

FILE* DetachStream(WexlaFileHandle_t hFile)
{
    FILE* pStream = nullptr;
    if (IsArchiveHandle(hFile))
        return nullptr;
    CReentrantLockGuard guard(g_FileSystem.lock);
    // Only a slot that holds a stream is freed: the reserved slot 0 stays.
    if (!g_FileSystem.streams.Get(hFile, &pStream) || !pStream)
        return nullptr;
    g_FileSystem.streams.Remove(hFile, &pStream);
    return pStream;
}

#ifndef _WIN32
void ResetFileSystemForTesting()
{
    UnmountAll();
    FileSystemState& fs = g_FileSystem;
    CReentrantLockGuard guard(fs.lock);
    fs.streams.ForEach([](FILE* pStream) {
        if (pStream)
            fclose(pStream);
    });
    fs.streams = CSlotTable<FILE*>(STREAM_SLOT_LIMIT);
    fs.szWorkingDir[0] = '\0';
    fs.nWorkingDirLength = 0;
}
#endif

WEXLA_API WexlaFileHandle_t WexlaOpenFileEx(const char* pszPath, const char* pszMode, uint32_t* pSize,
                                            TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (pSize)
        *pSize = 0;
    WexlaFileHandle_t hFile = 0;
    // Measured even without a size out, for the trace line.
    uint32_t uSize = 0;
    if (pszPath && pszMode)
    {
        if (!IsWriteMode(pszMode))
            hFile = OpenArchiveFile(pszPath, pszMode, &uSize);
        if (!hFile)
        {
            if (FILE* pStream = fopen(pszPath, pszMode))
            {
                uSize = static_cast<uint32_t>(StreamLength(pStream));
                hFile = AddStream(pStream);
                if (!hFile)
                    uSize = 0;
            }
        }
    }
    if (pSize)
        *pSize = uSize;
    WEXLA_TRACE("open file %s, mode %s, size %u, handle %u", pszPath ? pszPath : "", pszMode ? pszMode : "", uSize,
                hFile);
    if (!hFile)
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
    return hFile;
}

WEXLA_API WexlaFileHandle_t WexlaOpenFile(const char* pszPath, const char* pszMode, TWexlaError* pError)
{
    uint32_t uSize = 0;
    return WexlaOpenFileEx(pszPath, pszMode, &uSize, pError);
}

WEXLA_API WexlaFileHandle_t WexlaOpenTmpFile(TWexlaError* pError)
{
    ClearWexlaError(pError);
    FILE* pStream = tmpfile();
    return pStream ? AddStream(pStream) : 0;
}

WEXLA_API int WexlaCloseFile(WexlaFileHandle_t hFile, TWexlaError* pError)
{
    ClearWexlaError(pError);
    WEXLA_TRACE("close file handle %u", hFile);
    if (IsArchiveHandle(hFile))
    {
        CloseArchiveHandle(hFile);
        return 0;
    }
    FILE* pStream = DetachStream(hFile);
    if (!pStream)
    {
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
        return EOF;
    }
    return fclose(pStream);
}

WEXLA_API uint32_t WexlaReadFile(void* pBuffer, uint32_t uSize, uint32_t uCount, WexlaFileHandle_t hFile,
                                 TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (IsArchiveHandle(hFile))
    {
        CPackedFileHandle* pFile = LookupArchiveHandle(hFile);
        if (!pFile || !pBuffer)
        {
            SetWexlaErrorKind(pError, eWexlaErrorNotFound);
            return 0;
        }
        return ReadArchiveFile(*pFile, (hFile & QAR_TEXT_MODE_FLAG) != 0, pBuffer, uSize, uCount, pError);
    }
    FILE* pStream = LookupStream(hFile);
    if (!pStream || !pBuffer)
    {
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
        return 0;
    }
    size_t nRead = fread(pBuffer, uSize, uCount, pStream);
    if (nRead != uCount && feof(pStream))
        SetWexlaErrorKind(pError, eWexlaErrorEndOfFile);
    return static_cast<uint32_t>(nRead);
}

WEXLA_API uint32_t WexlaWriteFile(const void* pBuffer, uint32_t uSize, uint32_t uCount, WexlaFileHandle_t hFile,
                                  TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (RefuseArchiveHandle(hFile))
        return 0;
    FILE* pStream = LookupStream(hFile);
    if (!pStream || !pBuffer)
    {
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
        return 0;
    }
    return static_cast<uint32_t>(fwrite(pBuffer, uSize, uCount, pStream));
}

WEXLA_API int WexlaSeekFile(WexlaFileHandle_t hFile, int32_t nOffset, int nOrigin, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (IsArchiveHandle(hFile))
    {
        CPackedFileHandle* pFile = LookupArchiveHandle(hFile);
        if (!pFile)
        {
            SetWexlaErrorKind(pError, eWexlaErrorNotFound);
            return -1;
        }
        int64_t nBase = nOrigin == 0 ? 0 : nOrigin == 1 ? pFile->nPosition : pFile->nSize;
        pFile->nPosition = ClampToFile(nBase + nOffset, *pFile);
        return 0;
    }
    FILE* pStream = LookupStream(hFile);
    if (!pStream)
    {
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
        return -1;
    }
    int nWhence = nOrigin == 0 ? SEEK_SET : nOrigin == 1 ? SEEK_CUR : SEEK_END;
    return fseek(pStream, nOffset, nWhence);
}

WEXLA_API int32_t WexlaTellFile(WexlaFileHandle_t hFile, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (IsArchiveHandle(hFile))
    {
        if (CPackedFileHandle* pFile = LookupArchiveHandle(hFile))
            return pFile->nPosition;
    }
    else if (FILE* pStream = LookupStream(hFile))
    {
        return static_cast<int32_t>(ftell(pStream));
    }
    SetWexlaErrorKind(pError, eWexlaErrorNotFound);
    return -1;
}

WEXLA_API int32_t WexlaSizeFile(WexlaFileHandle_t hFile, TWexlaError* pError)
{
    ClearWexlaError(pError);
    int32_t nSize = -1;
    bool bKnown = false;
    if (IsArchiveHandle(hFile))
    {
        if (CPackedFileHandle* pFile = LookupArchiveHandle(hFile))
        {
            nSize = pFile->nSize;
            bKnown = true;
        }
    }
    else if (FILE* pStream = LookupStream(hFile))
    {
        nSize = StreamLength(pStream);
        bKnown = true;
    }
    if (!bKnown)
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
    WEXLA_TRACE("size handle %u, size %u", hFile, static_cast<uint32_t>(nSize));
    return nSize;
}

WEXLA_API int WexlaGetc(WexlaFileHandle_t hFile, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (IsArchiveHandle(hFile))
    {
        CPackedFileHandle* pFile = LookupArchiveHandle(hFile);
        if (!pFile)
        {
            // The end-of-file answer of an archive file.
            SetWexlaErrorKind(pError, eWexlaErrorNotFound);
            return 0;
        }
        signed char c = 0;
        pFile->pStore->ReadData(*pFile, &c, 1);
        return c;
    }
    FILE* pStream = LookupStream(hFile);
    if (!pStream)
    {
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
        return EOF;
    }
    return fgetc(pStream);
}

WEXLA_API int WexlaPutc(int nChar, WexlaFileHandle_t hFile, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (RefuseArchiveHandle(hFile))
        return EOF;
    FILE* pStream = LookupStream(hFile);
    if (!pStream)
    {
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
        return EOF;
    }
    return fputc(nChar, pStream);
}

WEXLA_API int WexlaPrintFile(WexlaFileHandle_t hFile, TWexlaError* pError, const char* pszFormat, ...)
{
    ClearWexlaError(pError);
    if (RefuseArchiveHandle(hFile))
        return 0;
    FILE* pStream = LookupStream(hFile);
    if (!pStream || !pszFormat)
    {
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
        return 0;
    }

    // The length is measured by printing to the null device.
    FILE* pNull = fopen(Plat_NullDevicePath(), "w");
    if (!pNull)
        return 0;
    va_list args;
    va_start(args, pszFormat);
    int nCount = vfprintf(pNull, pszFormat, args);
    va_end(args);
    if (fclose(pNull) != 0 || nCount <= 0)
        return 0;

    char* pText = static_cast<char*>(malloc(static_cast<size_t>(nCount) + 1));
    if (!pText)
        return 0;
    va_start(args, pszFormat);
    vsnprintf(pText, static_cast<size_t>(nCount) + 1, pszFormat, args);
    va_end(args);
    size_t nWritten = fwrite(pText, 1, static_cast<size_t>(nCount), pStream);
    free(pText);
    return static_cast<int>(nWritten);
}

WEXLA_API int WexlaSetvBuf(WexlaFileHandle_t hFile, void* pBuffer, int nMode, uint32_t uSize, TWexlaError* pError)
{
    ClearWexlaError(pError);
    if (RefuseArchiveHandle(hFile))
        return -1;
    int nBufferMode;
    if (nMode == 0)
        nBufferMode = _IOFBF;
    else if (nMode == 1)
        nBufferMode = _IONBF;
    else
        return -1;
    FILE* pStream = LookupStream(hFile);
    if (!pStream)
    {
        SetWexlaErrorKind(pError, eWexlaErrorNotFound);
        return -1;
    }
    return setvbuf(pStream, static_cast<char*>(pBuffer), nBufferMode, uSize);
}

WEXLA_API int WexlaFlushFile(WexlaFileHandle_t hFile, TWexlaError* pError)
{
    ClearWexlaError(pError);
    RefuseArchiveHandle(hFile);
    // No stream (an archive handle or an unknown slot): every plain stream.
    return fflush(LookupStream(hFile));
}

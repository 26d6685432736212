#include "util/filewriter.h"

#include "core/platform.h"
#include "util/strtools.h"

#include <cstring>
#include <memory>
#include <new>

namespace
{
// The absolute, double-slash-collapsed form of a disk path in a heap buffer of
// DISK_PATH_SIZE bytes; null when the buffer cannot be had.
std::unique_ptr<char[]> AbsoluteDiskPath(const char* pszPath)
{
    std::unique_ptr<char[]> path(new (std::nothrow) char[DISK_PATH_SIZE]);
    if (path)
    {
        V_MakeAbsolutePath(path.get(), DISK_PATH_SIZE, pszPath);
        V_CollapseDoubleSlashes(path.get());
    }
    return path;
}
} // namespace

bool CreateDirectories(const char* pszDirectory)
{
    std::unique_ptr<char[]> pPath = AbsoluteDiskPath(pszDirectory);
    if (!pPath)
        return false;
    char* pszPath = pPath.get();
    if (Plat_PathExists(pszPath))
        return true;

    // Back from the end to the longest prefix that exists (cut at a backslash).
    const int nLength = static_cast<int>(strlen(pszPath));
    int nExisting = 0;
    for (int i = nLength - 1; i > 0; --i)
    {
        if (pszPath[i] != '\\')
            continue;
        pszPath[i] = '\0';
        const bool bExists = Plat_PathExists(pszPath);
        pszPath[i] = '\\';
        if (bExists)
        {
            nExisting = i;
            break;
        }
    }

    // Forward: every level that ends at a backslash, then the full path.
    for (int i = nExisting + 1; i < nLength; ++i)
    {
        if (pszPath[i] != '\\')
            continue;
        pszPath[i] = '\0';
        Plat_CreateDirectory(pszPath);
        pszPath[i] = '\\';
    }
    return Plat_CreateDirectory(pszPath);
}

CFileWriter::~CFileWriter()
{
    Close();
}

bool CFileWriter::Open(const char* pszPath)
{
    Close();
    std::unique_ptr<char[]> pPath = AbsoluteDiskPath(pszPath);
    if (!pPath)
        return false;
    // The folder above the file: the absolute path without its last component.
    std::unique_ptr<char[]> pDirectory(new (std::nothrow) char[DISK_PATH_SIZE]);
    if (!pDirectory)
        return false;
    V_CopyBounded(pDirectory.get(), pPath.get(), DISK_PATH_SIZE);
    V_CutLastComponent(pDirectory.get());
    if (pDirectory[0])
        CreateDirectories(pDirectory.get());
    m_pFile = Plat_CreateFileForWriting(pPath.get());
    return m_pFile != nullptr;
}

bool CFileWriter::Write(const void* pData, size_t nBytes)
{
    return m_pFile && Plat_WriteFile(m_pFile, pData, nBytes);
}

bool CFileWriter::Close()
{
    PlatWriteFile* pFile = m_pFile;
    m_pFile = nullptr;
    return Plat_CloseWriteFile(pFile);
}

// Writing files to disk: a synchronous file writer that creates the folders
// above its file, and the folder-chain creation it uses.
#pragma once

#include <cstddef>

struct PlatWriteFile;

// Size of the buffers that hold absolute disk paths.
constexpr int DISK_PATH_SIZE = 131068;

// Creates the directory and every missing one above it. The path is made
// absolute against the working directory with double slashes collapsed.
// True when it already existed or the last creation (the full path)
// succeeded; a partly created chain stays.
bool CreateDirectories(const char* pszDirectory);

// A file opened for writing from its start: created, or truncated when it
// exists, while others may read it. Closed by Close or the destructor.
class CFileWriter
{
public:
    CFileWriter() = default;
    ~CFileWriter();
    CFileWriter(const CFileWriter&) = delete;
    CFileWriter& operator=(const CFileWriter&) = delete;

    // The path is made absolute against the working directory with double
    // slashes collapsed; missing folders above the file are created. False
    // when the file cannot be created.
    bool Open(const char* pszPath);
    // Writes all the bytes at once; false when not all were written or no
    // file is open.
    bool Write(const void* pData, size_t nBytes);
    // False when the close reported a failure.
    bool Close();

private:
    PlatWriteFile* m_pFile = nullptr;
};

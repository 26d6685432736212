// Fixtures for the archive tests: a scratch folder, archives packed at test
// time, and raw directory-file bytes built by hand for malformed input.
#pragma once

#include "qarlib/packedstore.h"
#include "qarlib/qarpacker.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qartest
{
// A fresh folder, removed with everything in it at the end of the test.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string Path(const std::string& relative = "") const;

private:
    std::string m_path;
};

using FileList = std::vector<std::pair<std::string, std::string>>; // path, content

// Packs the files into dir/name; returns the base path.
std::string Pack(const TempDir& dir, const std::string& name, const FileList& files,
                 const QarPackOptions& options = QarPackOptions());

// n bytes that differ from file to file and position to position.
std::string Pattern(size_t n, uint32_t nSeed);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Reads a file whole through ReadData; empty when not found.
std::string ReadAll(CPackedStore& store, const char* pszPath);

// Raw tree pieces, little-endian.
std::string U16(uint16_t n);
std::string U32(uint32_t n);
std::string Str(const std::string& s); // with its terminating 0
struct Part
{
    uint16_t nArchiveIndex;
    uint32_t nOffset;
    uint32_t nLength;
};
std::string Entry(uint32_t nChecksum, const std::string& preload, const std::vector<Part>& parts);
// One file in one directory under one extension, with all terminators.
std::string OneFileTree(const std::string& ext, const std::string& dir, const std::string& name,
                        const std::string& entry);
std::string HeaderV2(uint32_t nTreeSize, uint32_t nDataSize = 0, int32_t nVersion = 2);
std::string HeaderV1(uint32_t nTreeSize);
} // namespace qartest

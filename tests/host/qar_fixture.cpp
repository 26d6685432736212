#include "tests/host/qar_fixture.h"

#include "qarlib/qarformat.h"

#include <gtest/gtest.h>

#include "tests/common/test_pattern.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace qartest
{
TempDir::TempDir()
{
    char szTemplate[] = "/tmp/wexla_qar_XXXXXX";
    const char* psz = mkdtemp(szTemplate);
    m_path = psz ? psz : "/tmp";
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::Path(const std::string& relative) const
{
    return relative.empty() ? m_path : m_path + "/" + relative;
}

std::string Pack(const TempDir& dir, const std::string& name, const FileList& files,
                 const QarPackOptions& options)
{
    CQarPacker packer(options);
    std::string error;
    for (const auto& file : files)
        EXPECT_TRUE(packer.AddFile(file.first, file.second, &error)) << error;
    const std::string base = dir.Path(name);
    EXPECT_TRUE(packer.Write(base, &error)) << error;
    return base;
}

std::string Pattern(size_t n, uint32_t nSeed)
{
    return testcommon::Pattern(n, nSeed);
}

std::string ReadFileBytes(const std::string& path)
{
    std::string s;
    if (FILE* f = fopen(path.c_str(), "rb"))
    {
        char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
            s.append(buf, n);
        fclose(f);
    }
    return s;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadAll(CPackedStore& store, const char* pszPath)
{
    CPackedFileHandle h = store.OpenFile(pszPath);
    if (!h.IsValid())
        return std::string();
    std::string s(static_cast<size_t>(h.nSize), '\0');
    const int32_t n = store.ReadData(h, s.empty() ? nullptr : &s[0], h.nSize);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

std::string U16(uint16_t n)
{
    unsigned char b[2];
    QarWriteU16(b, n);
    return std::string(reinterpret_cast<char*>(b), 2);
}

std::string U32(uint32_t n)
{
    unsigned char b[4];
    QarWriteU32(b, n);
    return std::string(reinterpret_cast<char*>(b), 4);
}

std::string Str(const std::string& s)
{
    return s + std::string(1, '\0');
}

std::string Entry(uint32_t nChecksum, const std::string& preload, const std::vector<Part>& parts)
{
    std::string s = U32(nChecksum) + U16(static_cast<uint16_t>(preload.size()));
    for (const Part& p : parts)
        s += U16(p.nArchiveIndex) + U32(p.nOffset) + U32(p.nLength);
    return s + U16(0xFFFF) + preload;
}

std::string OneFileTree(const std::string& ext, const std::string& dir, const std::string& name,
                        const std::string& entry)
{
    return Str(ext) + Str(dir) + Str(name) + entry + std::string(3, '\0');
}

std::string HeaderV2(uint32_t nTreeSize, uint32_t nDataSize, int32_t nVersion)
{
    return U32(QAR_MAGIC) + U32(static_cast<uint32_t>(nVersion)) + U32(nTreeSize) + U32(nDataSize) + U32(0) +
           U32(0) + U32(0);
}

std::string HeaderV1(uint32_t nTreeSize)
{
    return U32(QAR_MAGIC) + U32(1) + U32(nTreeSize);
}
} // namespace qartest

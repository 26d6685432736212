#include "qarlib/qarpacker.h"

#include "qarlib/crc32.h"
#include "qarlib/lookuppath.h"
#include "qarlib/qarformat.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{
constexpr int kMaxChunkFiles = 512; // the reader's chunk slots
constexpr size_t kCopyBlock = 1 << 20;
constexpr int64_t kAlignment = 4096;

std::string Lower(std::string s)
{
    for (char& c : s)
    {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

bool Fail(std::string* pError, const std::string& text)
{
    if (pError)
        *pError = text;
    return false;
}

struct FileCloser
{
    void operator()(FILE* p) const
    {
        if (p)
            fclose(p);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

std::string ChunkFileName(const std::string& basePath, int nIndex)
{
    char szSuffix[32];
    snprintf(szSuffix, sizeof(szSuffix), "_%03d.qar", nIndex);
    return basePath + szSuffix;
}

void AppendU16(std::string& out, uint16_t n)
{
    unsigned char b[2];
    QarWriteU16(b, n);
    out.append(reinterpret_cast<char*>(b), 2);
}

void AppendU32(std::string& out, uint32_t n)
{
    unsigned char b[4];
    QarWriteU32(b, n);
    out.append(reinterpret_cast<char*>(b), 4);
}
} // namespace

CQarPacker::CQarPacker(const QarPackOptions& options) : m_options(options) {}

bool CQarPacker::AddFile(const std::string& path, std::string content, std::string* pError)
{
    Item item;
    item.nSize = static_cast<int64_t>(content.size());
    item.content = std::move(content);
    return AddItem(path, std::move(item), pError);
}

bool CQarPacker::AddDiskFile(const std::string& path, const std::string& diskPath, int64_t nSize,
                             std::string* pError)
{
    Item item;
    item.diskPath = diskPath;
    item.nSize = nSize;
    return AddItem(path, std::move(item), pError);
}

bool CQarPacker::AddItem(const std::string& rawPath, Item item, std::string* pError)
{
    std::string path = Lower(rawPath);
    for (char& c : path)
    {
        if (c == '\\')
            c = '/';
    }
    const std::string what = "cannot pack \"" + rawPath + "\": ";
    if (path.empty() || path.front() == '/' || path.back() == '/')
        return Fail(pError, what + "not a relative file path");
    if (path.find(':') != std::string::npos)
        return Fail(pError, what + "':' is not allowed in archive paths");
    size_t nStart = 0;
    for (;;)
    {
        const size_t nEnd = path.find('/', nStart);
        const std::string segment = path.substr(nStart, nEnd == std::string::npos ? nEnd : nEnd - nStart);
        if (segment.empty() || segment == "." || segment == "..")
            return Fail(pError, what + "empty, \".\" or \"..\" path segment");
        if (nEnd == std::string::npos)
            break;
        nStart = nEnd + 1;
    }

    const size_t nSlash = path.rfind('/');
    const std::string directory = nSlash == std::string::npos ? " " : path.substr(0, nSlash);
    const std::string last = nSlash == std::string::npos ? path : path.substr(nSlash + 1);
    if (directory.size() + 1 >= static_cast<size_t>(QAR_KEY_SIZE) || last.size() >= static_cast<size_t>(QAR_KEY_SIZE))
        return Fail(pError, what + "directory or file name longer than 259 characters");
    const size_t nDot = last.rfind('.');
    const std::string name = nDot == std::string::npos ? last : last.substr(0, nDot);
    const std::string extension = nDot == std::string::npos ? " " : last.substr(nDot + 1);
    // An empty string ends a list in the tree, and a leading space marks "none".
    if (name.empty())
        return Fail(pError, what + "the name before the extension is empty");
    if (extension.empty())
        return Fail(pError, what + "the name ends in '.'");
    if ((nDot != std::string::npos && extension[0] == ' ') || (nSlash != std::string::npos && directory[0] == ' '))
        return Fail(pError, what + "a directory or extension may not begin with a space");
    if (item.nSize < 0 || item.nSize >= INT32_MAX - 0xFFFF)
        return Fail(pError, what + "files of 2 GiB or more cannot be stored");

    if (!m_items.emplace(ItemKey(extension, directory, name), std::move(item)).second)
        return Fail(pError, what + "a file of that name (in any letter case) is already in the archive");
    return true;
}

bool CQarPacker::Layout(int* pnChunks, int64_t* pnInDirectorySize, std::string* pError)
{
    const bool bInDirectory = m_options.nInDirectoryMaxSize >= 0;
    if (bInDirectory && m_options.eForm == EQarHeaderForm::Headerless)
        return Fail(pError, "a headerless directory file cannot hold file data");
    if (m_options.nChunkSize < 1 || m_options.nChunkSize > INT32_MAX)
        return Fail(pError, "the chunk size must be between 1 byte and 2 GiB");

    int nChunk = 0;
    int64_t nChunkUsed = 0;
    bool bAnyChunkData = false;
    int64_t nInDirectory = 0;
    for (auto& entry : m_items)
    {
        Item& item = entry.second;
        const int64_t nPreload = item.nSize < m_options.nPreloadBytes ? item.nSize : m_options.nPreloadBytes;
        const int64_t nRest = item.nSize - nPreload;
        item.nLength = static_cast<uint32_t>(nRest);
        if (bInDirectory && item.nSize <= m_options.nInDirectoryMaxSize)
        {
            item.nArchiveIndex = QAR_DIRECTORY_ARCHIVE_INDEX;
            item.nOffset = static_cast<uint32_t>(nInDirectory);
            nInDirectory += nRest;
        }
        else if (nRest == 0)
        {
            // Held wholly in its preload bytes: no chunk file is ever opened.
            item.nArchiveIndex = 0;
            item.nOffset = 0;
        }
        else
        {
            if (m_options.nAlignFrom >= 0 && nRest >= m_options.nAlignFrom)
                nChunkUsed = (nChunkUsed + kAlignment - 1) / kAlignment * kAlignment;
            if (nChunkUsed > 0 && nChunkUsed + nRest > m_options.nChunkSize)
            {
                ++nChunk;
                nChunkUsed = 0;
            }
            item.nArchiveIndex = static_cast<uint16_t>(nChunk);
            item.nOffset = static_cast<uint32_t>(nChunkUsed);
            nChunkUsed += nRest;
            bAnyChunkData = true;
            // Chunk slots are chosen modulo 512, and the directory file's data
            // takes slot 511.
            const int nLimit = bInDirectory ? kMaxChunkFiles - 1 : kMaxChunkFiles;
            if (nChunk >= nLimit)
                return Fail(pError, "more than " + std::to_string(nLimit) +
                                        " chunk files would be needed: raise the chunk size");
        }
    }
    if (nInDirectory > INT32_MAX / 2)
        return Fail(pError, "the in-directory data would pass 1 GiB: lower the in-directory size limit");
    *pnChunks = bAnyChunkData ? nChunk + 1 : 0;
    *pnInDirectorySize = nInDirectory;
    return true;
}

bool CQarPacker::WriteData(const std::string& basePath, std::string& inDirectoryData, std::string* pError,
                           const QarPackProgress& progress)
{
    int64_t nBytesTotal = 0;
    for (const auto& entry : m_items)
        nBytesTotal += entry.second.nSize;

    FilePtr chunk;
    int nOpenChunk = -1;
    int64_t nChunkPosition = 0;
    std::vector<char> buffer;
    int64_t nBytesDone = 0;
    size_t nFilesDone = 0;
    for (auto& entry : m_items)
    {
        Item& item = entry.second;
        FILE* pOut = nullptr;
        const bool bInDirectory = item.nArchiveIndex == QAR_DIRECTORY_ARCHIVE_INDEX;
        if (!bInDirectory && item.nLength > 0 && item.nArchiveIndex != nOpenChunk)
        {
            if (chunk && fclose(chunk.release()) != 0)
                return Fail(pError, "cannot write " + ChunkFileName(basePath, nOpenChunk));
            nOpenChunk = item.nArchiveIndex;
            chunk.reset(fopen(ChunkFileName(basePath, nOpenChunk).c_str(), "wb"));
            if (!chunk)
                return Fail(pError, "cannot create " + ChunkFileName(basePath, nOpenChunk));
            nChunkPosition = 0;
        }
        if (!bInDirectory && item.nLength > 0)
        {
            pOut = chunk.get();
            // Alignment padding before the file's data.
            for (; nChunkPosition < item.nOffset; ++nChunkPosition)
            {
                if (fputc(0, pOut) == EOF)
                    return Fail(pError, "cannot write " + ChunkFileName(basePath, nOpenChunk));
            }
            nChunkPosition += item.nLength;
        }

        FilePtr source;
        if (!item.diskPath.empty())
        {
            source.reset(fopen(item.diskPath.c_str(), "rb"));
            if (!source)
                return Fail(pError, "cannot open " + item.diskPath);
        }
        const int64_t nPreload = item.nSize - item.nLength;
        item.preload.clear();
        uint32_t nCrc = 0;
        for (int64_t nDone = 0; nDone < item.nSize;)
        {
            const size_t nPiece = static_cast<size_t>(std::min<int64_t>(item.nSize - nDone, kCopyBlock));
            const char* pPiece;
            if (source)
            {
                buffer.resize(nPiece);
                if (fread(buffer.data(), 1, nPiece, source.get()) != nPiece)
                    return Fail(pError, item.diskPath + " changed size while being packed");
                pPiece = buffer.data();
            }
            else
            {
                pPiece = item.content.data() + nDone;
            }
            nCrc = QarCrc32(nCrc, pPiece, nPiece);
            size_t nToPreload = 0;
            if (nDone < nPreload)
                nToPreload = static_cast<size_t>(std::min<int64_t>(nPreload - nDone, static_cast<int64_t>(nPiece)));
            item.preload.append(pPiece, nToPreload);
            const size_t nRest = nPiece - nToPreload;
            if (bInDirectory)
                inDirectoryData.append(pPiece + nToPreload, nRest);
            else if (nRest > 0 && fwrite(pPiece + nToPreload, 1, nRest, pOut) != nRest)
                return Fail(pError, "cannot write " + ChunkFileName(basePath, nOpenChunk));
            nDone += static_cast<int64_t>(nPiece);
        }
        if (source && fgetc(source.get()) != EOF)
            return Fail(pError, item.diskPath + " changed size while being packed");
        item.nChecksum = nCrc;
        nBytesDone += item.nSize;
        if (progress)
            progress(++nFilesDone, m_items.size(), nBytesDone, nBytesTotal);
    }
    if (chunk && fclose(chunk.release()) != 0)
        return Fail(pError, "cannot write " + ChunkFileName(basePath, nOpenChunk));
    return true;
}

std::string CQarPacker::BuildTree() const
{
    std::string tree;
    const std::string* pExtension = nullptr;
    const std::string* pDirectory = nullptr;
    for (const auto& entry : m_items)
    {
        const std::string& extension = std::get<0>(entry.first);
        const std::string& directory = std::get<1>(entry.first);
        const Item& item = entry.second;
        if (!pExtension || *pExtension != extension)
        {
            if (pExtension)
                tree.append("\0\0", 2); // end of files, end of directories
            tree.append(extension).push_back('\0');
            pExtension = &extension;
            pDirectory = nullptr;
        }
        if (!pDirectory || *pDirectory != directory)
        {
            if (pDirectory)
                tree.push_back('\0'); // end of files
            tree.append(directory).push_back('\0');
            pDirectory = &directory;
        }
        tree.append(std::get<2>(entry.first)).push_back('\0');
        AppendU32(tree, item.nChecksum);
        AppendU16(tree, static_cast<uint16_t>(item.preload.size()));
        AppendU16(tree, item.nArchiveIndex);
        AppendU32(tree, item.nOffset);
        AppendU32(tree, item.nLength);
        AppendU16(tree, QAR_PART_TERMINATOR);
        tree.append(item.preload);
    }
    if (pExtension)
        tree.append("\0\0", 2);
    tree.push_back('\0'); // end of extensions
    return tree;
}

bool CQarPacker::WriteDirectoryFile(const std::string& basePath, const std::string& tree,
                                    const std::string& inDirectoryData, std::string* pError) const
{
    std::string header;
    switch (m_options.eForm)
    {
    case EQarHeaderForm::Version2:
        AppendU32(header, QAR_MAGIC);
        AppendU32(header, 2);
        AppendU32(header, static_cast<uint32_t>(tree.size()));
        AppendU32(header, static_cast<uint32_t>(inDirectoryData.size()));
        AppendU32(header, 0); // no archive checksums
        AppendU32(header, 0); // no other checksums
        AppendU32(header, 0); // no signature
        break;
    case EQarHeaderForm::Version1:
        AppendU32(header, QAR_MAGIC);
        AppendU32(header, 1);
        AppendU32(header, static_cast<uint32_t>(tree.size()));
        break;
    case EQarHeaderForm::Headerless:
        if (tree.size() >= 4 && QarReadU32(reinterpret_cast<const unsigned char*>(tree.data())) == QAR_MAGIC)
            return Fail(pError, "this tree cannot be written headerless: it begins with the magic number");
        break;
    }
    std::string padding;
    // A version-1 file shorter than a version-2 header would be read as
    // headerless: pad it with unused in-directory bytes.
    const size_t nTotal = header.size() + tree.size() + inDirectoryData.size();
    if (m_options.eForm == EQarHeaderForm::Version1 && nTotal < static_cast<size_t>(QAR_HEADER_SIZE_V2))
        padding.assign(static_cast<size_t>(QAR_HEADER_SIZE_V2) - nTotal, '\0');

    const std::string name = basePath + "_dir.qar";
    FilePtr file(fopen(name.c_str(), "wb"));
    if (!file)
        return Fail(pError, "cannot create " + name);
    const std::string* parts[] = {&header, &tree, &inDirectoryData, &padding};
    for (const std::string* pPart : parts)
    {
        if (!pPart->empty() && fwrite(pPart->data(), 1, pPart->size(), file.get()) != pPart->size())
            return Fail(pError, "cannot write " + name);
    }
    if (fclose(file.release()) != 0)
        return Fail(pError, "cannot write " + name);
    return true;
}

bool CQarPacker::Write(const std::string& basePath, std::string* pError, const QarPackProgress& progress)
{
    int nChunks = 0;
    int64_t nInDirectorySize = 0;
    if (!Layout(&nChunks, &nInDirectorySize, pError))
        return false;
    std::string inDirectoryData;
    inDirectoryData.reserve(static_cast<size_t>(nInDirectorySize));
    if (!WriteData(basePath, inDirectoryData, pError, progress))
        return false;
    return WriteDirectoryFile(basePath, BuildTree(), inDirectoryData, pError);
}

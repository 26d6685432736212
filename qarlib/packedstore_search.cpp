// CPackedStore: the directory index and the directory search over it.
#include "qarlib/packedstore.h"

#include "qarlib/qarformat.h"
#include "util/strtools.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr int kDirectorySize = 260;   // directory parts: 259 characters
constexpr int kNamePartSize = 64;     // pattern's name part: 63 characters
constexpr int kExtensionSize = 20;    // extensions: 19 characters
constexpr int kRestSize = 128;        // subdirectory rest, file base names: 127 characters

// Collects "directory/name.extension" for every file of the tree.
class CFileLister final : public IQarTreeVisitor
{
public:
    explicit CFileLister(std::vector<std::string>& paths) : m_paths(paths) {}

    void OnFile(const char* pszExtension, const char* pszDirectory, const char* pszName,
                const QarEntry& /*entry*/) override
    {
        std::string path;
        if (pszDirectory[0] != ' ')
        {
            path = pszDirectory;
            path += '/';
        }
        path += pszName;
        if (pszExtension[0] != ' ')
        {
            path += '.';
            path += pszExtension;
        }
        m_paths.push_back(std::move(path));
    }

private:
    std::vector<std::string>& m_paths;
};

bool EqualNoCase(const char* a, const char* b)
{
    const size_t nA = strlen(a);
    return nA == strlen(b) && V_CompareNoCaseN(a, b, static_cast<int>(nA)) == 0;
}
} // namespace

int CPackedStore::GetFileList(std::vector<std::string>& paths, bool bSort)
{
    const size_t nFirst = paths.size();
    CFileLister lister(paths);
    QarWalkTree(m_tree.data(), static_cast<int32_t>(m_tree.size()), lister);
    if (bSort)
        std::sort(paths.begin() + static_cast<std::ptrdiff_t>(nFirst), paths.end());
    return static_cast<int>(paths.size());
}

void CPackedStore::BuildDirectoryIndex()
{
    std::vector<std::string> paths;
    GetFileList(paths, true);
    char szPrevious[kDirectorySize] = "$$$$$$$HighlyUnlikelyPathForInitializationPurposes#######";
    char szDirectory[kDirectorySize];
    for (const std::string& path : paths)
    {
        V_CopyDirectory(path.c_str(), szDirectory, kDirectorySize);
        if (V_CompareNoCaseN(szDirectory, szPrevious, kDirectorySize) != 0)
        {
            m_directories.emplace_back(szDirectory);
            m_directoryFiles.emplace_back();
            V_CopyBounded(szPrevious, szDirectory, kDirectorySize);
        }
        m_directoryFiles.back().emplace_back(V_LastComponent(path.c_str()));
    }
}

void CPackedStore::EnsureDirectoryIndex()
{
    if (m_bDirectoryIndexBuilt.load(std::memory_order_acquire))
        return;
    std::lock_guard<std::mutex> guard(m_directoryIndexLock);
    if (m_bDirectoryIndexBuilt.load(std::memory_order_relaxed))
        return;
    BuildDirectoryIndex();
    m_bDirectoryIndexBuilt.store(true, std::memory_order_release);
}

bool CPackedStore::DirectoryExists(const char* pszPath)
{
    EnsureDirectoryIndex();
    char szPath[kDirectorySize];
    V_CopyBounded(szPath, pszPath ? pszPath : "", kDirectorySize);
    V_SetSeparators(szPath, '/');
    const int n = static_cast<int>(strlen(szPath));
    for (const std::string& directory : m_directories)
    {
        if (V_CompareNoCaseN(directory.c_str(), szPath, n) == 0)
            return true;
    }
    return false;
}

int CPackedStore::FindEntries(const char* pszPattern, std::vector<std::string>& directories,
                              std::vector<std::string>& files)
{
    char szDirectoryPart[kDirectorySize];
    char szNamePart[kNamePartSize] = "";
    char szExtensionPart[kExtensionSize] = "";
    bool bExtensionSubstring = false;
    if (pszPattern)
    {
        V_CopyDirectory(pszPattern, szDirectoryPart, kDirectorySize);
        V_SetSeparators(szDirectoryPart, '/');
        V_CopyBaseName(pszPattern, szNamePart, kNamePartSize);
        if (char* pStar = strchr(szNamePart, '*'))
            *pStar = '\0';
        V_CopyExtension(pszPattern, szExtensionPart, kExtensionSize);
        if (char* pStar = strchr(szExtensionPart, '*'))
        {
            *pStar = '\0';
            bExtensionSubstring = true;
        }
    }
    else
    {
        V_CopyBounded(szDirectoryPart, "/", kDirectorySize);
    }

    EnsureDirectoryIndex();

    // Subdirectories: the next path segment of every directory below the
    // directory part, each listed once per call.
    const int nDirectoryPart = static_cast<int>(strlen(szDirectoryPart));
    const size_t nFirstNew = directories.size();
    for (const std::string& directory : m_directories)
    {
        const bool bBelow = nDirectoryPart == 0
                                ? directory.empty()
                                : V_CompareNoCaseN(directory.c_str(), szDirectoryPart, nDirectoryPart) == 0;
        if (!bBelow)
            continue;
        char szRest[kRestSize];
        V_CopyBounded(szRest, directory.c_str() + nDirectoryPart, kRestSize);
        if (char* pSlash = strchr(szRest, '/'))
            *pSlash = '\0';
        if (!szRest[0])
            continue;
        std::string candidate = std::string(szDirectoryPart) + szRest;
        const bool bSeen =
            std::any_of(directories.begin() + static_cast<std::ptrdiff_t>(nFirstNew), directories.end(),
                        [&](const std::string& s) { return EqualNoCase(s.c_str(), candidate.c_str()); });
        if (!bSeen)
            directories.push_back(std::move(candidate));
    }

    // Files of the directory itself, filtered by name and extension.
    const int nNamePart = static_cast<int>(strlen(szNamePart));
    const int nExtensionPart = static_cast<int>(strlen(szExtensionPart));
    for (size_t i = 0; i < m_directories.size(); ++i)
    {
        if (!EqualNoCase(m_directories[i].c_str(), szDirectoryPart))
            continue;
        for (const std::string& name : m_directoryFiles[i])
        {
            char szBase[kRestSize];
            char szExtension[kExtensionSize];
            V_CopyBaseName(name.c_str(), szBase, kRestSize);
            V_CopyExtension(name.c_str(), szExtension, kExtensionSize);
            if (V_CompareNoCaseN(szBase, szNamePart, nNamePart) != 0)
                continue;
            const bool bExtensionMatches =
                bExtensionSubstring && nExtensionPart > 0
                    ? V_FindNoCase(szExtension, szExtensionPart) != nullptr
                    : V_CompareNoCaseN(szExtension, szExtensionPart, nExtensionPart) == 0;
            if (!bExtensionMatches)
                continue;
            if (std::find(files.begin(), files.end(), name) == files.end())
                files.push_back(name);
        }
    }
    return static_cast<int>(directories.size());
}

// Walks the entries of a folder that match a name pattern, skipping "." and
// "..".
#pragma once

#include "core/platform.h"

class CDirIterator
{
public:
    // pszPattern: folder and name pattern, e.g. "C:\game\qars\depot_*_dir.qar".
    explicit CDirIterator(const char* pszPattern) : m_pszPattern(pszPattern) {}
    ~CDirIterator() { Plat_FindClose(m_pFind); }
    CDirIterator(const CDirIterator&) = delete;
    CDirIterator& operator=(const CDirIterator&) = delete;

    // The next entry's name, or null at the end (or when the folder is
    // missing). Valid until the next call.
    const char* Next();

private:
    const char* m_pszPattern;
    PlatFindState* m_pFind = nullptr;
    bool m_bStarted = false;
    PlatFindData m_data = {};
};

// Splitting an archive-relative path into the three lookup keys of the
// archive index: directory, base name and extension.
#pragma once

// Capacity of each key, terminator included (keys hold 259 characters).
constexpr int QAR_KEY_SIZE = 260;

struct QarLookupKeys
{
    char szDirectory[QAR_KEY_SIZE]; // '/' separators, lower case, no trailing '/'; " " for none
    char szBase[QAR_KEY_SIZE];      // lower case, without extension
    char szExtension[QAR_KEY_SIZE]; // lower case, without dot; " " for none
    // Their lengths.
    int nDirectoryLength;
    int nBaseLength;
    int nExtensionLength;
};

// Fills the keys. False (keys unusable) when the path is null or one of its
// keys would not fit in 259 characters: such a path names no file, and a cut
// key could name a different one.
bool SplitLookupPath(const char* pszPath, QarLookupKeys* pKeys);

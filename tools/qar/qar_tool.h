// The qar command-line tool: shared helpers of its commands.
#pragma once

#include "qarlib/packedstore.h"

#include <memory>
#include <string>
#include <vector>

// Exit codes.
constexpr int QAR_EXIT_OK = 0;
constexpr int QAR_EXIT_FAILURE = 1; // the command ran and failed (bad archive, missing path, ...)
constexpr int QAR_EXIT_USAGE = 2;   // the command line was wrong

// One-line error on standard error, prefixed "qar: ".
void QarToolError(const char* pszFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Opens an archive named by its base path or by its directory file
// ("..._dir.qar"). Null, after an error line, when it is missing or corrupt.
std::unique_ptr<CPackedStore> QarOpenArchive(const std::string& name);

int QarCommandPack(const std::vector<std::string>& args);
int QarCommandList(const std::vector<std::string>& args);
int QarCommandCat(const std::vector<std::string>& args);
int QarCommandExtract(const std::vector<std::string>& args);
int QarCommandVerify(const std::vector<std::string>& args);

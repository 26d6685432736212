// The command that hands an application launch to the platform client.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t WEXLA_LAUNCH_PARAMETERS_SIZE = 1024;
constexpr size_t WEXLA_LAUNCH_PATH_SIZE = 260;

// "-applaunch <id> <args>" when the argument text is given and not empty,
// else "-applaunch <id>"; cut to WEXLA_LAUNCH_PARAMETERS_SIZE - 1 characters.
void FormatLaunchParameters(char (&szOut)[WEXLA_LAUNCH_PARAMETERS_SIZE], uint32_t nAppId,
                            const char* pszArgs);

// The client executable's path: the install folder (may be empty) followed by
// "\wexla.exe". False, with an empty path, when the whole path does not fit in
// WEXLA_LAUNCH_PATH_SIZE - 1 characters: a cut path would name another file.
bool FormatClientExecutablePath(char (&szOut)[WEXLA_LAUNCH_PATH_SIZE], const char* pszInstallFolder);

// The stand-in platform client executable wexla.exe (test infrastructure).
//
// Started by a launch, it writes the command line it received, byte for byte
// and without a line end, to the file named by the environment variable
// WEXLAEXE_STANDIN_LOG, or to "wexla_commandline.txt" beside itself when the
// variable is not set, and exits with 0. The file appears whole: it is
// written under a temporary name and then renamed.
#pragma once

#include <string>

#define STANDIN_WEXLAEXE_LOG_VARIABLE "WEXLAEXE_STANDIN_LOG"
#define STANDIN_WEXLAEXE_DEFAULT_LOG "wexla_commandline.txt"

// The parameter text of a recorded command line: what follows the program
// name (quoted or not) and the blanks after it.
inline std::string StandinLaunchParameters(const std::string& commandLine)
{
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == '"')
    {
        const size_t nClose = commandLine.find('"', 1);
        i = nClose == std::string::npos ? commandLine.size() : nClose + 1;
    }
    else
    {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t')
            ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t'))
        ++i;
    return commandLine.substr(i);
}

// qar: packs, lists, extracts and checks packed archives.
#include "core/dbg.h"
#include "tools/qar/qar_tool.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const char kUsage[] =
    "usage: qar COMMAND ARGS...\n"
    "\n"
    "  qar pack [OPTIONS] SRC_DIR BASE_PATH   pack every file below SRC_DIR into\n"
    "                                         BASE_PATH_dir.qar and BASE_PATH_NNN.qar\n"
    "      --chunk-size SIZE   largest chunk file (bytes, or with K, M or G; default 200M)\n"
    "      --preload N         keep the first N bytes of each file in the directory (0..65535)\n"
    "      --in-dir SIZE       store files of at most SIZE bytes in the directory file\n"
    "      --format FORM       directory file form: v2 (default), v1 or headerless\n"
    "  qar list ARCHIVE                       one line per file: path, size, preload bytes,\n"
    "                                         archive index, offset\n"
    "  qar cat ARCHIVE PATH                   write one file's bytes to standard output\n"
    "  qar extract ARCHIVE OUT_DIR            write every file below OUT_DIR\n"
    "  qar verify ARCHIVE                     check every file against its stored CRC\n"
    "\n"
    "ARCHIVE is an archive's base path (as games mount it) or its directory file\n"
    "(..._dir.qar). PATH is looked up as the library does: any letter case, '/' or '\\'.\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

// Store diagnostics go to standard error; an error-level message ends the
// tool with status 1. Assertions about short reads are reported by the
// commands themselves.
SpewRetval_t ToolSpewOutput(SpewType_t eType, const char* pszText)
{
    if (eType == SPEW_ASSERT)
        return SPEW_CONTINUE;
    std::string text = pszText;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    QarToolError("%s", text.c_str());
    return eType == SPEW_ERROR ? SPEW_ABORT : SPEW_CONTINUE;
}
} // namespace

int main(int argc, char** argv)
{
    SpewOutputFunc(ToolSpewOutput);
    if (argc < 2)
    {
        fputs(kUsage, stderr);
        return QAR_EXIT_USAGE;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help")
    {
        fputs(kUsage, stdout);
        return QAR_EXIT_OK;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const std::string& arg : args)
    {
        if (arg == "--help" || arg == "-h")
        {
            fputs(kUsage, stdout);
            return QAR_EXIT_OK;
        }
    }
    struct Command
    {
        const char* pszName;
        int (*pfn)(const std::vector<std::string>&);
    };
    static const Command kCommands[] = {
        {"pack", QarCommandPack},       {"list", QarCommandList},     {"cat", QarCommandCat},
        {"extract", QarCommandExtract}, {"verify", QarCommandVerify},
    };
    for (const Command& c : kCommands)
    {
        if (command == c.pszName)
            return c.pfn(args);
    }
    QarToolError("unknown command \"%s\" (try qar --help)", command.c_str());
    return QAR_EXIT_USAGE;
}

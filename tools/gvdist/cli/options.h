// The command line of gvdist, parsed into one record per run. One table of
// commands and one of options (options.cpp) give the parsing, its checks
// and the text of --help.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "media/disk_format.h"

struct Options;
using CommandFunction = void (*)(const Options& options, std::ostream& out, std::ostream& err);

struct Options {
    bool ShowHelp = false;
    bool ShowVersion = false;
    bool Quiet = false;
    std::string Command;                 // pack, list, verify, extract, encode, decode
    CommandFunction Run = nullptr;       // the function that carries it out
    std::vector<std::string> Arguments;  // the command's positional arguments: list, verify and extract's SOURCEs
    // pack
    std::string ProgramPath;
    std::vector<std::string> MemberPaths;
    std::string SetupPath;
    std::string OutputDir;  // also extract's -d
    std::uint64_t DiskSize = DefaultDiskFormat().FreeBytes;
    std::uint64_t ClusterSize = DefaultDiskFormat().ClusterBytes;
    const DiskFormat* Format = nullptr;  // --format; images are of the default format without it
    bool MakeDiskFolders = false;        // --disks
    bool MakeImages = false;             // --images
    // pack / encode: the quick greedy-or-lazy parse instead of the optimal one
    bool Fast = false;
    // extract
    std::string HelpDir;
    bool Salvage = false;  // take what decodes from an incomplete set
    // encode / decode
    bool LzhArchive = false;
    std::int64_t Length = -1;
};

// Throws UsageError for anything that is not a complete, valid command
// line; --help and --version stop the checks of the command's arguments.
Options ParseOptions(const std::vector<std::string>& args);

// The text of --help: a usage line per command, the commands, what a SOURCE
// is, the exit statuses, then the options, those of each command under a
// heading of their own. help2man makes the manual page from it.
std::string UsageText();

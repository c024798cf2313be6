// The command line of gvdist, parsed into one record per run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/disk_format.h"

struct Options {
    bool ShowHelp = false;
    bool ShowVersion = false;
    bool Quiet = false;
    std::string Command;                 // pack, list, verify, extract, encode, decode
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
    // encode / decode
    bool LzhArchive = false;
    std::int64_t Length = -1;
};

// Throws UsageError for anything that is not a complete, valid command
// line; --help and --version stop the checks of the command's arguments.
Options ParseOptions(const std::vector<std::string>& args);

extern const char UsageText[];

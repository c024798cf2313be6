// Runs the outside programs gvdist leans on (mtools) without a shell, so
// no path or name is ever parsed as a command.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

struct ToolRun {
    int Status = 0;      // the exit status; -1 when killed by a signal
    std::string Output;  // stdout and stderr together; stderr alone when stdout went to a file
    bool Cut = false;    // stdout reached its limit and the program was stopped
};

// Where a program's standard output goes instead of Output: at most
// `Limit` bytes into `File`; one byte more stops the program.
struct ToolSink {
    std::FILE* File = nullptr;
    std::uint64_t Limit = 0;
};

// Runs argv[0] with `setEnv` added to the environment and no standard
// input. argv[0] is looked up once per process, in the absolute folders of
// PATH only: a relative entry such as "." would run whatever lies in the
// current folder. Throws DataError when the program is not installed, the
// message saying which package to install.
ToolRun RunTool(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& setEnv,
                const std::string& package, const ToolSink* sink = nullptr);

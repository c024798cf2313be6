// Runs the outside programs gvdist leans on (mtools) without a shell, so
// no path or name is ever parsed as a command.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ToolRun {
    int Status = 0;      // the exit status; -1 when killed by a signal
    std::string Output;  // stdout and stderr together
};

// Runs argv[0], looked up in PATH, with `setEnv` added to the environment
// and no standard input. Throws DataError when the program is not
// installed, the message saying which package to install.
ToolRun RunTool(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& setEnv,
                const std::string& package);

#include "media/tool_process.h"

#include "base/errors.h"

// The Windows build reads folders only: mtools is a Unix program.
ToolRun RunTool(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>&,
                const std::string& package, const ToolSink*) {
    throw DataError(argv.front() + " (" + package + ") is run only by the Linux and macOS builds of gvdist");
}

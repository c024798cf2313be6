// The whole tool behind main: parse, run the command, report, exit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunGvdist(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

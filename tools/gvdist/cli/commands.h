// The tool's commands. Each prints its results to `out` and warnings to
// `err`, and throws UsageError or DataError when it cannot do its work.
#pragma once

#include <ostream>

#include "cli/options.h"

void RunPack(const Options& options, std::ostream& out, std::ostream& err);
void RunList(const Options& options, std::ostream& out, std::ostream& err);
void RunVerify(const Options& options, std::ostream& out, std::ostream& err);
void RunExtract(const Options& options, std::ostream& out, std::ostream& err);
void RunEncode(const Options& options, std::ostream& out, std::ostream& err);
void RunDecode(const Options& options, std::ostream& out, std::ostream& err);
void RunFormats(const Options& options, std::ostream& out, std::ostream& err);

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "cli/options.h"

namespace {

using Args = std::vector<std::string>;

// The spellings the CLI tests do not use: a global option before the
// command, an inline value, the largest length and the end of options.
TEST(GvdistOptionsTest, OptionsInAnyOrder) {
    const Options pack = ParseOptions({"-q", "pack", "--program=P.EXE", "--setup", "S", "-o", "out", "--fast"});
    EXPECT_EQ(std::tie(pack.Quiet, pack.Fast, pack.ProgramPath), std::tuple(true, true, "P.EXE"));
    EXPECT_EQ(ParseOptions({"decode", "--length", "2147483647", "in", "out"}).Length, 2147483647);
    EXPECT_EQ(ParseOptions({"verify", "--", "-disks"}).Arguments, (Args{"-disks"}));
}

// Each ends the run with exit status 1 and one line on stderr.
TEST(GvdistOptionsTest, UsageErrorsAndHelp) {
    const std::pair<Args, const char*> rows[] = {
        {{"decode", "a", "b"}, "gvdist: decode needs --length N (see gvdist --help)\n"},
        {{"-q"}, "no command"},
        {{"unpack", "x"}, "unknown command 'unpack'"},
        {{"list", "-x"}, "unknown option '-x'"},
        {{"pack", "--program", "P", "--program", "Q", "--setup", "S", "-o", "O"}, "given twice"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--disk-size", "1.44M"}, "whole number"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--disk-size=+5"}, "whole number of bytes, not '+5'"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--disk-size", "0"}, "must be more than 0"},
        {{"pack", "--program"}, "needs a value"},
        {{"verify"}, "takes at least 1 argument"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--format", "1.4M"}, "use one of 360K, 720K"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--images", "--disk-size", "9"}, "not --disk-size"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--format", "720K", "--disk-size", "9"}, "give one"},
        {{"verify", "a", "--lzh"}, "does not apply to verify"},
        {{"decode", "--length", "2147483648", "in", "out"}, "at most 2147483647"},
    };
    for (const auto& [line, message] : rows) {
        std::ostringstream out, err;
        EXPECT_EQ(RunGvdist(line, out, err), 1) << message;
        EXPECT_EQ(out.str(), "") << message;
        EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
    }
    std::ostringstream help, none;
    EXPECT_EQ(RunGvdist({"--help"}, help, none), 0);
    EXPECT_EQ(help.str().rfind("Usage: gvdist", 0), 0u);
}

}  // namespace

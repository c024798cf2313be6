#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"
#include "options.h"

namespace {

using Args = std::vector<std::string>;

TEST(GvdistOptionsTest, OptionsInAnyOrder) {
    const Options pack = ParseOptions({"-q", "pack", "--member", "A.TXT", "--program=P.EXE", "--member", "B.HLP", "-o",
                                       "out", "--setup", "S.EXE", "--disk-size", "720896", "--fast"});
    EXPECT_TRUE(pack.Quiet);
    EXPECT_EQ(Args({pack.ProgramPath, pack.SetupPath, pack.OutputDir}), (Args{"P.EXE", "S.EXE", "out"}));
    EXPECT_EQ(pack.MemberPaths, (Args{"A.TXT", "B.HLP"}));
    EXPECT_EQ(pack.DiskSize, 720896u);
    EXPECT_TRUE(pack.Fast);
    const Options extract = ParseOptions({"extract", "-d", "dest", "disks", "--help-dir", "help"});
    EXPECT_EQ(Args({extract.Arguments.at(0), extract.OutputDir, extract.HelpDir}), (Args{"disks", "dest", "help"}));
    EXPECT_EQ(ParseOptions({"decode", "--length", "2147483647", "in", "out"}).Length, 2147483647);
    EXPECT_EQ(ParseOptions({"verify", "--", "-disks"}).Arguments, (Args{"-disks"}));
}

TEST(GvdistOptionsTest, UsageErrors) {
    const struct {
        Args Line;
        const char* Message;
    } rows[] = {
        {{"-q"}, "no command"},
        {{"unpack", "x"}, "unknown command 'unpack'"},
        {{"list", "-x"}, "unknown option '-x'"},
        {{"pack", "--program", "P", "-o", "O"}, "needs --setup"},
        {{"pack", "--program", "P", "--program", "Q", "--setup", "S", "-o", "O"}, "given twice"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--disk-size", "1.44M"}, "whole number"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--disk-size", "0"}, "must be more than 0"},
        {{"pack", "--program"}, "needs a value"},
        {{"verify"}, "takes at least 1 argument"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--format", "1.4M"}, "use one of 360K, 720K"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--images", "--disk-size", "9"}, "not --disk-size"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--format", "720K", "--disk-size", "9"}, "give one"},
        {{"verify", "a", "--lzh"}, "does not apply to verify"},
        {{"extract", "disks"}, "needs -d"},
        {{"decode", "--length", "2147483648", "in", "out"}, "at most 2147483647"},
    };
    for (const auto& row : rows) {
        try {
            ParseOptions(row.Line);
            ADD_FAILURE() << row.Message << ": accepted";
        } catch (const UsageError& error) {
            EXPECT_NE(std::string(error.what()).find(row.Message), std::string::npos) << error.what();
        }
    }
}

}  // namespace

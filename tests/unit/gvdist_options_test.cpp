#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"
#include "options.h"

namespace {

using Args = std::vector<std::string>;

TEST(GvdistOptionsTest, PackTakesItsOptionsInAnyOrder) {
    const Options options = ParseOptions({"-q", "pack", "--member", "A.TXT", "--program=P.EXE", "--member", "B.HLP",
                                          "-o", "out", "--setup", "S.EXE", "--disk-size", "720896"});
    EXPECT_EQ(options.Command, "pack");
    EXPECT_TRUE(options.Quiet);
    EXPECT_EQ(options.ProgramPath, "P.EXE");
    EXPECT_EQ(options.MemberPaths, (Args{"A.TXT", "B.HLP"}));  // in the order given
    EXPECT_EQ(options.SetupPath, "S.EXE");
    EXPECT_EQ(options.OutputDir, "out");
    EXPECT_EQ(options.DiskSize, 720896u);

    EXPECT_EQ(ParseOptions({"pack", "--program", "P", "--setup", "S", "-o", "O"}).DiskSize, DefaultDiskSize);
}

TEST(GvdistOptionsTest, OtherCommands) {
    const Options extract = ParseOptions({"extract", "disks", "-d", "dest", "--help-dir", "help"});
    EXPECT_EQ(extract.Arguments, (Args{"disks"}));
    EXPECT_EQ(extract.OutputDir, "dest");
    EXPECT_EQ(extract.HelpDir, "help");

    EXPECT_TRUE(ParseOptions({"list"}).Arguments.empty());
    EXPECT_EQ(ParseOptions({"list", "setup.exe"}).Arguments, (Args{"setup.exe"}));
    EXPECT_TRUE(ParseOptions({"encode", "--lzh", "in", "out.lzh"}).LzhArchive);
    EXPECT_EQ(ParseOptions({"decode", "--length", "2147483647", "in", "out"}).Length, 2147483647);
    // After "--" a name that starts with '-' is an argument.
    EXPECT_EQ(ParseOptions({"verify", "--", "-disks"}).Arguments, (Args{"-disks"}));
    EXPECT_TRUE(ParseOptions({"pack", "--help"}).ShowHelp);
    EXPECT_TRUE(ParseOptions({"--version"}).ShowVersion);
}

TEST(GvdistOptionsTest, UsageErrors) {
    const struct {
        Args Line;
        const char* Message;
    } cases[] = {
        {{}, "no command"},
        {{"-q"}, "no command"},
        {{"unpack", "x"}, "unknown command 'unpack'"},
        {{"list", "--frobnicate"}, "unknown option '--frobnicate'"},
        {{"list", "-x"}, "unknown option '-x'"},
        {{"pack", "--setup", "S", "-o", "O"}, "needs --program"},
        {{"pack", "--program", "P", "-o", "O"}, "needs --setup"},
        {{"pack", "--program", "P", "--setup", "S"}, "needs -o"},
        {{"pack", "--program", "P", "--program", "Q", "--setup", "S", "-o", "O"}, "given twice"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "extra"}, "takes 0 argument"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--disk-size", "1.44M"}, "whole number"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--disk-size", "0"}, "more than 0"},
        {{"pack", "--program", "P", "--setup", "S", "-o", "O", "--disk-size", "-5"}, "whole number"},
        {{"pack", "--program"}, "needs a value"},
        {{"pack", "--program="}, "non-empty"},
        {{"verify"}, "takes 1 argument"},
        {{"verify", "a", "b"}, "takes 1 argument"},
        {{"verify", "a", "--lzh"}, "does not apply to verify"},
        {{"list", "a", "b"}, "takes 0 or 1"},
        {{"extract", "disks"}, "needs -d"},
        {{"extract", "disks", "-o", "x"}, "does not apply to extract"},
        {{"decode", "in", "out"}, "needs --length"},
        {{"decode", "--length", "2147483648", "in", "out"}, "at most 2147483647"},
        {{"encode", "in"}, "takes 2 argument"},
        {{"encode", "--lzh=yes", "in", "out"}, "takes no value"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& arg : c.Line) {
            line += arg + " ";
        }
        SCOPED_TRACE(line);
        try {
            ParseOptions(c.Line);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& error) {
            EXPECT_NE(std::string(error.what()).find(c.Message), std::string::npos) << error.what();
        }
    }
}

}  // namespace

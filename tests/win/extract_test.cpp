#include "archive/extract_win.h"

#include <gtest/gtest.h>

#include "archive/member_list_win.h"
#include "engine_test_support.h"
#include "setup/globals.h"

using namespace enginetest;

namespace {

// Members cut out of a program file that already holds the decoded stream.
class Extraction : public ::testing::Test {
protected:
    void Install(const Product& product, bool withHelpDir = true)
    {
        PrepareInstallState(dest_.Path(), windows_.Path(), withHelpDir);
        WriteBytes(dest_ / ProgramFile, product.Stream());
        MemberList = product.Table().Members;
        DecodedTotal = product.Table().DecodedTotal;
    }
    void TearDown() override { MemberList.clear(); }

    TempDir dest_;
    TempDir windows_;
};

TEST_F(Extraction, CopiesEachMemberWholeAndCutsTheProgramBack)
{
    Product product;
    product.Program = SampleBytes(5000, 1);
    product.Members = {{"EMPTY.DAT", {}},
                       {"EXACT.DAT", SampleBytes(2048, 2)},
                       {"ONEMORE.DAT", SampleBytes(2049, 3)},
                       {"BIG.DAT", SampleBytes(10000, 4)}};
    Install(product);
    ASSERT_TRUE(ExtractMembers());
    for (const auto& [name, content] : product.Members) {
        ASSERT_TRUE(Exists(dest_ / name)) << name;
        EXPECT_EQ(ReadBytes(dest_ / name), content) << name;
    }
    ASSERT_TRUE(TruncateProgramFile());
    EXPECT_EQ(ReadBytes(dest_ / ProgramFile), product.Program);
}

TEST_F(Extraction, HelpFilesGoToTheWindowsHelpDirectoryInAnyCase)
{
    Product product;
    product.Program = SampleBytes(100, 1);
    product.Members = {{"guide.hlp", SampleBytes(300, 2)}, {"INDEX.HLP", SampleBytes(30, 3)},
                       {"notes.txt", SampleBytes(40, 4)}};
    Install(product);
    ASSERT_TRUE(ExtractMembers());
    EXPECT_EQ(ReadBytes(windows_ / "Help\\guide.hlp"), product.Members[0].second);
    EXPECT_EQ(ReadBytes(windows_ / "Help\\INDEX.HLP"), product.Members[1].second);
    EXPECT_FALSE(Exists(dest_ / "guide.hlp"));
    EXPECT_EQ(ReadBytes(dest_ / "notes.txt"), product.Members[2].second);
}

TEST_F(Extraction, HelpFilesFallBackToTheDestinationWithoutAHelpDirectory)
{
    Product product;
    product.Program = SampleBytes(100, 1);
    product.Members = {{"guide.hlp", SampleBytes(300, 2)}};
    Install(product, false);
    ASSERT_TRUE(ExtractMembers());
    EXPECT_EQ(ReadBytes(dest_ / "guide.hlp"), product.Members[0].second);
}

TEST_F(Extraction, KeepsExistingLibAndDtpFilesAndReplacesOthers)
{
    Product product;
    product.Program = SampleBytes(100, 1);
    product.Members = {{"user.lib", SampleBytes(50, 2)},
                       {"Shapes.DTP", SampleBytes(60, 3)},
                       {"fresh.LIB", SampleBytes(70, 4)},
                       {"config.ini", SampleBytes(80, 5)}};
    Install(product);
    const Bytes mine = {'m', 'i', 'n', 'e'};
    WriteBytes(dest_ / "user.lib", mine);
    WriteBytes(dest_ / "Shapes.DTP", mine);
    WriteBytes(dest_ / "config.ini", mine);
    ASSERT_TRUE(ExtractMembers());
    EXPECT_EQ(ReadBytes(dest_ / "user.lib"), mine);
    EXPECT_EQ(ReadBytes(dest_ / "Shapes.DTP"), mine);
    EXPECT_EQ(ReadBytes(dest_ / "fresh.LIB"), product.Members[2].second) << "a new .LIB is written";
    EXPECT_EQ(ReadBytes(dest_ / "config.ini"), product.Members[3].second);
}

TEST_F(Extraction, AnEmptyTableLeavesTheWholeStreamAsTheProgram)
{
    Product product;
    product.Program = SampleBytes(3000, 1);
    Install(product);
    EXPECT_TRUE(ExtractMembers());
    EXPECT_TRUE(TruncateProgramFile());
    EXPECT_EQ(ReadBytes(dest_ / ProgramFile), product.Program);
}

TEST_F(Extraction, AProgramFileShorterThanTheTableFails)
{
    Product product;
    product.Program = SampleBytes(100, 1);
    product.Members = {{"A.DAT", SampleBytes(3000, 2)}};
    Install(product);
    Bytes cut = product.Stream();
    cut.resize(cut.size() - 1);
    WriteBytes(dest_ / ProgramFile, cut);
    EXPECT_FALSE(ExtractMembers());
}

TEST_F(Extraction, AMissingProgramFileFails)
{
    Product product;
    product.Program = SampleBytes(100, 1);
    product.Members = {{"A.DAT", SampleBytes(30, 2)}};
    Install(product);
    DeleteFileA((dest_ / ProgramFile).c_str());
    EXPECT_FALSE(ExtractMembers());
    EXPECT_FALSE(Exists(dest_ / "A.DAT"));
}

}  // namespace

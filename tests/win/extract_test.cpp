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

TEST_F(Extraction, CopiesMembersWholeKeepsLibsAndCutsTheProgramBack)
{
    Product product;
    product.Program = SampleBytes(5000, 1);
    product.Members = {{"EMPTY.DAT", {}},
                       {"EXACT.DAT", SampleBytes(2048, 2)},
                       {"ONEMORE.DAT", SampleBytes(2049, 3)},
                       {"guide.hlp", SampleBytes(300, 4)},
                       {"user.LIB", SampleBytes(50, 5)},
                       {"config.ini", SampleBytes(80, 6)}};
    Install(product);
    const Bytes mine = {'m', 'i', 'n', 'e'};
    WriteBytes(dest_ / "user.LIB", mine);
    WriteBytes(dest_ / "config.ini", mine);
    ASSERT_TRUE(ExtractMembers());
    for (const auto& [name, content] : product.Members) {
        const std::string path = name == "guide.hlp" ? windows_ / "Help\\guide.hlp" : dest_ / name;
        ASSERT_TRUE(Exists(path)) << name;
        EXPECT_EQ(ReadBytes(path), name == "user.LIB" ? mine : content) << name;
    }
    EXPECT_FALSE(Exists(dest_ / "guide.hlp"));
    ASSERT_TRUE(TruncateProgramFile());
    EXPECT_EQ(ReadBytes(dest_ / ProgramFile), product.Program);
}

TEST_F(Extraction, HelpFallsBackToTheDestinationAndAnEmptyTableKeepsTheStream)
{
    Product product;
    product.Program = SampleBytes(3000, 1);
    Install(product, false);
    EXPECT_TRUE(ExtractMembers());
    EXPECT_TRUE(TruncateProgramFile());
    EXPECT_EQ(ReadBytes(dest_ / ProgramFile), product.Program);

    product.Members = {{"guide.hlp", SampleBytes(300, 2)}};
    Install(product, false);
    ASSERT_TRUE(ExtractMembers());
    EXPECT_EQ(ReadBytes(dest_ / "guide.hlp"), product.Members[0].second);
}

TEST_F(Extraction, AShortOrMissingProgramFileFails)
{
    Product product;
    product.Program = SampleBytes(100, 1);
    product.Members = {{"A.DAT", SampleBytes(3000, 2)}};
    Install(product);
    Bytes cut = product.Stream();
    cut.resize(cut.size() - 1);
    WriteBytes(dest_ / ProgramFile, cut);
    EXPECT_FALSE(ExtractMembers());
    DeleteFileA((dest_ / ProgramFile).c_str());
    DeleteFileA((dest_ / "A.DAT").c_str());
    EXPECT_FALSE(ExtractMembers());
    EXPECT_FALSE(Exists(dest_ / "A.DAT"));
}

}  // namespace

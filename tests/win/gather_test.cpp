#include "archive/gather_win.h"

#include <gtest/gtest.h>

#include "archive/member_list_win.h"
#include "archive/naming.h"
#include "archive/progress_draw_win.h"
#include "engine_test_support.h"
#include "setup/globals.h"

using namespace enginetest;

namespace {

const std::string WrongDisk = WrongDiskText;

std::string Describe(const std::vector<ShownBox>& boxes)
{
    std::string shown;
    for (const ShownBox& box : boxes)
        shown += "[" + box.Caption + ": " + box.Text + "] ";
    return shown;
}

// The gathering dialog over a source directory holding the disks' parts.
class Gathering : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrepareInstallState(dest_.Path(), dest_.Path(), false);
        SourceDir = source_.Path() + "\\";
        ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
        Product product;
        product.Program = SampleBytes(500, 1);
        WriteSetupFile(source_ / "setup.bin", product.Table());
        MemberTableSource = source_ / "setup.bin";
        for (int k = 1; k <= 4; ++k)
            parts_.push_back(SampleBytes(1000 * k + 2047, k));
    }
    void TearDown() override
    {
        MemberTableSource.clear();
        MemberList.clear();
        ContinueFlag = 1;
    }

    std::string PartPath(int k) const { return source_ / PartFileName(FirstPartFile, k); }
    void PutPart(int k) const { WriteBytes(PartPath(k), parts_[k - 1]); }
    Bytes Joined(int count) const
    {
        Bytes joined;
        for (int k = 1; k <= count; ++k)
            joined.insert(joined.end(), parts_[k - 1].begin(), parts_[k - 1].end());
        return joined;
    }
    static INT_PTR Run()
    {
        return DialogBoxParamA(GetModuleHandleA(nullptr), "IProgress", nullptr, IProgressDialogProc, 0);
    }
    // Prompts and messages only; the progress dialog itself is left alone.
    static bool IsPrompt(const ShownBox& box) { return !box.IsCopyDialog; }

    TempDir source_;
    TempDir dest_;
    std::vector<Bytes> parts_;
};

TEST_F(Gathering, JoinsThePartsOfThisBuildWithoutAPrompt)
{
    for (int k = 1; k <= 4; ++k)
        PutPart(k);
    BoxAnswerer answerer([](const ShownBox& box) { return IsPrompt(box) ? IDCANCEL : 0; });
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(answerer.Answered().empty());
    // Only DiskCount parts belong to this build; a fourth is never read.
    EXPECT_EQ(ReadBytes(dest_ / ArchiveFile), Joined(DiskCount));
    EXPECT_EQ(MemberList.size(), 0u);
    EXPECT_EQ(DecodedTotal, 500);
}

TEST_F(Gathering, PromptsForEachMissingDiskAndTakesItWhenInserted)
{
    if (DiskCount < 3)
        GTEST_SKIP() << "needs three disks";
    PutPart(1);
    BoxAnswerer answerer([&](const ShownBox& box) {
        if (box.Text == "Please Insert Disk number 2") {
            PutPart(2);
            return IDOK;
        }
        if (box.Text == "Please Insert Disk number 3") {
            PutPart(3);
            return IDOK;
        }
        return IsPrompt(box) ? IDCANCEL : 0;
    });
    EXPECT_EQ(Run(), 1);
    const auto boxes = answerer.Answered();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Caption, ProductName);
    EXPECT_EQ(boxes[1].Text, "Please Insert Disk number 3");
    EXPECT_EQ(ReadBytes(dest_ / ArchiveFile), Joined(3));
}

TEST_F(Gathering, OkWithTheWrongDiskWarnsAndAsksAgain)
{
    if (DiskCount < 2)
        GTEST_SKIP() << "needs two disks";
    for (int k = 1; k <= 4; ++k)
        if (k != 2)
            PutPart(k);
    int prompts = 0;
    BoxAnswerer answerer([&](const ShownBox& box) {
        if (box.Text == "Please Insert Disk number 2" && ++prompts == 2)
            PutPart(2);
        return IsPrompt(box) ? IDOK : 0;
    });
    EXPECT_EQ(Run(), 1);
    const auto boxes = answerer.Answered();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].Text, WrongDisk);
    EXPECT_EQ(boxes[1].Caption, "");
    EXPECT_EQ(boxes[2].Text, "Please Insert Disk number 2");
    EXPECT_EQ(ReadBytes(dest_ / ArchiveFile), Joined(DiskCount));
}

TEST_F(Gathering, CancelInAPrompt)
{
    if (DiskCount < 3)
        GTEST_SKIP() << "needs three disks";
    // Without the disk the phase stops; with it inserted the copy goes on.
    for (bool inserted : {false, true}) {
        ContinueFlag = 1;
        DeleteFileA(PartPath(2).c_str());
        PutPart(1);
        PutPart(3);
        BoxAnswerer answerer([&](const ShownBox& box) {
            if (box.Text == "Please Insert Disk number 2" && inserted)
                PutPart(2);
            return IsPrompt(box) ? IDCANCEL : 0;
        });
        EXPECT_EQ(Run(), inserted ? 1 : 0) << inserted;
        const auto boxes = answerer.Answered();
        ASSERT_EQ(boxes.size(), 1u) << inserted << " " << Describe(boxes);
        EXPECT_EQ(boxes[0].Text, "Please Insert Disk number 2");
        EXPECT_EQ(ReadBytes(dest_ / ArchiveFile), Joined(inserted ? 3 : 1)) << inserted;
    }
}

TEST_F(Gathering, AMissingFirstPartStopsWithTheMessage)
{
    PutPart(2);
    PutPart(3);
    BoxAnswerer answerer([](const ShownBox& box) { return IsPrompt(box) ? IDOK : 0; });
    EXPECT_EQ(Run(), 0);
    const auto boxes = answerer.Answered();
    ASSERT_EQ(boxes.size(), 1u) << Describe(boxes);
    EXPECT_EQ(boxes[0].Caption, "Error");
    EXPECT_EQ(boxes[0].Text, "Glyphvane was unable to install its files.");
}

TEST_F(Gathering, AHostileMemberTableIsRefusedBeforeCopying)
{
    for (int k = 1; k <= 4; ++k)
        PutPart(k);
    MemberTable hostile;
    MemberEntry entry;
    entry.Name = "..\\..\\boot.ini";
    entry.Offset = 0;
    entry.Size = 10;
    hostile.Members.push_back(entry);
    hostile.DecodedTotal = 10;
    WriteSetupFile(source_ / "setup.bin", hostile);
    BoxAnswerer answerer([](const ShownBox& box) { return IsPrompt(box) ? IDOK : 0; });
    EXPECT_EQ(Run(), 0);
    const auto boxes = answerer.Answered();
    ASSERT_EQ(boxes.size(), 1u) << Describe(boxes);
    EXPECT_EQ(boxes[0].Text, "Glyphvane was unable to install its files.");
    EXPECT_FALSE(Exists(dest_ / ArchiveFile));
    EXPECT_TRUE(MemberList.empty());
}

TEST_F(Gathering, ACancelDuringTheCopyStopsAfterTheBlock)
{
    parts_[0] = SampleBytes(3000000, 5);
    for (int k = 1; k <= 4; ++k)
        PutPart(k);
    bool cancelled = false;
    BoxAnswerer answerer([&](const ShownBox& box) {
        if (box.Caption == "Exit Glyphvane")
            return IDYES;
        if (!cancelled && box.IsCopyDialog) {
            cancelled = true;
            return IDCANCEL;
        }
        return IsPrompt(box) ? IDOK : 0;
    });
    EXPECT_EQ(Run(), 0);
    const auto boxes = answerer.Answered();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].Text, CancelQuestion);
    EXPECT_LT(ReadBytes(dest_ / ArchiveFile).size(), parts_[0].size());
}

}  // namespace

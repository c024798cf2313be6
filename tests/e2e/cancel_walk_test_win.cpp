// A confirmed cancel in each phase that can be cancelled: the run ends with
// the terminated message, and the clean-up removes only what this run wrote.
#include "setup_walk_win.h"

namespace {

enum class Phase { Destination, Agreement, Gathering, Unpacking };

struct CancelCase {
    const char* Name;
    Phase Where;
    bool AskNoFirst;              // a No first leaves the phase as it was
    bool EarlierProgramStays;     // the files of these names in the
    bool EarlierArchiveStays;     // destination before the run
};

const CancelCase CancelCases[] = {
    {"Destination", Phase::Destination, true, true, true},
    {"Agreement", Phase::Agreement, true, true, true},
    // The prompt for disk 2 holds the gathering while the user cancels.
    {"Gathering", Phase::Gathering, true, true, false},
    {"Unpacking", Phase::Unpacking, false, false, false},
};

const Bytes EarlierProgram = {'o', 'l', 'd', ' ', 'e', 'x', 'e'};
const Bytes EarlierArchive = {'o', 'l', 'd', ' ', 't', 'm'};

// Failures name the row, not its bytes.
void PrintTo(const CancelCase& row, std::ostream* out) { *out << row.Name; }

class CancelWalk : public SetupWalk, public ::testing::WithParamInterface<CancelCase> {};

}  // namespace

TEST_P(CancelWalk, ConfirmedCancelEndsTheRunAndRemovesOnlyThisRunsFiles) {
    const CancelCase& c = GetParam();
    const std::string dest = Destination();
    MakeDirectory(dest);
    WriteBytes(dest + "\\Glyphvane.Exe", EarlierProgram);
    WriteBytes(dest + "\\Glyphvan._TM", EarlierArchive);
    Start(SetupComplete, c.Where == Phase::Unpacking ? Unpacking::Long : Unpacking::Quick);
    // Files of these names beside setup.exe are the disk's, never this run's.
    WriteBytes(disks_->Drive() + "Glyphvane.Exe", EarlierProgram);
    WriteBytes(disks_->Drive() + "Glyphvan._TM", EarlierArchive);

    HWND dialog = nullptr;
    if (c.Where == Phase::Destination) {
        dialog = setup_->WaitFor(Seen::Destination);
    } else {
        EnterDestination(dest);
        if (c.Where == Phase::Agreement) {
            dialog = setup_->WaitFor(Seen::Agreement);
        } else {
            AcceptAgreement();
            if (c.Where == Phase::Gathering) {
                dialog = setup_->WaitFor(Seen::Gathering);
                EXPECT_NE(setup_->WaitFor(Seen::DiskPrompt(2)), nullptr);
            } else {
                SwapDisks();
                dialog = setup_->WaitFor(Seen::Unpacking, 30000);
            }
        }
    }
    ASSERT_NE(dialog, nullptr);
    if (c.AskNoFirst) {
        CancelWith(dialog, IDNO);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "No leaves the phase open";
        EXPECT_EQ(setup_->Find(Seen::Terminated), nullptr);
    }
    CancelWith(dialog, IDYES);
    if (c.Where == Phase::Gathering) {
        // The cancelled copy ends once the prompt it waits in is answered.
        HWND prompt = setup_->Find(Seen::DiskPrompt(2));
        ASSERT_NE(prompt, nullptr) << setup_->DescribeWindows();
        setup_->Answer(prompt, IDCANCEL);
    }
    ExpectTerminated();

    EXPECT_EQ(ReadBytes(disks_->Drive() + "Glyphvane.Exe"), EarlierProgram);
    EXPECT_EQ(ReadBytes(disks_->Drive() + "Glyphvan._TM"), EarlierArchive);
    EXPECT_EQ(FileExists(dest + "\\Glyphvane.Exe"), c.EarlierProgramStays);
    EXPECT_EQ(FileExists(dest + "\\Glyphvan._TM"), c.EarlierArchiveStays);
    if (c.EarlierProgramStays) {
        EXPECT_EQ(ReadBytes(dest + "\\Glyphvane.Exe"), EarlierProgram);
    }
    if (c.EarlierArchiveStays) {
        EXPECT_EQ(ReadBytes(dest + "\\Glyphvan._TM"), EarlierArchive);
    }
    EXPECT_FALSE(FileExists(dest + "\\UnInstal.Exe")) << "nothing is extracted";
    EXPECT_FALSE(FileExists(HelpFile()));
    EXPECT_FALSE(FileExists(ShortcutPath()));
    std::string value;
    EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName", value));
}

INSTANTIATE_TEST_SUITE_P(EachPhase, CancelWalk, ::testing::ValuesIn(CancelCases),
                         [](const ::testing::TestParamInfo<CancelCase>& row) {
                             return std::string(row.param.Name);
                         });

TEST_F(SetupWalk, CancelAnsweredNoWhileUnpackingLetsTheDecodingFinishIntact) {
    const std::string dest = Destination();
    Start(SetupComplete, Unpacking::Long);
    EnterDestination(dest);
    AcceptAgreement();
    SwapDisks();
    HWND unpacking = setup_->WaitFor(Seen::Unpacking, 30000);
    ASSERT_NE(unpacking, nullptr);
    CancelWith(unpacking, IDNO);
    AcceptGroup();
    AnswerFinalQuestion(IDNO);
    ExpectEndsWithZero();
    ExpectInstalled(Typed(dest));
}

// A confirmed cancel in each phase that can be cancelled: the run ends with
// the terminated message, and the clean-up removes only what this run wrote.
#include "setup_walk_win.h"

namespace {

enum class Phase { Destination, Agreement, Gathering, Unpacking };

struct CancelCase {
    const char* Name;
    Phase Where;
    bool EarlierProgramStays;  // files of these names in the destination
    bool EarlierArchiveStays;  // before the run
};

const CancelCase CancelCases[] = {
    {"Destination", Phase::Destination, true, true},
    {"Agreement", Phase::Agreement, true, true},
    {"Gathering", Phase::Gathering, true, false},  // held by the prompt for disk 2
    {"Unpacking", Phase::Unpacking, false, false},
};

class CancelWalk : public SetupWalk, public ::testing::WithParamInterface<CancelCase> {};

}  // namespace

TEST_P(CancelWalk, ConfirmedCancelEndsTheRunAndRemovesOnlyThisRunsFiles) {
    const CancelCase& c = GetParam();
    const std::string dest = Destination() + "\\";  // typed without the backslash
    const Bytes earlierProgram = {'o', 'l', 'd', ' ', 'e', 'x', 'e'}, earlierArchive = {'o', 'l', 'd'};
    CreateDirectoryA(dest.c_str(), nullptr);
    Start(SetupComplete, c.Where == Phase::Unpacking ? Unpacking::Long : Unpacking::Quick);
    // Files of these names beside setup.exe are the disk's, never this run's.
    for (const std::string& dir : {dest, Drive()}) {
        WriteBytes(dir + "Glyphvane.Exe", earlierProgram);
        WriteBytes(dir + "Glyphvan._TM", earlierArchive);
    }

    const DialogMatch* phases[] = {&Seen::Destination, &Seen::Agreement, &Seen::Gathering};
    if (c.Where > Phase::Destination) EnterDestination(Destination());
    if (c.Where > Phase::Agreement) AcceptAgreement();
    if (c.Where > Phase::Gathering) SwapDisks();
    if (c.Where == Phase::Unpacking) {
        CancelUnpacking(IDYES);  // a No there is the install walk's
    } else {
        HWND dialog = WaitFor(*phases[static_cast<int>(c.Where)]);
        EXPECT_TRUE(c.Where != Phase::Gathering || WaitFor(Seen::DiskPrompt(2)));
        ASSERT_NE(dialog, nullptr);
        CancelWith(dialog, IDNO);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "No leaves the phase open";
        EXPECT_EQ(Find(Seen::Terminated), nullptr);
        CancelWith(dialog, IDYES);
    }
    if (c.Where == Phase::Gathering) {
        // The cancelled copy ends once the prompt it waits in is answered.
        HWND prompt = Find(Seen::DiskPrompt(2));
        ASSERT_NE(prompt, nullptr) << DescribeWindows();
        Answer(prompt, IDCANCEL);
    }
    ExpectTerminated();

    EXPECT_EQ(ReadBytes(Drive() + "Glyphvane.Exe"), earlierProgram);
    EXPECT_EQ(ReadBytes(Drive() + "Glyphvan._TM"), earlierArchive);
    EXPECT_EQ(ReadBytes(dest + "Glyphvane.Exe"), c.EarlierProgramStays ? earlierProgram : Bytes());
    EXPECT_EQ(ReadBytes(dest + "Glyphvan._TM"), c.EarlierArchiveStays ? earlierArchive : Bytes());
    EXPECT_FALSE(FileExists(dest + "UnInstal.Exe")) << "nothing is extracted";
    EXPECT_FALSE(FileExists(HelpFile()));
    ExpectNothingRegistered();
}

INSTANTIATE_TEST_SUITE_P(EachPhase, CancelWalk, ::testing::ValuesIn(CancelCases), NameOf<CancelCase>);

// Runs that stop: a confirmed cancel in each phase that can be cancelled, or
// a build without the next phase's template. The run ends with the
// terminated message, and the clean-up removes only what this run wrote.
#include "setup_walk_win.h"

namespace {

enum class Phase { Destination, Agreement, Gathering, Unpacking, ProgramGroup };

struct StopCase {
    const char* Name;
    const char* Build;  // the complete one is cancelled in `Where`; the others lack its template
    Phase Where;
    bool EarlierProgramStays;  // files of these names in the destination
    bool EarlierArchiveStays;  // before the run
};

const StopCase StopCases[] = {
    {"CancelInDestination", SetupComplete, Phase::Destination, true, true},
    {"CancelInAgreement", SetupComplete, Phase::Agreement, true, true},
    {"CancelInGathering", SetupComplete, Phase::Gathering, true, false},  // held by the prompt for disk 2
    {"CancelInUnpacking", SetupComplete, Phase::Unpacking, false, false},
    {"NoAgreementTemplate", SetupWithoutLicense, Phase::Agreement, true, false},  // gathering follows: no disk 2
    {"NoProgressTemplate", SetupWithoutProgress, Phase::Unpacking, true, false},
    {"NoGroupTemplate", SetupWithoutGroup, Phase::ProgramGroup, false, false},  // all but the program stay
};

class StopWalk : public SetupWalk, public ::testing::WithParamInterface<StopCase> {};

}  // namespace

TEST_P(StopWalk, TheRunEndsTerminatedAndRemovesOnlyThisRunsFiles) {
    const StopCase& c = GetParam();
    const bool cancelled = std::string(c.Build) == SetupComplete;
    const std::string dest = Destination() + "\\";  // typed without the backslash
    const Bytes earlierProgram = {'o', 'l', 'd', ' ', 'e', 'x', 'e'}, earlierArchive = {'o', 'l', 'd'};
    CreateDirectoryA(dest.c_str(), nullptr);
    Start(c.Build, cancelled && c.Where == Phase::Unpacking ? Unpacking::Long : Unpacking::Quick);
    // Files of these names beside setup.exe are the disk's, never this run's.
    for (const std::string& dir : {dest, Drive()}) {
        WriteBytes(dir + "Glyphvane.Exe", earlierProgram);
        WriteBytes(dir + "Glyphvan._TM", earlierArchive);
    }

    const DialogMatch* phases[] = {&Seen::Destination, &Seen::Agreement, &Seen::Gathering};
    if (c.Where > Phase::Destination) EnterDestination(Destination());
    if (c.Where > Phase::Agreement) AcceptAgreement();
    if (c.Where > Phase::Gathering) SwapDisks();
    if (cancelled && c.Where == Phase::Unpacking) {
        CancelUnpacking(IDYES);  // a No there is the install walk's
    } else if (cancelled) {
        HWND dialog = WaitFor(*phases[static_cast<int>(c.Where)]);
        EXPECT_TRUE(c.Where != Phase::Gathering || WaitFor(Seen::DiskPrompt(2)));
        ASSERT_NE(dialog, nullptr);
        CancelWith(dialog, IDNO);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "No leaves the phase open";
        EXPECT_EQ(Find(Seen::Terminated), nullptr);
        CancelWith(dialog, IDYES);
    }
    // Cancel at the prompt without the disk stops the copy; a cancelled copy
    // ends once the prompt it waits in is answered.
    if (c.Where == Phase::Gathering || std::string(c.Build) == SetupWithoutLicense) Answer(WaitFor(Seen::DiskPrompt(2)), IDCANCEL);
    ExpectTerminated();

    EXPECT_EQ(ReadBytes(Drive() + "Glyphvane.Exe"), earlierProgram);
    EXPECT_EQ(ReadBytes(Drive() + "Glyphvan._TM"), earlierArchive);
    EXPECT_EQ(ReadBytes(dest + "Glyphvane.Exe"), c.EarlierProgramStays ? earlierProgram : Bytes());
    EXPECT_EQ(ReadBytes(dest + "Glyphvan._TM"), c.EarlierArchiveStays ? earlierArchive : Bytes());
    for (const auto& [name, content] : Contents().Members) {
        const std::string path = (name == "Glyphvane.hlp" ? HelpDirectory() : dest) + name;
        EXPECT_EQ(ReadBytes(path), c.Where == Phase::ProgramGroup ? content : Bytes()) << path;
    }
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
    EXPECT_FALSE(FileExists(ShortcutPath()));
}

INSTANTIATE_TEST_SUITE_P(EachPhase, StopWalk, ::testing::ValuesIn(StopCases), NameOf<StopCase>);

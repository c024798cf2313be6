// Runs that stop: a confirmed cancel in each phase that can be cancelled, a
// build without the next phase's template, or an unpacking that cannot
// write. The run ends with the terminated message, and the clean-up removes
// only what this run wrote.
// On the way, the destination dialog proposes its default from the registry.
#include "setup_walk_win.h"

using namespace harness;

namespace {

enum class Phase { Destination, Agreement, Gathering, Unpacking, ProgramGroup };

// What keeps the unpacking from writing: nothing; the product running, which
// holds its file open without sharing; or a member named by the program
// file's short alias, which truncates the file the members are read from;
// or a byte of part 2 flipped, which the setup finds before it unpacks; or a
// folder at a member's name, which Abort leaves as it was; or a small drive
// that the decoding fills, where the destination dialog asks first. Or,
// before the gathering, a member table that names a member like a long
// name's alias.
enum class UnpackTrouble { None, ProgramInUse, MemberNamedByAlias, DamagedPart, FolderAtMember, NoRoom, AliasForm };

struct StopCase {
    const char* Name;
    const char* Build;  // the complete one is cancelled in `Where`; the others lack its template
    Phase Where;
    bool EarlierProgramStays;  // files of these names in the destination
    bool EarlierArchiveStays;  // before the run
    UnpackTrouble Trouble = UnpackTrouble::None;
    // The preferred destination (nullptr: none, or a value of another type)
    // and the Program Files directory (nullptr: none); the default shown.
    const char* Preferred = nullptr;
    DWORD PreferredType = REG_SZ;
    const char* ProgramFiles = nullptr;
    const char* Proposed = "C:\\PROGRAM FILES\\GLYPHVANE";
};

const StopCase StopCases[] = {
    // An empty preference is none.
    {"CancelInDestination", SetupComplete, Phase::Destination, true, true, UnpackTrouble::None, ""},
    {"CancelInAgreement", SetupComplete, Phase::Agreement, true, true, UnpackTrouble::None, "d:\\apps\\gv", REG_SZ,
     "C:\\Program Files", "D:\\APPS\\GV"},
    {"CancelInGathering", SetupComplete, Phase::Gathering, true, false, UnpackTrouble::None, "777", REG_DWORD, "E:\\",
     "E:\\GLYPHVANE"},  // held by the prompt for disk 2
    {"CancelInUnpacking", SetupComplete, Phase::Unpacking, false, false},
    {"NoAgreementTemplate", SetupWithoutLicense, Phase::Agreement, true, false},  // gathering follows: no disk 2
    {"NoProgressTemplate", "setup_no_progress.exe", Phase::Unpacking, true, false},
    {"NoGroupTemplate", "setup_no_group.exe", Phase::ProgramGroup, false, false},  // all but the program stay
    // An unwritable program file ends with the terminated message alone.
    {"ProgramFileInUse", SetupComplete, Phase::Unpacking, true, false, UnpackTrouble::ProgramInUse},
    // Read and write failures stop the copy with a message: a member named
    // by the program file's short alias truncates it, then reads past its end.
    {"MemberNamedByTheProgramsAlias", SetupComplete, Phase::Unpacking, false, false, UnpackTrouble::MemberNamedByAlias},
    // A damaged disk is named, never installed: Cancel at its message.
    {"DamagedDiskCancelled", SetupComplete, Phase::Gathering, true, false, UnpackTrouble::DamagedPart},
    {"FolderAtAMemberAborted", SetupComplete, Phase::Unpacking, false, false, UnpackTrouble::FolderAtMember},
    {"DriveWithoutRoomYesAfterNo", SetupComplete, Phase::Unpacking, false, false, UnpackTrouble::NoRoom},
    {"AliasFormInTheMemberTable", SetupComplete, Phase::Gathering, true, true, UnpackTrouble::AliasForm},
};

constexpr const char* PreferenceKey = "Software\\Tallowmere\\Glyphvane";
constexpr const char* WindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// A value holding `data` and its ending zero; nullptr: no value.
void SetValue(HKEY root, const char* key, const char* name, const char* data, DWORD type = REG_SZ) {
    if (!data) RegDeleteKeyValueA(root, key, name);
    EXPECT_TRUE(!data ||
                RegSetKeyValueA(root, key, name, type, data, static_cast<DWORD>(strlen(data) + 1)) == ERROR_SUCCESS);
}

// Each row leaves no preference and Program Files as it found them.
class StopWalk : public SetupWalk, public ::testing::WithParamInterface<StopCase> {
protected:
    void TearDown() override {
        SetupWalk::TearDown();
        SetValue(HKEY_CURRENT_USER, PreferenceKey, "RegDir", nullptr);
        SetValue(HKEY_LOCAL_MACHINE, WindowsKey, "ProgramFilesDir",
                 programFiles_ == "<missing>" ? nullptr : programFiles_.c_str());
    }
    // Fills the small drive until it has room for the archive only; the room left.
    ULARGE_INTEGER FillSmallDrive(const StopCase& c, const std::string& dest);
    // The question about the drive's room, answered No (OK asks again), then Yes.
    void AnswerNoRoom(HWND destination, const std::string& typed, const char* drive, ULARGE_INTEGER room);
    // Cancels in c.Where, or meets the row's trouble, up to the terminated message.
    void StopTheRun(const StopCase& c, bool cancelled, const std::string& dest);
    const std::string programFiles_ = RegistryString(HKEY_LOCAL_MACHINE, WindowsKey, "ProgramFilesDir");
};

ULARGE_INTEGER StopWalk::FillSmallDrive(const StopCase& c, const std::string& dest) {
    ULARGE_INTEGER room{};  // room for the archive, not for the decoded stream beside it
    if (GetDiskFreeSpaceExA(dest.c_str(), &room, nullptr, nullptr)) {
        const Product& product = DistributionFor(c.Build).Contents;
        room.QuadPart -= product.Program.size() + product.Members.back().second.size() + (128 << 10);
        WriteBytes(dest + "filler", Bytes(room.QuadPart));
        GetDiskFreeSpaceExA(dest.c_str(), &room, nullptr, nullptr);
    }
    return room;
}

void StopWalk::AnswerNoRoom(HWND destination, const std::string& typed, const char* drive, ULARGE_INTEGER room) {
    for (int answer : {IDNO, IDYES}) {  // after No, OK asks again
        SetItemText(destination, 104, typed);
        Press(destination, IDOK);
        // The need is the unit test's; the free room is what the drive says.
        const std::string text = ItemText(WaitFor({"Glyphvane", ""}), 0xFFFF),
                          free = std::to_string(room.QuadPart >> 10);
        EXPECT_EQ(text, "Glyphvane needs " + text.substr(16, text.find(' ', 16) - 16) + " KB of free space on drive " +
                            drive + ", which has " + free + " KB free.\r\n\r\nInstall there anyway?");
        AnswerOwned({"Glyphvane", text}, destination, answer);
    }
}

void StopWalk::StopTheRun(const StopCase& c, bool cancelled, const std::string& dest) {
    const DialogMatch* phases[] = {&Seen::Destination, &Seen::Agreement, &Seen::Gathering};
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
        CancelWith(dialog, IDYES);
    }
    // Cancel at the prompt without the disk stops the copy; a cancelled copy
    // ends once the prompt it waits in is answered.
    if (c.Trouble == UnpackTrouble::DamagedPart) {
        DamageFile(Disk(2) + "Glyphvan.002");
        HWND prompt = WaitFor(Seen::DiskPrompt(2));
        InsertDisk(2);
        Answer(prompt, IDOK);
        Answer(WaitFor(Seen::DamagedDisk(2)), IDCANCEL);
    } else if ((cancelled && c.Where == Phase::Gathering) || std::string(c.Build) == SetupWithoutLicense) {
        Answer(WaitFor(Seen::DiskPrompt(2)), IDCANCEL);
    }
    if (c.Trouble == UnpackTrouble::MemberNamedByAlias || c.Trouble == UnpackTrouble::AliasForm ||
        c.Trouble == UnpackTrouble::NoRoom)
        Answer(WaitFor(Seen::Failure), IDOK);        // the disk is full
    if (c.Trouble == UnpackTrouble::FolderAtMember)  // after four members: they go again
        Answer(WaitFor(Seen::MemberUnwritable(InCapitals(dest) + "ReadMe.Txt")), IDABORT);
}

}  // namespace

TEST_P(StopWalk, TheRunEndsTerminatedAndRemovesOnlyThisRunsFiles) {
    const StopCase& c = GetParam();
    const bool cancelled = std::string(c.Build) == SetupComplete && c.Trouble == UnpackTrouble::None;
    const char* drive = std::getenv("GV_SMALL_DRIVE");  // a tmpfs of a few MB
    const bool small = c.Trouble == UnpackTrouble::NoRoom;
    if (small && !drive) GTEST_SKIP() << "no small drive: scripts/lib/wine.sh mounts one where mount is allowed";
    const std::string typed = small ? drive + std::string("\\GVDEST") : Destination(), dest = typed + "\\";
    const Bytes earlierProgram = {'o', 'l', 'd', ' ', 'e', 'x', 'e'}, earlierArchive = {'o', 'l', 'd'};
    CreateDirectoryA(dest.c_str(), nullptr);
    if (c.Trouble == UnpackTrouble::FolderAtMember) fs::create_directories(dest + "ReadMe.Txt\\Mine");
    SetValue(HKEY_CURRENT_USER, PreferenceKey, "RegDir", c.Preferred, c.PreferredType);
    SetValue(HKEY_LOCAL_MACHINE, WindowsKey, "ProgramFilesDir", c.ProgramFiles);
    // Wine's short name of Glyphvane.Exe: where it is another, the row fails.
    Start(c.Build, false, c.Trouble == UnpackTrouble::MemberNamedByAlias ? "GLYP~SOY.EXE" : "", false, [&] {
        if (c.Trouble != UnpackTrouble::AliasForm) return;
        Bytes setup = ReadBytes(Disk(1) + "setup.exe");  // the table's "ReadMe.Txt", beside "Glyphvane.Dat"
        const char *name = "ReadMe.Txt", *alias = "README~1.T";
        std::copy(alias, alias + 10, std::find_end(setup.begin(), setup.end(), name, name + 10));
        WriteBytes(Disk(1) + "setup.exe", setup);
    });
    // Files of these names beside setup.exe are the disk's, never this run's.
    for (const std::string& dir : {dest, Drive()}) {
        WriteBytes(dir + "Glyphvane.Exe", earlierProgram);
        WriteBytes(dir + "Glyphvan._TM", earlierArchive);
    }
    const ULARGE_INTEGER room = small ? FillSmallDrive(c, dest) : ULARGE_INTEGER{};
    HANDLE held = nullptr;  // without sharing, as the running product holds it
    if (c.Trouble == UnpackTrouble::ProgramInUse)
        held = CreateFileA((dest + "Glyphvane.Exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);

    HWND destination = WaitFor(Seen::Destination);
    EXPECT_EQ(ItemText(destination, 104), c.Proposed);
    EXPECT_EQ(Owner(destination), Backdrop());

    if (c.Where > Phase::Destination && !small) EnterDestination(typed);
    if (small) AnswerNoRoom(destination, typed, drive, room);
    StopTheRun(c, cancelled, dest);
    if (HasFatalFailure()) return;
    ExpectTerminated();  // and no other message before it
    if (held) CloseHandle(held);
    DeleteFileA((dest + "filler").c_str());

    EXPECT_EQ(ReadBytes(Drive() + "Glyphvane.Exe"), earlierProgram);
    EXPECT_EQ(ReadBytes(Drive() + "Glyphvan._TM"), earlierArchive);
    EXPECT_EQ(ReadBytes(dest + "Glyphvane.Exe"), c.EarlierProgramStays ? earlierProgram : Bytes());
    EXPECT_EQ(ReadBytes(dest + "Glyphvan._TM"), c.EarlierArchiveStays ? earlierArchive : Bytes());
    for (const auto& [name, content] : DistributionFor(c.Build).Contents.Members) {
        const std::string path = (name == "Glyphvane.hlp" ? HelpDirectory() : dest) + name;
        EXPECT_EQ(ReadBytes(path), c.Where == Phase::ProgramGroup ? content : Bytes()) << path;
    }
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
    EXPECT_FALSE(FileExists(ShortcutPath()));
    EXPECT_EQ(fs::is_directory(dest + "ReadMe.Txt\\Mine"), c.Trouble == UnpackTrouble::FolderAtMember);
}

INSTANTIATE_TEST_SUITE_P(EachPhase, StopWalk, ::testing::ValuesIn(StopCases), NameOf<StopCase>);

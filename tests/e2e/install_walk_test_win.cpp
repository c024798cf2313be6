// Complete installations from three disks, one table row per way through.
#include "setup_walk_win.h"

#include <regex>

using namespace harness;

namespace {

struct InstallCase {
    const char* Name;
    const char* DestTail = "";    // appended to the destination: "" or "\\"
    const char* Group = nullptr;  // typed into the group dialog; nullptr: the proposal kept
    int GroupButton = IDOK;
    int FinalAnswer = IDNO;
    bool DisksInDrive = false;       // all parts in one directory, as on a CD: no prompts
    bool CancelNoUnpacking = false;  // a cancel answered No while unpacking
    bool FromFloppies = false;
    const char* Quote = "";         // around the uninstall command: a space in its path
    bool DamagedPart = false;       // a byte of part 2 flipped, then a good copy and Retry
    bool WithoutChecks = false;     // a stamp that records no checks installs as before
    int FolderAnswer = 0;           // a folder at ReadMe.Txt: Ignore, or Retry once it is removed
    bool LinkBlocked = false;       // a folder at the link's name: the Programs folder cannot take it
    bool ProgramsIsNumber = false;  // the recorded Programs folder: the shortcut step's report ends the run
};

const InstallCase InstallCases[] = {
    {.Name = "Default", .FromFloppies = true},
    {.Name = "FinalYesNamedGroupTrailingBackslash", .DestTail = "\\", .Group = "Walk Group", .FinalAnswer = IDYES},
    // All parts in the drive, an empty group name, a space in the destination.
    {.Name = "PartsInDriveEmptyGroupSpacedDest", .DestTail = " Dir", .Group = "", .DisksInDrive = true, .Quote = "\""},
    {.Name = "GroupCancelledFromASetWithoutChecks", .Group = "Other", .GroupButton = IDCANCEL, .WithoutChecks = true},
    {.Name = "DamagedPartRetriedWithAGoodCopy", .DisksInDrive = true, .DamagedPart = true},
    {.Name = "CancelAnsweredNoWhileUnpacking", .CancelNoUnpacking = true},
    {.Name = "FolderAtAMemberIgnored", .FolderAnswer = IDIGNORE},
    {.Name = "FolderAtAMemberRetriedAndLinkBlocked", .FolderAnswer = IDRETRY, .LinkBlocked = true},
    {.Name = "ProgramsFolderOfTheWrongType", .ProgramsIsNumber = true},
};

class InstallWalk : public SetupWalk, public ::testing::WithParamInterface<InstallCase> {
protected:
    // With the Programs folder recorded as a number, the shortcut step's
    // registry error ends the run with its report and nothing registered.
    void AnswerGroupWithProgramsAsNumber(HWND group, int button) {
        const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                          programs = ProgramsFolder();
        const DWORD number = 1;
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Programs", REG_DWORD, &number, sizeof number);
        Answer(group, button);
        HWND report = WaitFor(Seen::ErrorReport);
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Programs", REG_SZ, programs.c_str(),
                        static_cast<DWORD>(programs.size() + 1));
        // At the code address of the raise: above the module's base, which is all the headers hold.
        const std::string text = ItemText(report, 0xFFFF);
        std::smatch at;
        const std::regex words(
            "Exception ERegistryException in module setup\\.exe at ([0-9A-F]{8})\\.\\n"
            "Invalid data type for 'programs'\\.");
        EXPECT_TRUE(std::regex_match(text, at, words)) << text;
        EXPECT_GT(at.empty() ? 0 : std::stoul(at[1], nullptr, 16), 0x400FFFul) << text;
        Answer(report, IDOK);
        ExpectEndsWith(1);
        EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
    }
};

// The link at `link` starts the program in `dir` from `dest` as typed, shown
// normally. A link file holds its target as text and its working directory
// in UTF-16, each ending in a zero, and its show command at byte 60. The
// link is removed.
void ExpectShortcut(const std::string& link, const std::string& dest, const std::string& dir) {
    const Bytes bytes = ReadBytes(link);
    const std::string file(bytes.begin(), bytes.end());
    DeleteFileA(link.c_str());
    std::string workingDirectory;
    for (char letter : dest + '\0') workingDirectory += std::string{letter, '\0'};
    EXPECT_NE(file.find(dir + "Glyphvane.Exe" + '\0'), std::string::npos) << "the target";
    EXPECT_NE(file.find(workingDirectory), std::string::npos) << "the working directory, kept as typed";
    EXPECT_EQ(file.size() > 60 ? file[60] : 0, SW_SHOWNORMAL);
}

// Yes starts the product in its directory `dir`, No does not start it; a
// lost user waits for nothing.
void ExpectStartedIn(const std::string& dir, bool started, bool lost) {
    const std::string marker = dir + "Glyphvane.ran", startedIn = started ? dir.substr(0, dir.size() - 1) : "";
    for (int i = 0; i < 300 && !lost && started && !FileExists(marker); ++i) Sleep(50);
    const Bytes markerText = ReadBytes(marker);
    EXPECT_EQ(InCapitals(std::string(markerText.begin(), markerText.end())), startedIn);
}

}  // namespace

TEST_P(InstallWalk, InstallsEverythingAndRegistersIt) {
    const InstallCase& c = GetParam();
    const std::string dest = InCapitals(Destination() + c.DestTail), dir = dest.back() == '\\' ? dest : dest + "\\";
    const std::string link = c.Group ? ProgramsFolder() + "\\" + c.Group + ".LNK" : ShortcutPath();
    CreateDirectoryA(dest.c_str(), nullptr);
    const Bytes ownLibrary = {'m', 'i', 'n', 'e'};
    WriteBytes(dir + "Glyphvane.LIB", ownLibrary);
    WriteBytes(dir + "ReadMe.Txt", {'o', 'l', 'd'});
    if (c.FolderAnswer) fs::remove(dir + "ReadMe.Txt"), fs::create_directories(dir + "ReadMe.Txt\\Mine");
    if (c.LinkBlocked) fs::create_directory(link);

    Start(SetupComplete, c.FromFloppies, "", c.WithoutChecks);
    if (HasFatalFailure()) return;
    for (int k = 2; c.DisksInDrive && k <= 3; ++k) InsertDisk(k);
    const Bytes goodPart = c.DamagedPart ? DamageFile(Drive() + "Glyphvan.002") : Bytes();
    EnterDestination(dest);
    AcceptAgreement();
    if (c.DamagedPart) {
        HWND damaged = WaitFor(Seen::DamagedDisk(2));
        WriteBytes(Drive() + "Glyphvan.002", goodPart);
        Answer(damaged, IDRETRY);
    }
    if (!c.DisksInDrive) SwapDisks();
    if (c.CancelNoUnpacking) CancelUnpacking(IDNO);
    if (HWND box = c.FolderAnswer ? WaitFor(Seen::MemberUnwritable(dir + "ReadMe.Txt")) : nullptr) {
        if (c.FolderAnswer == IDRETRY) fs::remove_all(dir + "ReadMe.Txt");
        Answer(box, c.FolderAnswer);
    }
    HWND group = WaitForQuestion(Seen::ProgramGroup);
    EXPECT_EQ(ItemText(group, 102), "Glyphvane") << "the product's name is proposed";
    if (group && c.Group) SetItemText(group, 102, c.Group);
    if (c.ProgramsIsNumber) return AnswerGroupWithProgramsAsNumber(group, c.GroupButton);
    Answer(group, c.GroupButton);
    if (c.LinkBlocked) AnswerOwned(Seen::ShortcutFailed, nullptr, IDOK), fs::remove(link);  // and it is installed
    AnswerOwned(Seen::FinalQuestion, nullptr, c.FinalAnswer);
    ExpectEndsWithZero();

    const Product& installed = DistributionFor(SetupComplete).Contents;
    EXPECT_EQ(ReadBytes(dir + "Glyphvane.Exe"), installed.Program) << "the program, cut to its length";
    for (const auto& [name, content] : installed.Members) {
        const std::string path = (name == "Glyphvane.hlp" ? HelpDirectory() : dir) + name;  // none beside the program
        const bool ignored = name == "ReadMe.Txt" && c.FolderAnswer == IDIGNORE;
        EXPECT_TRUE(name == "Glyphvane.LIB" || ignored || (FileExists(path) && ReadBytes(path) == content)) << name;
    }
    EXPECT_EQ(fs::is_directory(dir + "ReadMe.Txt\\Mine"), c.FolderAnswer == IDIGNORE) << "an ignored folder stays";
    EXPECT_FALSE(FileExists(dir + "Glyphvan._TM")) << "the joined archive is removed";
    EXPECT_EQ(ReadBytes(dir + "Glyphvane.LIB"), ownLibrary) << "an existing .LIB is kept";
    EXPECT_EQ(UninstallValue("DisplayName"), "Glyphvane") << "the product's name, not the group's";
    EXPECT_EQ(UninstallValue("UnInstallString"), c.Quote + dir + "UnInstal.Exe" + c.Quote)
        << "one backslash before the name";
    EXPECT_TRUE(FileExists(Drive() + "Glyphvan.003")) << "the disks are only read";
    if (c.GroupButton == IDOK && !c.LinkBlocked) ExpectShortcut(link, dest, dir);
    EXPECT_FALSE(FileExists(ShortcutPath()) || FileExists(ProgramsFolder() + "\\Other.LNK"))
        << "named after the group; none if cancelled";

    ExpectStartedIn(dir, c.FinalAnswer == IDYES, Lost());
}

INSTANTIATE_TEST_SUITE_P(Ways, InstallWalk, ::testing::ValuesIn(InstallCases), NameOf<InstallCase>);

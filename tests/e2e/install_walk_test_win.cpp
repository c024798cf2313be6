// Complete installations from three disks, one table row per way through.
#include "setup_walk_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

struct Shortcut {
    std::string Target, WorkingDirectory;
    int ShowCommand = 0;
};

// Loads a link file back through the shell's IShellLinkA.
bool LoadShortcut(const std::string& path, Shortcut& shortcut) {
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool loaded = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        const std::wstring wide(path.begin(), path.end());
        char text[MAX_PATH] = {}, directory[MAX_PATH] = {};
        loaded = SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
                 SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                 SUCCEEDED(link->GetWorkingDirectory(directory, MAX_PATH)) &&
                 SUCCEEDED(link->GetShowCmd(&shortcut.ShowCommand));
        shortcut.Target = text;
        shortcut.WorkingDirectory = directory;
        file->Release();
    }
    link->Release();
    return loaded;
}

struct InstallCase {
    const char* Name;
    const char* DestTail;   // appended to the destination: "" or "\\"
    const char* Group;      // typed into the group dialog; nullptr: the proposal kept
    int GroupButton;
    int FinalAnswer;
    bool DisksInDrive;      // all parts in one directory, as on a CD: no prompts
    bool CancelNoUnpacking; // a cancel answered No while unpacking
    bool FromFloppies;
};

const InstallCase InstallCases[] = {
    {"Default", "", nullptr, IDOK, IDNO, false, false, true},
    {"FinalYesNamedGroupTrailingBackslash", "\\", "Walk Group", IDOK, IDYES, false, false, false},
    {"PartsAlreadyInTheDriveEmptyGroupNameSpaceInDestination", " Dir", "", IDOK, IDNO, true, false, false},
    {"GroupCancelled", "", "Other", IDCANCEL, IDNO, false, false, false},
    {"CancelAnsweredNoWhileUnpacking", "", nullptr, IDOK, IDNO, false, true, false},
};

class InstallWalk : public SetupWalk, public ::testing::WithParamInterface<InstallCase> {};

}  // namespace

TEST_P(InstallWalk, InstallsEverythingAndRegistersIt) {
    const InstallCase& c = GetParam();
    const std::string dest = InCapitals(Destination() + c.DestTail);
    const std::string dir = dest.back() == '\\' ? dest : dest + "\\";
    const bool linked = c.GroupButton == IDOK;
    const std::string link = c.Group ? ProgramsFolder() + "\\" + c.Group + ".LNK" : ShortcutPath();
    CreateDirectoryA(dest.c_str(), nullptr);
    const Bytes ownLibrary = {'m', 'i', 'n', 'e'};
    WriteBytes(dir + "Glyphvane.LIB", ownLibrary);
    WriteBytes(dir + "ReadMe.Txt", {'o', 'l', 'd'});

    Start(SetupComplete, c.CancelNoUnpacking ? Unpacking::Long : Unpacking::Quick, c.FromFloppies);
    if (HasFatalFailure()) return;
    if (c.DisksInDrive) {
        InsertDisk(2);
        InsertDisk(3);
    }
    EnterDestination(dest);
    AcceptAgreement();
    if (!c.DisksInDrive) SwapDisks();
    if (c.CancelNoUnpacking) CancelUnpacking(IDNO);
    HWND group = WaitFor(Seen::ProgramGroup);
    ExpectQuestion(group);
    EXPECT_EQ(ItemText(group, 102), "Glyphvane") << "the product's name is proposed";
    if (group && c.Group) SetItemText(group, 102, c.Group);
    Answer(group, c.GroupButton);
    EXPECT_EQ(Find(Seen::CancelQuestion), nullptr) << "the group's cancel asks nothing";
    AnswerFinalQuestion(c.FinalAnswer);
    ExpectEndsWithZero();

    ExpectInstalled(dest, "Glyphvane.LIB");
    EXPECT_EQ(ReadBytes(dir + "Glyphvane.LIB"), ownLibrary) << "an existing .LIB is kept";
    EXPECT_EQ(UninstallValue("DisplayName"), "Glyphvane") << "the product's name, not the group's";
    const std::string uninstaller = dir + "UnInstal.Exe";
    EXPECT_EQ(UninstallValue("UnInstallString"),
              uninstaller.find(' ') == std::string::npos ? uninstaller : '"' + uninstaller + '"')
        << "one backslash before the name, in quotes when a space would cut the command";
    EXPECT_TRUE(FileExists(Drive() + "Glyphvan.003")) << "the disks are only read";
    Shortcut shortcut;
    if (linked) {
        ASSERT_TRUE(LoadShortcut(link, shortcut)) << link;
        DeleteFileA(link.c_str());
        EXPECT_EQ(InCapitals(shortcut.Target), dir + "GLYPHVANE.EXE");
        EXPECT_EQ(InCapitals(shortcut.WorkingDirectory), dest) << "kept as typed";
        EXPECT_EQ(shortcut.ShowCommand, SW_SHOWNORMAL);
    }
    EXPECT_FALSE(FileExists(ShortcutPath()) || FileExists(ProgramsFolder() + "\\Other.LNK"))
        << "named after the group; none if cancelled";

    const std::string marker = dir + "Glyphvane.ran";
    if (c.FinalAnswer == IDNO) {
        EXPECT_FALSE(FileExists(marker)) << "answered No: the product was not started";
    } else {
        for (int i = 0; i < 300 && !FileExists(marker); ++i) Sleep(50);
        ASSERT_TRUE(FileExists(marker)) << "the product did not start";
        const Bytes startedIn = ReadBytes(marker);
        EXPECT_EQ(InCapitals(std::string(startedIn.begin(), startedIn.end()) + "\\"), dir)
            << "the product starts in its directory";
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, InstallWalk, ::testing::ValuesIn(InstallCases), NameOf<InstallCase>);

TEST_F(SetupWalk, WrongDiskIsRefusedUntilTheRightOneIsInserted) {
    Start();
    EnterDestination(Destination());
    AcceptAgreement();
    HWND gathering = WaitFor(Seen::Gathering);
    Answer(WaitFor(Seen::DiskPrompt(2)), IDOK);  // without the disk
    HWND wrong = WaitFor(Seen::WrongDisk);
    ASSERT_NE(wrong, nullptr);
    EXPECT_EQ(Owner(wrong), gathering);
    Answer(wrong, IDOK);
    HWND prompt = WaitFor(Seen::DiskPrompt(2));
    ASSERT_NE(prompt, nullptr) << "the same prompt comes again";
    InsertDisk(2);
    Answer(prompt, IDCANCEL);  // the disk is there now: the copy goes on
    // No disk 3: the setup stops; the stop walk checks the clean-up.
    Answer(WaitFor(Seen::DiskPrompt(3)), IDCANCEL);
    ExpectTerminated();
}

// Complete installations from three disks, walked as a user would.
#include <chrono>
#include <iostream>
#include <thread>

#include "setup_walk_win.h"

namespace {

std::string UninstallValue(const char* name) {
    std::string value = "<missing>";
    ReadString(HKEY_LOCAL_MACHINE, UninstallKey, name, value);
    return value;
}

bool WaitForFile(const std::string& path, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (FileExists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return FileExists(path);
}

// How long each phase stayed on screen: from its dialog to the next one.
void PrintPhaseDurations(const SetupProcess& setup) {
    const auto& log = setup.Log();
    std::cout << "phase durations of a default install (dialog to next dialog):\n";
    for (std::size_t i = 0; i + 1 < log.size(); ++i) {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(log[i + 1].second - log[i].second);
        std::cout << "  " << ms.count() << " ms  " << log[i].first << "\n";
    }
}

}  // namespace

TEST_F(SetupWalk, DefaultInstallFromThreeDisksPutsEverythingInPlace) {
    const std::string dest = Destination();
    MakeDirectory(dest);
    const Bytes ownLibrary = {'m', 'i', 'n', 'e'};
    WriteBytes(dest + "\\Glyphvane.LIB", ownLibrary);
    WriteBytes(dest + "\\ReadMe.Txt", {'o', 'l', 'd'});

    Start();
    EnterDestination(dest);
    AcceptAgreement();
    EXPECT_NE(setup_->WaitFor(Seen::Gathering), nullptr);
    SwapDisks();
    EXPECT_NE(setup_->WaitFor(Seen::Unpacking, 30000), nullptr);
    AcceptGroup();
    AnswerFinalQuestion(IDNO);
    ExpectEndsWithZero();
    PrintPhaseDurations(*setup_);

    ExpectInstalled(Typed(dest), "Glyphvane.LIB");
    EXPECT_EQ(ReadBytes(dest + "\\Glyphvane.LIB"), ownLibrary) << "an existing .LIB is kept";
    EXPECT_EQ(UninstallValue("DisplayName"), "Glyphvane");
    EXPECT_EQ(UninstallValue("UnInstallString"), Typed(dest) + "\\UnInstal.Exe");

    Shortcut link;
    ASSERT_TRUE(LoadShortcut(ShortcutPath(), link)) << ShortcutPath();
    EXPECT_EQ(InCapitals(link.Target), Typed(dest) + "\\GLYPHVANE.EXE");
    EXPECT_EQ(InCapitals(link.WorkingDirectory), Typed(dest));
    EXPECT_EQ(link.ShowCommand, SW_SHOWNORMAL);

    EXPECT_FALSE(FileExists(dest + "\\Glyphvane.ran")) << "answered No: the product was not started";
    EXPECT_TRUE(FileExists(disks_->Drive() + "Glyphvan.003")) << "the disks are only read";
}

TEST_F(SetupWalk, FinalYesStartsTheProductFromItsTrailingBackslashDirectory) {
    const std::string dest = Destination() + "\\";  // new: created by the dialog
    const std::string groupLink = ProgramsFolder() + "\\Walk Group.LNK";
    DeleteFileA(groupLink.c_str());
    Start();
    EnterDestination(dest);
    EXPECT_TRUE(DirectoryExists(dest)) << "a missing one-level directory is created";
    AcceptAgreement();
    SwapDisks();
    AcceptGroup("Walk Group");
    AnswerFinalQuestion(IDYES);
    ExpectEndsWithZero();

    ExpectInstalled(Typed(dest));
    ASSERT_TRUE(WaitForFile(dest + "Glyphvane.ran", 15000)) << "the product did not start";
    const Bytes marker = ReadBytes(dest + "Glyphvane.ran");
    const std::string startedIn(marker.begin(), marker.end());
    EXPECT_EQ(InCapitals(startedIn + "\\"), Typed(dest)) << "the product starts in its directory";

    EXPECT_EQ(UninstallValue("DisplayName"), "Glyphvane") << "the entry is the product's, not the group's";
    EXPECT_EQ(UninstallValue("UnInstallString"), Typed(dest) + "UnInstal.Exe")
        << "exactly one backslash before the uninstaller's name";
    Shortcut link;
    EXPECT_FALSE(FileExists(ShortcutPath())) << "the shortcut is named after the group";
    ASSERT_TRUE(LoadShortcut(groupLink, link)) << groupLink;
    DeleteFileA(groupLink.c_str());
    EXPECT_EQ(InCapitals(link.Target), Typed(dest) + "GLYPHVANE.EXE");
    EXPECT_EQ(InCapitals(link.WorkingDirectory), Typed(dest)) << "kept with its trailing backslash";
}

TEST_F(SetupWalk, PartsAlreadyInTheDriveAreJoinedWithoutPrompts) {
    const std::string dest = Destination();
    Start();
    disks_->Insert(2);  // all parts in one directory, as on a CD
    disks_->Insert(3);
    EnterDestination(dest);
    AcceptAgreement();
    // A prompt would hold the gathering: the unpacking would never come.
    EXPECT_NE(setup_->WaitFor(Seen::Unpacking, 30000), nullptr);
    AcceptGroup();
    AnswerFinalQuestion(IDNO);
    ExpectEndsWithZero();
    ExpectInstalled(Typed(dest));
}

TEST_F(SetupWalk, CancelledProgramGroupLeavesNoShortcutButKeepsTheInstallation) {
    const std::string dest = Destination();
    Start();
    EnterDestination(dest);
    AcceptAgreement();
    SwapDisks();
    HWND group = setup_->WaitFor(Seen::ProgramGroup, 30000);
    ASSERT_NE(group, nullptr);
    setup_->Answer(group, IDCANCEL);
    EXPECT_EQ(setup_->Find(Seen::CancelQuestion), nullptr) << "the group's cancel asks nothing";
    AnswerFinalQuestion(IDNO);
    ExpectEndsWithZero();

    ExpectInstalled(Typed(dest));
    EXPECT_FALSE(FileExists(ShortcutPath()));
    EXPECT_EQ(UninstallValue("DisplayName"), "Glyphvane");
    EXPECT_EQ(UninstallValue("UnInstallString"), Typed(dest) + "\\UnInstal.Exe");
}

TEST_F(SetupWalk, WrongDiskIsRefusedUntilTheRightOneIsInserted) {
    const std::string dest = Destination();
    Start();
    EnterDestination(dest);
    AcceptAgreement();
    HWND gathering = setup_->WaitFor(Seen::Gathering);
    HWND prompt = setup_->WaitFor(Seen::DiskPrompt(2));
    ASSERT_NE(prompt, nullptr);
    setup_->Answer(prompt, IDOK);  // without the disk

    HWND wrong = setup_->WaitFor(Seen::WrongDisk);
    ASSERT_NE(wrong, nullptr);
    EXPECT_EQ(GetWindow(wrong, GW_OWNER), gathering);
    setup_->Answer(wrong, IDOK);

    prompt = setup_->WaitFor(Seen::DiskPrompt(2));
    ASSERT_NE(prompt, nullptr) << "the same prompt comes again";
    disks_->Insert(2);
    setup_->Answer(prompt, IDCANCEL);  // the disk is there now: the copy goes on

    prompt = setup_->WaitFor(Seen::DiskPrompt(3));
    ASSERT_NE(prompt, nullptr);
    setup_->Answer(prompt, IDCANCEL);  // no disk 3: the setup stops
    ExpectTerminated();

    EXPECT_FALSE(FileExists(dest + "\\Glyphvan._TM")) << "the partial archive is deleted";
    EXPECT_FALSE(FileExists(dest + "\\Glyphvane.Exe"));
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
    EXPECT_TRUE(DirectoryExists(dest)) << "the created directory stays";
}

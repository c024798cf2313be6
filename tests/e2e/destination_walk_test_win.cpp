// The destination dialog: the answers it refuses by staying open, and the
// directory it creates; and a build without it, which ends at once. The
// builds without a later dialog are the stop walk's.
#include "setup_walk_win.h"

using namespace harness;

TEST_F(SetupWalk, RefusedDestinationsKeepTheDialogOpenAndANewDirectoryIsCreated) {
    WriteBytes(root_ / "AFile", {'x'});
    // Refused: a wildcard destination (the form's other rules are the unit
    // test's), a missing directory two levels deep (only one level is
    // created) and a file, not a directory.
    const std::string refused[] = {"", "1:\\GV", root_ / "*.*", root_ / "Missing\\Deeper", root_ / "AFile"};
    Start();
    HWND dialog = WaitFor(Seen::Destination);
    ASSERT_NE(dialog, nullptr);
    for (const std::string& text : refused) {
        SetItemText(dialog, 104, text);
        // Sent, so that it returns once the dialog has handled the press.
        SendMessageTimeoutA(dialog, WM_COMMAND, IDOK, 0, SMTO_NORMAL, 5000, nullptr);
        ASSERT_TRUE(IsWindowVisible(dialog)) << "accepted \"" << text << "\"";
        EXPECT_EQ(ItemText(dialog, 104), InCapitals(text)) << "the refused text stays as typed";
    }
    EXPECT_FALSE(fs::is_directory(root_ / "Missing"));

    const std::string fresh = root_ / "Fresh";
    SetItemText(dialog, 104, fresh);
    Answer(dialog, IDOK);
    CancelWith(WaitFor(Seen::Agreement), IDYES);
    ExpectTerminated();
    EXPECT_TRUE(fs::is_directory(fresh)) << "a missing one-level directory is created and stays after a cancel";
    EXPECT_TRUE(ListDirectory(fresh).empty());
}

TEST_F(SetupWalk, WithoutTheDestinationTemplateTheSetupEndsAtOnceWithoutADialog) {
    Start("setup_no_main.exe");
    ExpectEndsWithZero();  // a dialog would hold it
    EXPECT_EQ(ListDirectory(Drive()).size(), 2u) << "nothing is written beside setup.exe";
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
}

// The destination dialog: the default it proposes from the registry, the
// answers it refuses by staying open, and the directory it creates.
#include "setup_walk_win.h"

namespace {

struct DefaultCase {
    const char* Name;
    const char* RegDir;           // nullptr: no value, or a number with Number
    bool Number;
    const char* ProgramFilesDir;  // nullptr: no value
    const char* Shown;
};

const DefaultCase DefaultCases[] = {
    {"PreferredDirectoryAsStored", "d:\\apps\\gv", false, "C:\\Program Files", "D:\\APPS\\GV"},
    {"EmptyPreferenceFallsBack", "", false, "E:\\", "E:\\GLYPHVANE"},
    {"NumberPreferenceFallsBack", nullptr, true, "E:\\", "E:\\GLYPHVANE"},
    {"ProgramFilesDirectoryOnly", nullptr, false, "C:\\Program Files", "C:\\PROGRAM FILES\\GLYPHVANE"},
    {"NeitherReadable", nullptr, false, nullptr, "C:\\PROGRAM FILES\\GLYPHVANE"},
};

class DefaultDestination : public SetupWalk, public ::testing::WithParamInterface<DefaultCase> {};

}  // namespace

TEST_P(DefaultDestination, FieldShowsTheDefaultInCapitals) {
    const DefaultCase& c = GetParam();
    RegistryValue regDir(HKEY_CURRENT_USER, "Software\\Tallowmere\\Glyphvane", "RegDir");
    RegistryValue programFiles(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    if (c.RegDir) regDir.Write(c.RegDir);
    if (c.Number) regDir.WriteNumber(7);
    if (c.ProgramFilesDir) programFiles.Write(c.ProgramFilesDir);
    else programFiles.Remove();

    Start();
    HWND dialog = WaitFor(Seen::Destination);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, 104), c.Shown);
    EXPECT_EQ(Owner(dialog), Backdrop());
    CancelWith(dialog, IDYES);
    ExpectTerminated();
}

INSTANTIATE_TEST_SUITE_P(Registry, DefaultDestination, ::testing::ValuesIn(DefaultCases), NameOf<DefaultCase>);

TEST_F(SetupWalk, RefusedDestinationsKeepTheDialogOpenAndANewDirectoryIsCreated) {
    WriteBytes(root_ / "AFile", {'x'});
    const std::string refused[] = {
        "", "1:\\GV", root_ / "*.*",  // the form's other rules are the unit test's
        root_ / "Missing\\Deeper",  // only one level is created
        root_ / "AFile",            // a file, not a directory
    };
    Start();
    HWND dialog = WaitFor(Seen::Destination);
    ASSERT_NE(dialog, nullptr);
    for (const std::string& text : refused) {
        SetItemText(dialog, 104, text);
        Press(dialog, IDOK, true);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "accepted \"" << text << "\"";
        EXPECT_EQ(ItemText(dialog, 104), InCapitals(text)) << "the refused text stays as typed";
        ASSERT_EQ(Find(Seen::Agreement), nullptr) << "went on after \"" << text << "\"";
    }
    EXPECT_FALSE(DirectoryExists(root_ / "Missing"));

    const std::string fresh = root_ / "Fresh";
    SetItemText(dialog, 104, fresh);
    Answer(dialog, IDOK);
    HWND agreement = WaitFor(Seen::Agreement);
    EXPECT_TRUE(DirectoryExists(fresh)) << "a missing one-level directory is created";
    CancelWith(agreement, IDYES);
    ExpectTerminated();
    EXPECT_TRUE(DirectoryExists(fresh)) << "a created directory stays after a cancel";
    EXPECT_TRUE(ListDirectory(fresh).empty());
}

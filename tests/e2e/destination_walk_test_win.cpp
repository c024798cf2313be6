// The destination dialog: the default it proposes from the registry, the
// answers it refuses by staying open, and the directory it creates.
#include "setup_walk_win.h"

namespace {

constexpr const char* CurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

struct DefaultCase {
    const char* Name;
    const char* RegDir;           // nullptr: no value
    const char* ProgramFilesDir;  // nullptr: no value
    const char* Shown;
};

const DefaultCase DefaultCases[] = {
    {"PreferredDirectoryAsStored", "d:\\apps\\gv", "C:\\Program Files", "D:\\APPS\\GV"},
    {"EmptyPreferenceFallsBack", "", "E:\\", "E:\\GLYPHVANE"},
    {"ProgramFilesDirectoryOnly", nullptr, "C:\\Program Files", "C:\\PROGRAM FILES\\GLYPHVANE"},
    {"NeitherReadable", nullptr, nullptr, "C:\\PROGRAM FILES\\GLYPHVANE"},
};

// Failures name the row, not its bytes.
void PrintTo(const DefaultCase& row, std::ostream* out) { *out << row.Name; }

class DefaultDestination : public SetupWalk, public ::testing::WithParamInterface<DefaultCase> {};

}  // namespace

TEST_P(DefaultDestination, FieldShowsTheDefaultInCapitals) {
    const DefaultCase& c = GetParam();
    RegistryValue regDir(HKEY_CURRENT_USER, "Software\\Tallowmere\\Glyphvane", "RegDir");
    RegistryValue programFiles(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir");
    if (c.RegDir) regDir.Write(c.RegDir);
    if (c.ProgramFilesDir) programFiles.Write(c.ProgramFilesDir);
    else programFiles.Remove();

    Start();
    HWND dialog = setup_->WaitFor(Seen::Destination);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, 104), c.Shown);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), setup_->Backdrop());
    CancelWith(dialog, IDYES);
    ExpectTerminated();
}

INSTANTIATE_TEST_SUITE_P(Registry, DefaultDestination, ::testing::ValuesIn(DefaultCases),
                         [](const ::testing::TestParamInfo<DefaultCase>& row) {
                             return std::string(row.param.Name);
                         });

TEST_F(SetupWalk, RefusedDestinationsKeepTheDialogOpenAndANewDirectoryIsCreated) {
    const std::string root = Root();
    WriteBytes(root + "AFile", {'x'});
    const std::string refused[] = {
        "",
        "C",
        "\\\\SERVER\\SHARE\\GV",
        "1:\\GV",
        root + "Missing\\Deeper",  // only one level is created
        root + "AFile",            // a file, not a directory
        root + "Gv*",              // wildcards name no directory
        root + "Gv?",
        root + "*.*",
    };
    Start();
    HWND dialog = setup_->WaitFor(Seen::Destination);
    ASSERT_NE(dialog, nullptr);
    for (const std::string& text : refused) {
        SetItemText(dialog, 104, text);
        PressAndWaitHandled(dialog, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "accepted \"" << text << "\"";
        EXPECT_EQ(ItemText(dialog, 104), Typed(text)) << "the refused text stays as typed";
        ASSERT_EQ(setup_->Find(Seen::Agreement), nullptr) << "went on after \"" << text << "\"";
    }
    EXPECT_FALSE(DirectoryExists(root + "Missing"));

    const std::string fresh = root + "Fresh";
    SetItemText(dialog, 104, fresh);
    setup_->Answer(dialog, IDOK);
    HWND agreement = setup_->WaitFor(Seen::Agreement);
    EXPECT_TRUE(DirectoryExists(fresh));
    CancelWith(agreement, IDYES);
    ExpectTerminated();
    EXPECT_TRUE(DirectoryExists(fresh)) << "a created directory stays after a cancel";
    EXPECT_TRUE(ListDirectory(fresh).empty());
}

// The destination dialog: the default it proposes from the registry, the
// answers it refuses by staying open, and the directory it creates.
#include "setup_walk_win.h"

#include <filesystem>

namespace fs = std::filesystem;

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
    {"NeitherReadable", nullptr, false, nullptr, "C:\\PROGRAM FILES\\GLYPHVANE"},
};

constexpr const char* PreferenceKey = "Software\\Tallowmere\\Glyphvane";
constexpr const char* WindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";

void SetString(HKEY root, const char* key, const char* name, const std::string& text) {
    EXPECT_EQ(RegSetKeyValueA(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1)), ERROR_SUCCESS);
}

// Each row leaves no preference and Program Files as it found them.
class DefaultDestination : public SetupWalk, public ::testing::WithParamInterface<DefaultCase> {
protected:
    void TearDown() override {
        SetupWalk::TearDown();
        RegDeleteKeyValueA(HKEY_CURRENT_USER, PreferenceKey, "RegDir");
        SetString(HKEY_LOCAL_MACHINE, WindowsKey, "ProgramFilesDir", programFiles_);
    }
    const std::string programFiles_ = RegistryString(HKEY_LOCAL_MACHINE, WindowsKey, "ProgramFilesDir");
};

}  // namespace

TEST_P(DefaultDestination, FieldShowsTheDefaultInCapitals) {
    const DefaultCase& c = GetParam();
    const DWORD number = 7;
    if (c.RegDir) SetString(HKEY_CURRENT_USER, PreferenceKey, "RegDir", c.RegDir);
    if (c.Number) RegSetKeyValueA(HKEY_CURRENT_USER, PreferenceKey, "RegDir", REG_DWORD, &number, sizeof number);
    if (c.ProgramFilesDir) SetString(HKEY_LOCAL_MACHINE, WindowsKey, "ProgramFilesDir", c.ProgramFilesDir);
    else RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, WindowsKey, "ProgramFilesDir");

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
    EXPECT_FALSE(fs::is_directory(root_ / "Missing"));

    const std::string fresh = root_ / "Fresh";
    SetItemText(dialog, 104, fresh);
    Answer(dialog, IDOK);
    HWND agreement = WaitFor(Seen::Agreement);
    EXPECT_TRUE(fs::is_directory(fresh)) << "a missing one-level directory is created";
    CancelWith(agreement, IDYES);
    ExpectTerminated();
    EXPECT_TRUE(fs::is_directory(fresh)) << "a created directory stays after a cancel";
    EXPECT_TRUE(ListDirectory(fresh).empty());
}

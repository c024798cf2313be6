// The end-to-end walks: a setup build run from its own set of disks, its
// dialogs answered as a user would, and what the run left on the machine.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "harness_win.h"
#include "ui/agreement.h"

using namespace harness;
namespace fs = std::filesystem;

// Setup builds next to the test executable: the complete one (in the i686
// build the shipping setup.exe itself), and "setup_no_main.exe" and the
// like, test builds each without one dialog template.
constexpr const char* SetupComplete = "setup_e2e.exe";
constexpr const char* SetupWithoutLicense = "setup_no_license.exe";
std::string OwnDirectory();  // where they lie, with a backslash

// The names in a directory; a string value of the registry, or "<missing>".
inline std::set<std::string> ListDirectory(const std::string& path) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(path, error)) names.insert(entry.path().filename().string());
    return names;
}
inline std::string InCapitals(std::string text) {
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}
inline std::string RegistryString(HKEY root, const std::string& key, const std::string& name) {
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                     data, &size) != ERROR_SUCCESS)
        return "<missing>";
    return data;
}

// Names a table row's test after the row.
template <typename Row>
std::string NameOf(const ::testing::TestParamInfo<Row>& row) {
    return row.param.Name;
}

// A value of the product's uninstall entry, or "<missing>".
constexpr const char* UninstallKey = "Software\\microsoft\\windows\\currentversion\\uninstall\\Glyphvane";
inline std::string UninstallValue(const char* name) { return RegistryString(HKEY_LOCAL_MACHINE, UninstallKey, name); }
inline std::string ProgramsFolder() {
    return RegistryString(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                          "Programs");
}
inline std::string HelpDirectory() { return std::string(std::getenv("windir")) + "\\Help\\"; }

// A setup build's distribution, packed once per run for three disks; with a
// `firstMember`, one of that name heads the product's members.
struct PackedDistribution {
    std::string Directory;  // DISK1, DISK2 ...
    Product Contents;
};
const PackedDistribution& DistributionFor(const std::string& build, const std::string& firstMember = "");

// A fresh directory per test holding the disks ("DISK1" ...) and the
// destination; the uninstall entry, help file and shortcut are removed
// around every test.
class SetupWalk : public ::testing::Test, public User {
protected:
    void SetUp() override {
        TearDown();
        ASSERT_NE(ProgramsFolder(), "<missing>") << "the Wine prefix names no Programs folder";
    }

    void TearDown() override {
        // A fixture runs one test: its handles, none before Start, are closed once.
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            ADD_FAILURE() << "setup still running at the end; its windows:\n" << DescribeWindows();
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 10000);
        }
        CloseHandle(process_);
        CloseHandle(thread_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
        DeleteFileA(ShortcutPath().c_str());
        DeleteFileA((HelpDirectory() + "Glyphvane.hlp").c_str());
    }

    // From a folder that keeps every disk's files as they are inserted (as a
    // CD would), or from floppy drive A:, whose whole content the next disk
    // replaces.
    void Start(const char* setupBuild = SetupComplete, bool floppy = false, const std::string& firstMember = "") {
        const PackedDistribution& packed = DistributionFor(setupBuild, firstMember);
        for (int k = 1; k <= 3; ++k)  // the disks are this test's to change
            fs::copy(packed.Directory + "DISK" + std::to_string(k), Disk(k));
        floppy_ = floppy;
        if (floppy_) {
            EXPECT_EQ(GetDriveTypeA("A:\\"), static_cast<UINT>(DRIVE_REMOVABLE)) << "A: is a floppy drive";
            InsertDisk(1);
        }
        std::string commandLine = "\"" + Drive() + "setup.exe\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION setup = {};
        ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, Drive().c_str(),
                                   &startup, &setup))
            << "cannot start " << commandLine << ": error " << GetLastError();
        thread_ = setup.hThread;
        processId_ = setup.dwProcessId;
        process_ = setup.hProcess;
    }

    // A folder drive gains the disk's part; drive A: holds exactly the disk.
    void InsertDisk(int disk) {
        if (!floppy_) {
            EXPECT_TRUE(MoveFileA((Disk(disk) + PartName(disk)).c_str(), (Drive() + PartName(disk)).c_str()))
                << "disk " << disk << ": error " << GetLastError();
            return;
        }
        // Relinks drive A: in the Wine prefix, as swapping a floppy does; the
        // link, relative, goes through the prefix's own link of the disk's
        // drive. Wine does not tell when a Unix program is done, and looks at
        // its drives again only now and then: the drive tells.
        const char* prefix = std::getenv("WINEPREFIX");
        ASSERT_NE(prefix, nullptr) << "drive A: is Wine's: run under a prefix of scripts/lib/wine.sh";
        std::string target = fs::path(Disk(disk)).generic_string();
        target[0] = static_cast<char>(tolower(target[0]));
        const std::string ln = "Z:\\bin\\ln -sfn \"" + target + "\" \"" + prefix + "/dosdevices/a:\"";
        EXPECT_GT(WinExec(ln.c_str(), SW_HIDE), 31u) << ln;
        for (int i = 0; i < 200 && ListDirectory("A:\\") != ListDirectory(Disk(disk)); ++i) Sleep(25);
        EXPECT_EQ(ListDirectory("A:\\"), ListDirectory(Disk(disk))) << "drive A: holds exactly disk " << disk;
    }

    HWND Backdrop() const { return FindWindowA("TMSetUp", nullptr); }  // the full-screen owner of the phases

    // Cancels the unpacking the moment it shows; the question gets `answer`.
    // The setup runs in short slices until then and stays suspended while
    // the cancel is posted: an unpacking that lasts a moment cannot end
    // before the user acts, however busy the machine is.
    void CancelUnpacking(int answer) {
        HWND gathering = Find(Seen::Gathering), unpacking = nullptr;
        for (int slice = 0; slice < 30000 && !unpacking && thread_; ++slice) {
            ResumeThread(thread_);
            Sleep(1);
            SuspendThread(thread_);
            for (HWND window : VisibleWindows())  // by caption: a held setup answers no message
                if (window != gathering && Caption(window) == Seen::Unpacking.Caption) unpacking = window;
        }
        ExpectLaidOut(unpacking);
        if (unpacking) Press(unpacking, IDCANCEL);
        ResumeThread(thread_);
        EXPECT_EQ(ItemText(unpacking, 0xFFFF), Seen::Unpacking.Text);
        AnswerCancelQuestion(answer);
    }

    // Cancel on `dialog`; the cancel question, which has no owner, gets `answer`.
    void CancelWith(HWND dialog, int answer) {
        if (!dialog) return Lose("no dialog to cancel");
        Press(dialog, IDCANCEL);
        AnswerCancelQuestion(answer);
    }
    void AnswerCancelQuestion(int answer) {
        HWND question = WaitFor(Seen::CancelQuestion);
        EXPECT_TRUE(!question || !Owner(question)) << "the cancel question has no owner";
        Answer(question, answer);
    }

    // The visible controls cover each other only where the layout means them
    // to: the agreement's field (id 0) lies over its heading, 102. Read
    // without a message, so a held setup is seen too.
    void ExpectLaidOut(HWND dialog) {
        std::vector<std::pair<int, RECT>> controls;
        RECT rect{};
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (IsWindowVisible(child) && GetWindowRect(child, &rect)) controls.push_back({GetDlgCtrlID(child), rect});
        std::set<std::pair<int, int>> overlaps, meant;
        if (Caption(dialog) == Seen::Agreement.Caption) meant = {{0, 102}};
        for (const auto& [a, first] : controls)
            for (const auto& [b, second] : controls)
                if (&first < &second && IntersectRect(&rect, &first, &second)) overlaps.insert(std::minmax(a, b));
        EXPECT_EQ(overlaps, meant) << "controls that cover each other in \"" << Caption(dialog) << "\"";
    }

    // The user's steps. A question is laid out and centred, and OK is its
    // default push button (of that style, not the dialog's fallback id).
    void ExpectQuestion(HWND dialog) {
        if (!dialog) return;
        ExpectLaidOut(dialog);
        RECT frame{};
        GetWindowRect(dialog, &frame);
        EXPECT_EQ(frame.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2) << "centred";
        EXPECT_EQ(frame.top, GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2) << "centred";
        DWORD_PTR defaultId = 0, code = 0;
        SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_NORMAL, 5000, &defaultId);
        SendMessageTimeoutA(GetDlgItem(dialog, LOWORD(defaultId)), WM_GETDLGCODE, 0, 0, SMTO_NORMAL, 5000, &code);
        EXPECT_TRUE(defaultId == MAKELRESULT(IDOK, DC_HASDEFID) && (code & DLGC_DEFPUSHBUTTON)) << "Enter presses OK";
    }

    void EnterDestination(const std::string& path) {
        HWND dialog = WaitFor(Seen::Destination);
        if (!dialog) return;
        ExpectQuestion(dialog);
        SetItemText(dialog, 104, path);  // the destination walk sees it in capitals
        Answer(dialog, IDOK);
    }

    void AcceptAgreement() {
        HWND dialog = WaitFor(Seen::Agreement);
        if (!dialog) return;
        ExpectQuestion(dialog);
        // The text sits in a read-only field of its own, id 0, that scrolls down.
        HWND field = GetDlgItem(dialog, 0);
        const LONG style = GetWindowLongA(field, GWL_STYLE), wanted = ES_READONLY | ES_MULTILINE | WS_VSCROLL;
        EXPECT_EQ(style & wanted, wanted);
        EXPECT_EQ(ItemText(dialog, 0), AgreementText);
        Answer(dialog, IDOK);
    }

    // Answers the prompts for disks 2 and 3, inserting each; for disk 2 OK
    // first, before the disk is in.
    void SwapDisks() {
        HWND gathering = WaitFor(Seen::Gathering);
        ExpectLaidOut(gathering);
        for (int k = 2; k <= 3; ++k) {
            HWND prompt = WaitFor(Seen::DiskPrompt(k));
            EXPECT_EQ(Owner(prompt), gathering) << "the prompt belongs to the gathering dialog";
            if (k == 2) {  // OK without the disk is refused, and the same prompt comes again
                Answer(prompt, IDOK);
                HWND wrong = WaitFor(Seen::WrongDisk);
                EXPECT_EQ(Owner(wrong), gathering);
                Answer(wrong, IDOK);
                prompt = WaitFor(Seen::DiskPrompt(2));
            }
            InsertDisk(k);
            Answer(prompt, k == 2 ? IDCANCEL : IDOK);  // with the disk in, Cancel goes on too
        }
    }

    // The terminated message, owned by the backdrop; OK ends the setup with 0.
    void ExpectTerminated() {
        HWND message = WaitFor(Seen::Terminated);
        if (!message) return;
        EXPECT_NE(Backdrop(), nullptr);
        EXPECT_EQ(Owner(message), Backdrop()) << "the terminated message belongs to the background window";
        Answer(message, IDOK);
        ExpectEndsWithZero();
    }

    void ExpectEndsWithZero() {
        DWORD code = STILL_ACTIVE;
        if (lost_ || !process_) return;
        EXPECT_EQ(WaitForSingleObject(process_, 20000), WAIT_OBJECT_0) << "still running:\n" << DescribeWindows();
        EXPECT_TRUE(GetExitCodeProcess(process_, &code) && code == 0) << "exit code " << code;
    }

    std::string Drive() const { return floppy_ ? "A:\\" : Disk(1); }
    std::string Disk(int k) const { return root_ / ("DISK" + std::to_string(k)) + "\\"; }
    std::string Destination() const { return root_ / "Dest"; }
    std::string ShortcutPath() const { return ProgramsFolder() + "\\Glyphvane.LNK"; }

    TempDir root_;

private:
    bool floppy_ = false;
    HANDLE thread_ = nullptr;  // the setup's first thread, its windows
};

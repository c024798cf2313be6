// Harness of the end-to-end walks: runs a setup build from its own set of
// disks, finds its dialogs by caption within its process, presses their
// buttons, and reads back what the run left on the machine.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

std::string InCapitals(std::string text);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
std::vector<std::string> ListDirectory(const std::string& path);

std::string WindowClass(HWND window);
inline HWND Owner(HWND window) { return GetWindow(window, GW_OWNER); }
// A control's text; message boxes keep theirs in 0xFFFF.
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
// A button press through WM_COMMAND: posted, so that a modal loop it starts
// does not block the test, or sent when `handled` (for presses that open
// no window) so that it returns once the dialog has handled it.
void Press(HWND dialog, int id, bool handled = false);

// A registry string value, put back as it was on destruction.
class RegistryValue {
public:
    RegistryValue(HKEY root, std::string key, std::string name);
    ~RegistryValue();
    void Write(const std::string& value);
    void Remove();

private:
    HKEY root_;
    std::string key_, name_;
    bool had_ = false;
    DWORD type_ = REG_SZ;
    std::vector<BYTE> data_;
};
// A value of the product's uninstall entry, or "<missing>".
std::string UninstallValue(const char* name);
std::string ProgramsFolder();
std::string HelpDirectory();  // with a trailing backslash

struct Shortcut {
    std::string Target, WorkingDirectory;
    int ShowCommand = 0;
};
// Loads a link file back through the shell's IShellLinkA.
bool LoadShortcut(const std::string& path, Shortcut& shortcut);

// A top-level dialog by its exact caption and, unless empty, exact text.
struct DialogMatch {
    std::string Caption, Text;
};

// What the user sees, spelled out here rather than taken from the sources.
namespace Seen {
inline const DialogMatch Destination{"Destination Directory", ""};
inline const DialogMatch Agreement{"License Agreement", ""};
inline const DialogMatch Gathering{"Please Stand By...", "Installing the Glyphvane files."};
inline const DialogMatch Unpacking{"Please Stand By...", "Uncompressing the Glyphvane files:"};
inline const DialogMatch ProgramGroup{"Program Group", ""};
inline const DialogMatch CancelQuestion{
    "Exit Glyphvane", "Do you really want to terminate the Setup program?"};
inline const DialogMatch Terminated{"Glyphvane", "The Installation process has been terminated."};
inline const DialogMatch WrongDisk{
    "", "This is not the appropriate disk.\r\nPlease insert the correct disk and Press Enter"};
inline const DialogMatch FinalQuestion{
    "Glyphvane", "Glyphvane has been successfully installed.\r\n\r\nDo you wish to run Glyphvane?"};
inline DialogMatch DiskPrompt(int disk) {
    return {"Glyphvane", "Please Insert Disk number " + std::to_string(disk)};
}
}  // namespace Seen

struct ProductFile {
    std::string Name;
    Bytes Content;
};
// The packed product: the program and its members, in table order.
struct Product {
    Bytes Program;
    std::vector<ProductFile> Members;
};

// Setup builds next to the test executable.
constexpr const char* SetupComplete = "setup_e2e.exe";
constexpr const char* SetupWithoutMain = "setup_no_main.exe";
constexpr const char* SetupWithoutLicense = "setup_no_license.exe";
constexpr const char* SetupWithoutProgress = "setup_no_progress.exe";
constexpr const char* SetupWithoutGroup = "setup_no_group.exe";

// Long: the unpacking lasts about a second, so a cancel reaches it for sure.
enum class Unpacking { Quick, Long };

// A fresh directory per test holding disk 1 ("DISK"), the later disks
// ("SHELF") and the destination; registry, help file and shortcut are put
// back around every test.
class SetupWalk : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void Start(const char* setupBuild = SetupComplete, Unpacking unpacking = Unpacking::Quick);
    // Polls until `done` or timeout; stops early once the setup has ended.
    bool Until(const std::function<bool()>& done, DWORD timeoutMs);
    // Waits for a matching dialog of the setup; on timeout records a failure
    // with the visible windows. Once the walk is lost, later waits give up.
    HWND WaitFor(const DialogMatch& match, DWORD timeoutMs = 30000);
    HWND Find(const DialogMatch& match) const;
    // Presses `id` and waits until the dialog is gone.
    void Answer(HWND dialog, int id);
    std::vector<HWND> VisibleWindows() const;
    std::string DescribeWindows() const;
    HWND Backdrop() const;  // the full-screen window owning the phase dialogs
    void InsertDisk(int disk);  // its part moves from the shelf into the drive

    // The user's steps.
    void EnterDestination(const std::string& path);
    void AcceptAgreement();
    void SwapDisks();  // answers the prompts for disks 2 and 3, inserting each
    void AcceptGroup(const std::string& name = "");
    void AnswerFinalQuestion(int answer);
    void CancelWith(HWND dialog, int answer);
    // The terminated message, owned by the backdrop; OK ends the setup with 0.
    void ExpectTerminated();
    void ExpectEndsWithZero();
    // Program and members in place byte for byte (help file in the help
    // directory) except `keptMember`; the joined archive gone.
    void ExpectInstalled(const std::string& dest, const std::string& keptMember = "") const;
    void ExpectNothingRegistered() const;

    std::string Drive() const { return root_ + "DISK\\"; }
    std::string Destination() const { return root_ + "Dest"; }
    std::string ShortcutPath() const { return ProgramsFolder() + "\\Glyphvane.LNK"; }
    std::string HelpFile() const { return HelpDirectory() + "Glyphvane.hlp"; }
    const Product& Contents() const { return *contents_; }

    std::string root_;
    // When each awaited dialog appeared, in the order of the walk.
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> log_;

private:
    const Product* contents_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    bool lost_ = false;
    RegistryValue* regDir_ = nullptr;
};

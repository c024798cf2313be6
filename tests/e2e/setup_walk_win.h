// The end-to-end walks: a setup build run from its own set of disks, its
// dialogs answered as a user would, and what the run left on the machine.
#pragma once

#include <cstdlib>

#include "harness_win.h"

using namespace harness;

// Setup builds next to the test executable: the complete one, and
// "setup_no_main.exe" and the like, each without one dialog template.
constexpr const char* SetupComplete = "setup_e2e.exe";
constexpr const char* SetupWithoutLicense = "setup_no_license.exe";

// Names a table row's test after the row.
template <typename Row>
std::string NameOf(const ::testing::TestParamInfo<Row>& row) { return row.param.Name; }

// A value of the product's uninstall entry, or "<missing>".
constexpr const char* UninstallKey = "Software\\microsoft\\windows\\currentversion\\uninstall\\Glyphvane";
inline std::string UninstallValue(const char* name) { return RegistryString(HKEY_LOCAL_MACHINE, UninstallKey, name); }
inline std::string ProgramsFolder() {
    return RegistryString(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                          "Programs");
}
inline std::string HelpDirectory() { return std::string(std::getenv("windir")) + "\\Help\\"; }

// A fresh directory per test holding the disks ("DISK1" ...) and the
// destination; the uninstall entry, help file and shortcut are removed
// around every test.
class SetupWalk : public ::testing::Test, public User {
protected:
    void SetUp() override;
    void TearDown() override;

    // From a folder that keeps every disk's files as they are inserted (as a
    // CD would), or from floppy drive A:, whose whole content the next disk
    // replaces.
    void Start(const char* setupBuild = SetupComplete, bool floppy = false);
    // A folder drive gains the disk's part; drive A: holds exactly the disk.
    void InsertDisk(int disk);
    HWND Backdrop() const;  // the full-screen window owning the phase dialogs
    // Cancels the unpacking the moment it shows; the question gets `answer`.
    // The setup runs in short slices until then and stays suspended while
    // the cancel is posted: an unpacking that lasts a moment cannot end
    // before the user acts, however busy the machine is.
    void CancelUnpacking(int answer);

    // The user's steps.
    void ExpectQuestion(HWND dialog);  // centred, OK its default button: Enter accepts
    void EnterDestination(const std::string& path);
    void AcceptAgreement();
    // Answers the prompts for disks 2 and 3, inserting each; for disk 2 OK
    // first, before the disk is in.
    void SwapDisks();
    // The terminated message, owned by the backdrop; OK ends the setup with 0.
    void ExpectTerminated();
    void ExpectEndsWithZero();

    std::string Drive() const { return floppy_ ? "A:\\" : Disk(1); }
    std::string Disk(int k) const { return root_ / ("DISK" + std::to_string(k)) + "\\"; }
    std::string Destination() const { return root_ / "Dest"; }
    std::string ShortcutPath() const { return ProgramsFolder() + "\\Glyphvane.LNK"; }
    const Product& Contents() const { return *contents_; }

    TempDir root_;

private:
    bool floppy_ = false;
    HANDLE thread_ = nullptr;  // the setup's first thread, its windows
    const Product* contents_ = nullptr;
};

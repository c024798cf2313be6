// The end-to-end walks: a setup build run from its own set of disks, its
// dialogs answered as a user would, and what the run left on the machine.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "harness_win.h"
#include "setup/stamp.h"
#include "ui/agreement.h"

namespace fs = std::filesystem;

// Setup builds next to the test executable: the complete one (in the i686
// build the shipping setup.exe itself), and "setup_no_main.exe" and the
// like, test builds each without one dialog template.
constexpr const char* SetupComplete = "setup_e2e.exe";
constexpr const char* SetupWithoutLicense = "setup_no_license.exe";
std::string OwnDirectory();  // where they lie, with a backslash

// The names in a directory; a string value of the registry (of the types in
// `flags`, in the view they name), or "<missing>".
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
inline std::string RegistryString(HKEY root, const std::string& key, const std::string& name,
                                  DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND) {
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    if (RegGetValueA(root, key.c_str(), name.c_str(), flags, nullptr, data, &size) != ERROR_SUCCESS) return "<missing>";
    return data;
}

// Flips a bit of the file's middle byte, as a damaged disk gives it; the bytes it held.
inline harness::Bytes DamageFile(const std::string& path) {
    harness::Bytes bytes = harness::ReadBytes(path), good = bytes;
    bytes.at(bytes.size() / 2) ^= 0x10;
    harness::WriteBytes(path, bytes);
    return good;
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
    harness::Product Contents;
};
const PackedDistribution& DistributionFor(const std::string& build, const std::string& firstMember = "");

// A fresh directory per test holding the disks ("DISK1" ...) and the
// destination; the uninstall entry, help file and shortcut are removed
// around every test.
class SetupWalk : public ::testing::Test, public harness::User {
protected:
    void SetUp() override;
    void TearDown() override;

    // From a folder that keeps every disk's files as they are inserted (as a
    // CD would), or from floppy drive A:, whose whole content the next disk
    // replaces; `alter` changes the disks first.
    // `withoutChecks`: its stamp as a packer that writes only the two counts leaves it.
    void Start(const char* setupBuild = SetupComplete, bool floppy = false, const std::string& firstMember = "",
               bool withoutChecks = false, const std::function<void()>& alter = nullptr);
    // A folder drive gains the disk's part; drive A: holds exactly the disk.
    void InsertDisk(int disk);
    HWND Backdrop() const { return FindWindowA("TMSetUp", nullptr); }  // the full-screen owner of the phases

    // Cancels the unpacking the moment it shows; the question gets `answer`.
    void CancelUnpacking(int answer);
    // Cancel on `dialog`; the cancel question, which has no owner, gets `answer`.
    void CancelWith(HWND dialog, int answer);
    // Waits for `match`, which `owner` owns (nullptr: none), and answers it.
    void AnswerOwned(const harness::DialogMatch& match, HWND owner, int answer);
    // The visible controls cover each other only where the layout means them to.
    void ExpectLaidOut(HWND dialog);
    // The user's steps. A question, waited for, is laid out and centred, and
    // OK is its default push button.
    HWND WaitForQuestion(const harness::DialogMatch& match);
    void EnterDestination(const std::string& path);
    void AcceptAgreement();
    // Answers the prompts for disks 2 and 3, inserting each; for disk 2 OK
    // first, before the disk is in.
    void SwapDisks();
    // The terminated message, owned by the backdrop; OK ends the setup with 0.
    void ExpectTerminated();
    void ExpectEndsWithZero() { ExpectEndsWith(0); }
    void ExpectEndsWith(DWORD exitCode);

    std::string Drive() const { return floppy_ ? "A:\\" : Disk(1); }
    std::string Disk(int k) const { return root_ / ("DISK" + std::to_string(k)) + "\\"; }
    std::string Destination() const { return root_ / "Dest"; }
    std::string ShortcutPath() const { return ProgramsFolder() + "\\Glyphvane.LNK"; }

    harness::TempDir root_;

private:
    bool floppy_ = false;
    HANDLE thread_ = nullptr;  // the setup's first thread, its windows
};

// The end-to-end walks: a setup build run from its own set of disks, its
// dialogs answered as a user would, and what the run left on the machine.
#pragma once

#include "harness_win.h"

using namespace harness;

// Setup builds next to the test executable.
constexpr const char* SetupComplete = "setup_e2e.exe";
constexpr const char* SetupWithoutMain = "setup_no_main.exe";
constexpr const char* SetupWithoutLicense = "setup_no_license.exe";
constexpr const char* SetupWithoutProgress = "setup_no_progress.exe";
constexpr const char* SetupWithoutGroup = "setup_no_group.exe";

// Long: the unpacking lasts about a second, so a cancel reaches it for sure.
enum class Unpacking { Quick, Long };

// Where setup.exe starts from: a folder that keeps every disk's files as
// they are inserted (as a CD would); floppy drive A:, whose whole content
// the next disk replaces; or drive A: loaded from gvdist's floppy images
// one at a time.
enum class Medium { Folder, Floppy, Images };

// A fresh directory per test holding disk 1 ("DISK"), the later disks
// ("SHELF") and the destination; registry, help file and shortcut are put
// back around every test.
class SetupWalk : public ::testing::Test, public User {
protected:
    void SetUp() override;
    void TearDown() override;

    void Start(const char* setupBuild = SetupComplete, Unpacking unpacking = Unpacking::Quick,
               Medium medium = Medium::Folder);
    void InsertDisk(int disk);  // its part moves from the shelf into the drive, or its image is loaded
    HWND Backdrop() const;  // the full-screen window owning the phase dialogs

    // The user's steps.
    void EnterDestination(const std::string& path);
    void AcceptAgreement();
    void SwapDisks();  // answers the prompts for disks 2 and 3, inserting each
    void AcceptGroup(const char* typed = nullptr);
    void AnswerFinalQuestion(int answer);
    // The terminated message, owned by the backdrop; OK ends the setup with 0.
    void ExpectTerminated();
    void ExpectEndsWithZero();
    // Program and members in place byte for byte (help file in the help
    // directory) except `keptMember`; the joined archive gone.
    void ExpectInstalled(const std::string& dest, const std::string& keptMember = "") const;
    void ExpectNothingRegistered() const;

    std::string Drive() const { return disks_.Drive + "\\"; }
    std::string Destination() const { return root_.Path() + "\\Dest"; }
    std::string ShortcutPath() const { return ProgramsFolder() + "\\Glyphvane.LNK"; }
    std::string HelpFile() const { return HelpDirectory() + "Glyphvane.hlp"; }
    const Product& Contents() const { return *contents_; }

    TempDir root_;

private:
    Disks disks_{root_ / "DISK", root_ / "SHELF"};
    const Product* contents_ = nullptr;
    std::string images_;  // the folder of the floppy images the drive is loaded from
    std::unique_ptr<RegistryValue> regDir_;
};

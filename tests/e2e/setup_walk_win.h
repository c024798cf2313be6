// The fixture of the end-to-end walks: a fresh directory per test with the
// disks and a destination, the machine's registry values, help file and
// shortcut put back around every test, and the user's steps through the
// setup's dialogs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "distribution_win.h"
#include "setup_process_win.h"
#include "system_state_win.h"

// Setup builds that the walks run, each next to the test executable.
constexpr const char* SetupComplete = "setup_e2e.exe";
constexpr const char* SetupWithoutMain = "setup_no_main.exe";
constexpr const char* SetupWithoutLicense = "setup_no_license.exe";
constexpr const char* SetupWithoutProgress = "setup_no_progress.exe";
constexpr const char* SetupWithoutGroup = "setup_no_group.exe";

// The quick distribution, or one whose unpacking lasts long enough (about
// a second) for a cancel to reach it for sure.
enum class Unpacking { Quick, Long };

class SetupWalk : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The walks' distribution for one setup build, packed once per run.
    static const PackedDistribution& DistributionFor(const std::string& setupBuild,
                                                     Unpacking unpacking = Unpacking::Quick);

    // Lays out the disks for `setupBuild` and starts its setup from disk 1.
    SetupProcess& Start(const std::string& setupBuild = SetupComplete,
                        Unpacking unpacking = Unpacking::Quick);

    // The user's steps. Each waits for its dialog and records a failure
    // when it does not come.
    HWND EnterDestination(const std::string& path);
    void AcceptAgreement();
    void SwapDisks();  // answers the prompts for disks 2 and 3, inserting each
    void AcceptGroup(const std::string& name = "");
    void AnswerFinalQuestion(int answer);
    // Cancel in `dialog` and answer the cancel question with `answer`.
    void CancelWith(HWND dialog, int answer);
    // The terminated message: owned by the backdrop; OK ends the setup.
    void ExpectTerminated();
    void ExpectEndsWithZero();

    // Every product file in place, byte for byte; the archive gone.
    void ExpectInstalled(const std::string& typedDestination,
                         const std::string& keptMember = "") const;

    std::string Root() const { return root_; }
    std::string Destination() const { return root_ + "Dest"; }
    // The destination as the setup holds it: its field is upper-case.
    std::string Typed(const std::string& path) const { return InCapitals(path); }
    const Product& Contents() const { return packed_->Contents; }
    std::string ShortcutPath() const { return ProgramsFolder() + "\\Glyphvane.LNK"; }
    std::string HelpFile() const { return HelpDirectory() + "Glyphvane.hlp"; }

    std::unique_ptr<Disks> disks_;
    std::unique_ptr<SetupProcess> setup_;

private:
    void ResetMachine();

    std::string root_;
    const PackedDistribution* packed_ = nullptr;
    std::unique_ptr<RegistryValue> regDir_;
};

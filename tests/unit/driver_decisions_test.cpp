// The driver's decisions that need no window: what follows each phase,
// which files the clean-up may delete, and the text
// of the unhandled-error report.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>

#include "archive/lzh_decode.h"
#include "setup/error_text.h"
#include "setup/phase_plan.h"

namespace {

TEST(PhasePlan, OutcomeOfEachPhase) {
    const std::tuple<SetupPhase, bool, std::int32_t, PhaseOutcome> cases[] = {
        // A missing template stops with the clean-up; the walks of the builds
        // without a template show the other phases.
        {SetupPhase::Gathering, false, 1, PhaseOutcome::Stop},
        // Only a result of exactly 1 goes on; a failed DialogBoxParamA (-1)
        // and any other value stop.
        {SetupPhase::Destination, true, 1, PhaseOutcome::NextPhase},
        {SetupPhase::Agreement, true, -1, PhaseOutcome::Stop},
        {SetupPhase::Gathering, true, 2, PhaseOutcome::Stop},
        // The group dialog never stops the run: its cancel only drops the shortcut.
        {SetupPhase::ProgramGroup, true, 1, PhaseOutcome::FinishWithShortcut},
        {SetupPhase::ProgramGroup, true, 0, PhaseOutcome::FinishWithoutShortcut},
        {SetupPhase::ProgramGroup, true, -1, PhaseOutcome::FinishWithoutShortcut},
    };
    for (const auto& [phase, templateFound, result, expected] : cases) {
        EXPECT_EQ(DecidePhaseOutcome(phase, templateFound, result), expected)
            << PhaseTemplateName(phase) << " found=" << templateFound << " result=" << result;
    }
}

TEST(Cleanup, DeletesOnlyWhatThisRunWrote) {
    const std::tuple<const char*, bool, FileSnapshot, FileSnapshot, bool> cases[] = {
        {"new file from the copying phases", true, {false, 0, 0}, {true, 10, 5}, true},
        {"earlier installation's file untouched", true, {true, 10, 5}, {true, 10, 5}, false},
        {"earlier file rewritten with another size", true, {true, 10, 5}, {true, 0, 5}, true},
        {"earlier file rewritten, same size", true, {true, 10, 5}, {true, 10, 6}, true},
        {"stop before any copying: a file there is not ours", false, {false, 0, 0}, {true, 10, 5}, false},
        {"nothing there now", true, {true, 10, 5}, {false, 0, 0}, false},
    };
    for (const auto& [what, copyingStarted, before, now, expected] : cases) {
        EXPECT_EQ(WrittenThisRun(copyingStarted, before, now), expected) << what;
    }
}

TEST(ErrorReport, ClassModuleAddressAndOneFullStop) {
    const std::string wide = sizeof(void*) == 8 ? "00000000" : "";
    EXPECT_EQ(FormatErrorReport("E", "SETUP.EXE", 0x401000, "Failed to create key Glyphvane"),
              "Exception E in module SETUP.EXE at " + wide + "00401000.\nFailed to create key Glyphvane.");
    EXPECT_EQ(FormatErrorReport("E", "SETUP.EXE", 0xABCDEF, "Done."),
              "Exception E in module SETUP.EXE at " + wide + "00ABCDEF.\nDone.");
    EXPECT_EQ(ErrorClassName(ElzhException("x")), "ElzhException");
    EXPECT_EQ(ErrorClassName(std::runtime_error("x")), "std::runtime_error");
    for (const char* path : {"C:\\Disk1\\SETUP.EXE", "A:SETUP.EXE", "SETUP.EXE"})
        EXPECT_EQ(ModuleBaseName(path), "SETUP.EXE");
}

}  // namespace

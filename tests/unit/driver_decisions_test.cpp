// The driver's decisions that need no window: what follows each phase,
// which files the clean-up may delete, and the text
// of the unhandled-error report.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "setup/error_text.h"
#include "setup/phase_plan.h"

namespace {

TEST(PhasePlan, OutcomeOfEachPhase) {
    const struct {
        SetupPhase Phase;
        bool TemplateFound;
        std::int32_t Result;  // of the dialog
        PhaseOutcome Outcome;
    } cases[] = {
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
    for (const auto& c : cases)
        EXPECT_EQ(DecidePhaseOutcome(c.Phase, c.TemplateFound, c.Result), c.Outcome)
            << PhaseTemplateName(c.Phase) << " found=" << c.TemplateFound << " result=" << c.Result;
}

TEST(Cleanup, DeletesOnlyWhatThisRunWrote) {
    const FileSnapshot none, earlier{true, 10, 5}, resized{true, 0, 5}, retimed{true, 10, 6};
    const struct {
        const char* What;
        bool CopyingStarted;
        FileSnapshot Before, Now;
        bool Deleted;
    } cases[] = {
        {"new file from the copying phases", true, none, earlier, true},
        {"earlier installation's file untouched", true, earlier, earlier, false},
        {"earlier file rewritten with another size", true, earlier, resized, true},
        {"earlier file rewritten, same size", true, earlier, retimed, true},
        {"stop before any copying: a file there is not ours", false, none, earlier, false},
        {"nothing there now", true, earlier, none, false},
    };
    for (const auto& c : cases) EXPECT_EQ(WrittenThisRun(c.CopyingStarted, c.Before, c.Now), c.Deleted) << c.What;
}

TEST(ErrorReport, ClassModuleAddressAndOneFullStopInFixedRoom) {
    const std::string wide = sizeof(void*) == 8 ? "00000000" : "";
    char text[64];
    FormatErrorReport(text, sizeof text, "E", "M", 0x401000, "Key");
    EXPECT_EQ(text, "Exception E in module M at " + wide + "00401000.\nKey.");
    FormatErrorReport(text, sizeof text, "E", "M", 0xABCDEF, "OK.");
    EXPECT_EQ(text, "Exception E in module M at " + wide + "00ABCDEF.\nOK.");
    FormatErrorReport(text, 14, "E", "M", 0x401000, "Key");
    EXPECT_EQ(text, std::string("Exception E i"));
    for (const char* path : {"C:\\Disk1\\SETUP.EXE", "A:SETUP.EXE", "SETUP.EXE"})
        EXPECT_STREQ(ModuleBaseName(path), "SETUP.EXE");
}

}  // namespace

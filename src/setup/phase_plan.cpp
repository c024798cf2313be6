#include "setup/phase_plan.h"

#include "setup/globals.h"

const SetupPhase SetupPhases[SetupPhaseCount] = {
    SetupPhase::Destination, SetupPhase::Agreement,    SetupPhase::Gathering,
    SetupPhase::Unpacking,   SetupPhase::ProgramGroup,
};

const char* PhaseTemplateName(SetupPhase phase) {
    switch (phase) {
    case SetupPhase::Destination: return "Main";
    case SetupPhase::Agreement: return "License";
    case SetupPhase::Gathering: return "IProgress";
    case SetupPhase::Unpacking: return "Progress";
    case SetupPhase::ProgramGroup: return "Group";
    }
    return "";
}

bool PhaseWritesFiles(SetupPhase phase) { return phase == SetupPhase::Gathering || phase == SetupPhase::Unpacking; }

PhaseOutcome DecidePhaseOutcome(SetupPhase phase, bool templateFound, std::int32_t result) {
    if (!templateFound) {
        switch (phase) {
        // Without the first question there is nothing to clean up or report.
        case SetupPhase::Destination: return PhaseOutcome::EndAtOnce;
        // The agreement is optional: a build may ship without one.
        case SetupPhase::Agreement: return PhaseOutcome::NextPhase;
        default: return PhaseOutcome::Stop;
        }
    }
    if (phase == SetupPhase::ProgramGroup) {
        // The product is installed by now: a cancelled group only costs the shortcut.
        return result == 1 ? PhaseOutcome::FinishWithShortcut : PhaseOutcome::FinishWithoutShortcut;
    }
    return result == 1 ? PhaseOutcome::NextPhase : PhaseOutcome::Stop;
}

std::string FinalQuestionText() { return std::string(SuccessText) + ProductName + "?"; }

bool WrittenThisRun(bool copyingStarted, const FileSnapshot& before, const FileSnapshot& now) {
    if (!copyingStarted || !now.Exists) {
        return false;
    }
    return !before.Exists || before.Size != now.Size || before.WriteTime != now.WriteTime;
}

// The setup's fixed run of five modal dialogs and what the driver does
// after each one, kept free of windows so the rules can be checked alone.
#pragma once

#include <cstdint>
#include <string>

enum class SetupPhase { Destination, Agreement, Gathering, Unpacking, ProgramGroup };

constexpr int SetupPhaseCount = 5;

// The phases in the order they run.
extern const SetupPhase SetupPhases[SetupPhaseCount];

// The dialog template ("Main", "License", "IProgress", "Progress", "Group").
const char* PhaseTemplateName(SetupPhase phase);

// True for the phases that write into the destination directory.
bool PhaseWritesFiles(SetupPhase phase);

enum class PhaseOutcome {
    NextPhase,              // go on with the following phase
    EndAtOnce,              // no message, no clean-up: the program just ends
    Stop,                   // the installation is given up: clean-up runs
    FinishWithShortcut,     // the finishing steps, shortcut included
    FinishWithoutShortcut,  // the finishing steps, no shortcut
};

// What follows a phase whose template was (not) found and whose dialog
// ended with `result` (1 means go on; the result is ignored when the
// template is missing).
PhaseOutcome DecidePhaseOutcome(SetupPhase phase, bool templateFound, std::int32_t result);

// The closing question: the success text, the product name and "?".
std::string FinalQuestionText();

// What the clean-up knows about a file of the destination directory.
struct FileSnapshot {
    bool Exists = false;  // a file; a directory of that name does not count
    std::uint64_t Size = 0;
    std::uint64_t WriteTime = 0;
};

// The clean-up deletes only what this run wrote: a file that is there now
// and was missing, or different, before the first copying phase began.
// Without a copying phase nothing can have been written.
bool WrittenThisRun(bool copyingStarted, const FileSnapshot& before, const FileSnapshot& now);

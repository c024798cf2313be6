#include "setup/driver_win.h"

#include <cstdint>
#include <string>

#include "archive/byte_stream_win.h"
#include "archive/gather_win.h"
#include "archive/unpack_win.h"
#include "setup/finish_win.h"
#include "setup/globals.h"
#include "setup/phase_plan.h"
#include "setup/run_state_win.h"
#include "ui/dialogs_win.h"
#include "util/module_path_win.h"
#include "util/paths.h"

namespace {

const char BackgroundClass[] = "TMSetUp";

WNDCLASSA BackgroundClassRecord() {
    WNDCLASSA record = {};
    record.style = CS_PARENTDC;
    record.lpfnWndProc = BackgroundWndProc;
    record.lpszClassName = BackgroundClass;
    return record;
}

void StartUp(HINSTANCE instance) {
    WNDCLASSA record = BackgroundClassRecord();
    SourceDir = DirPart(ModulePath(instance));
    StartRunState();
    record.hInstance = instance;
    RegisterClassA(&record);
    // Visible from its creation: the dialogs' message loops paint it.
    MainWindow = CreateWindowExA(0, BackgroundClass, BackdropCaption, WS_POPUP | WS_VISIBLE, 0, 0, ScreenWidth,
                                 ScreenHeight, nullptr, nullptr, instance, nullptr);
    LogoBitmap = LoadBitmapA(instance, "logo");
    SetupAborted = false;
}

DLGPROC PhaseDialogProc(SetupPhase phase) {
    switch (phase) {
    case SetupPhase::Destination: return MainDialogProc;
    case SetupPhase::Agreement: return LicenseDialogProc;
    case SetupPhase::Gathering: return IProgressDialogProc;
    case SetupPhase::Unpacking: return ProgressDialogProc;
    case SetupPhase::ProgramGroup: return GroupDialogProc;
    }
    return nullptr;
}

// Runs the phase's dialog when its template is there; false when it is not.
bool RunPhaseDialog(HINSTANCE instance, SetupPhase phase) {
    const char* name = PhaseTemplateName(phase);
    HRSRC found = FindResourceA(instance, name, MAKEINTRESOURCEA(5));  // RT_DIALOG
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    if (!loaded) {
        return false;
    }
    PhaseResult = static_cast<std::int32_t>(DialogBoxParamA(instance, name, MainWindow, PhaseDialogProc(phase), 0));
    FreeResource(loaded);
    return true;
}

FileSnapshot SnapshotOf(const char* path) {
    FileSnapshot snapshot;
    // The directory entry gives size and time on every system, also where
    // GetFileAttributesExA is missing.
    WIN32_FIND_DATAA data;
    const HANDLE search = HasWildcards(path) ? INVALID_HANDLE_VALUE : FindFirstFileA(path, &data);
    if (search == INVALID_HANDLE_VALUE) {
        return snapshot;
    }
    FindClose(search);
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        snapshot.Exists = true;
        snapshot.Size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        snapshot.WriteTime =
            (std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    }
    return snapshot;
}

// What the destination held before the copying began, so that a stop
// deletes only the archive and program file this run wrote.
struct CopyingRecord {
    bool Started = false;
    FileSnapshot Archive;
    FileSnapshot Program;
};

// Static, as the report's text: the clean-up takes no heap, so it runs
// whatever memory is left. Room for the longest destination and a name.
char CleanUpPath[512];

void DeleteIfWrittenThisRun(const char* name, const CopyingRecord& record, const FileSnapshot& before) {
    if (PathJoinInto(CleanUpPath, sizeof CleanUpPath, DestDir, name) &&
        WrittenThisRun(record.Started, before, SnapshotOf(CleanUpPath))) {
        DeleteFileA(CleanUpPath);
    }
}

void CleanUp(const CopyingRecord& record) {
    DeleteIfWrittenThisRun(ArchiveFile, record, record.Archive);
    DeleteIfWrittenThisRun(ProgramFile, record, record.Program);
    MessageBoxA(MainWindow, TerminatedText, ProductName, MB_OK);
}

void Finish(bool withShortcut) {
    // The product is installed either way: say so, and go on.
    if (withShortcut && !MakeShortcut()) {
        MessageBoxA(nullptr, ShortcutFailedText, ProductName, MB_OK | MB_ICONEXCLAMATION);
    }
    WriteUninstallEntry();
    const std::string question = FinalQuestionText();
    if (MessageBoxA(nullptr, question.c_str(), ProductName, MB_YESNO) == IDYES) {
        RunProduct();
    }
}

// The five phases in order; the outcome of the last one that ran.
PhaseOutcome RunPhases(HINSTANCE instance, CopyingRecord& record) {
    PhaseOutcome outcome = PhaseOutcome::NextPhase;
    for (SetupPhase phase : SetupPhases) {
        if (PhaseWritesFiles(phase) && !record.Started) {
            record.Archive = SnapshotOf(PathJoin(DestDir, ArchiveFile).c_str());
            record.Program = SnapshotOf(PathJoin(DestDir, ProgramFile).c_str());
            record.Started = true;
        }
        const bool found = RunPhaseDialog(instance, phase);
        outcome = DecidePhaseOutcome(phase, found, PhaseResult);
        if (outcome != PhaseOutcome::NextPhase) {
            break;
        }
    }
    return outcome;
}

}  // namespace

int RunSetup(HINSTANCE instance) {
    StartUp(instance);
    CopyingRecord record;
    switch (RunPhases(instance, record)) {
    case PhaseOutcome::Stop:
        SetupAborted = true;
        CleanUp(record);
        break;
    case PhaseOutcome::FinishWithShortcut: Finish(true); break;
    case PhaseOutcome::FinishWithoutShortcut: Finish(false); break;
    case PhaseOutcome::EndAtOnce:
    case PhaseOutcome::NextPhase: break;
    }
    return 0;
}

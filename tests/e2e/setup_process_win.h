// Drives a running setup.exe from outside, as a user would: finds its
// dialogs and message boxes by caption, reads what they show, types into
// their fields and presses their buttons. Every wait has a timeout.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The text of a window (its caption, for a top-level window).
std::string WindowText(HWND window);
std::string WindowClass(HWND window);
// The text of a dialog's control; message boxes keep their text in 0xFFFF.
std::string ItemText(HWND dialog, int id);
constexpr int MessageTextId = 0xFFFF;
// Replaces a control's text the way a program would (WM_SETTEXT).
void SetItemText(HWND dialog, int id, const std::string& text);
// Presses a button: the command reaches the dialog through its queue, so a
// modal loop started by the press does not block the test.
void Press(HWND dialog, int id);
// Presses a button and returns once the dialog procedure has handled it.
// Only for presses that open no modal window.
void PressAndWaitHandled(HWND dialog, int id);

// What identifies a top-level dialog: its caption and, when set, its text
// (of a message box, or of a dialog's first unnamed static), both exact.
struct DialogMatch {
    std::string Caption;
    std::string Text;
    bool HasText = false;
    std::string Describe() const;
};
DialogMatch Dialog(const std::string& caption);
DialogMatch Dialog(const std::string& caption, const std::string& text);

// The setup as the user sees it: captions and texts of every window it
// shows, spelled out here rather than taken from the setup's own sources.
namespace Seen {
extern const DialogMatch Destination;
extern const DialogMatch Agreement;
extern const DialogMatch Gathering;
extern const DialogMatch Unpacking;
extern const DialogMatch ProgramGroup;
extern const DialogMatch CancelQuestion;
extern const DialogMatch Terminated;
extern const DialogMatch WrongDisk;
extern const DialogMatch FinalQuestion;
DialogMatch DiskPrompt(int disk);
}  // namespace Seen

// One run of a setup executable.
class SetupProcess {
public:
    // Starts `exe` with `directory` as its current directory.
    SetupProcess(const std::string& exe, const std::string& directory);
    // A setup still running here is a test failure already reported: the
    // process is dumped and ended.
    ~SetupProcess();
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;

    bool Started() const { return process_ != nullptr; }

    // Waits for a visible dialog of this process that matches; on timeout
    // records a failure with the visible windows and returns nullptr. Once
    // the walk is lost, later waits give up at once and quietly.
    HWND WaitFor(const DialogMatch& match, DWORD timeoutMs = 15000);
    // The matching dialog now, or nullptr.
    HWND Find(const DialogMatch& match) const;
    // Waits until `dialog` is gone or hidden.
    bool WaitGone(HWND dialog, DWORD timeoutMs = 15000);
    // Answers: presses `id` and waits for the dialog to go.
    void Answer(HWND dialog, int id);

    // Whether the process ended within `waitMs`; no failure either way.
    bool Ended(DWORD waitMs) const;
    // Waits for the process to end; false on timeout (failure recorded).
    bool WaitExit(DWORD timeoutMs, DWORD& exitCode);
    // The visible top-level windows of the process, one per line.
    std::string DescribeWindows() const;
    std::vector<HWND> VisibleWindows() const;
    // The full-screen background window, the owner of the phase dialogs.
    HWND Backdrop() const;

    // When each awaited dialog appeared, in the order of the walk.
    using Clock = std::chrono::steady_clock;
    const std::vector<std::pair<std::string, Clock::time_point>>& Log() const { return log_; }

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    bool exited_ = false;
    bool lost_ = false;
    std::vector<std::pair<std::string, Clock::time_point>> log_;
};

#include "setup_process_win.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace {

// A window of another process answers sent messages only from its own
// message loop; a busy setup must not hang the test.
constexpr UINT SendTimeoutMs = 5000;
constexpr DWORD PollMs = 10;

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct EnumState {
    DWORD ProcessId;
    std::vector<HWND> Windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM state) {
    auto* s = reinterpret_cast<EnumState*>(state);
    if (ProcessOf(window) == s->ProcessId && IsWindowVisible(window)) s->Windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChildren(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

// A top-level caption is read without a message, so a busy setup does not
// slow the search down.
std::string Caption(HWND window) {
    char buffer[512] = {};
    int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

bool Matches(HWND window, const DialogMatch& match) {
    if (WindowClass(window) != "#32770" || Caption(window) != match.Caption) return false;
    return !match.HasText || ItemText(window, MessageTextId) == match.Text;
}

}  // namespace

std::string WindowText(HWND window) {
    char buffer[1024] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                             SMTO_NORMAL, SendTimeoutMs, &length))
        return "<no answer>";
    return std::string(buffer, length < sizeof buffer ? length : 0);
}

std::string WindowClass(HWND window) {
    char buffer[256] = {};
    int length = GetClassNameA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item ? WindowText(item) : "<no control " + std::to_string(id) + ">";
}

void SetItemText(HWND dialog, int id, const std::string& text) {
    DWORD_PTR result = 0;
    HWND item = GetDlgItem(dialog, id);
    ASSERT_NE(item, nullptr) << "control " << id;
    ASSERT_TRUE(SendMessageTimeoutA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                    SMTO_NORMAL, SendTimeoutMs, &result));
}

void Press(HWND dialog, int id) {
    ASSERT_TRUE(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))));
}

void PressAndWaitHandled(HWND dialog, int id) {
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)), SMTO_NORMAL,
                                    SendTimeoutMs, &result));
}

DialogMatch Dialog(const std::string& caption) { return {caption, "", false}; }

DialogMatch Dialog(const std::string& caption, const std::string& text) {
    return {caption, text, true};
}

std::string DialogMatch::Describe() const {
    return "\"" + Caption + "\"" + (HasText ? " saying \"" + Escaped(Text) + "\"" : "");
}

namespace Seen {
const DialogMatch Destination = Dialog("Destination Directory");
const DialogMatch Agreement = Dialog("License Agreement");
const DialogMatch Gathering = Dialog("Please Stand By...", "Installing the Glyphvane files.");
const DialogMatch Unpacking = Dialog("Please Stand By...", "Uncompressing the Glyphvane files:");
const DialogMatch ProgramGroup = Dialog("Program Group");
const DialogMatch CancelQuestion =
    Dialog("Exit Glyphvane", "Do you really want to terminate the Setup program?");
const DialogMatch Terminated = Dialog("Glyphvane", "The Installation process has been terminated.");
const DialogMatch WrongDisk = Dialog(
    "", "This is not the appropriate disk.\r\nPlease insert the correct disk and Press Enter");
const DialogMatch FinalQuestion = Dialog(
    "Glyphvane",
    "Glyphvane has been successfully installed.\r\n\r\nDo you wish to run Glyphvane?");

DialogMatch DiskPrompt(int disk) {
    return Dialog("Glyphvane", "Please Insert Disk number " + std::to_string(disk));
}
}  // namespace Seen

SetupProcess::SetupProcess(const std::string& exe, const std::string& directory) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &info)) {
        ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
        return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
}

SetupProcess::~SetupProcess() {
    if (!process_) return;
    if (!exited_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        ADD_FAILURE() << "setup still running at the end of the test; its windows:\n"
                      << DescribeWindows();
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
}

std::vector<HWND> SetupProcess::VisibleWindows() const {
    EnumState state{processId_, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.Windows;
}

HWND SetupProcess::Find(const DialogMatch& match) const {
    for (HWND window : VisibleWindows())
        if (Matches(window, match)) return window;
    return nullptr;
}

HWND SetupProcess::WaitFor(const DialogMatch& match, DWORD timeoutMs) {
    if (lost_) return nullptr;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (HWND window = Find(match)) {
            log_.emplace_back(match.Caption + (match.HasText ? ": " + Escaped(match.Text) : ""),
                              Clock::now());
            return window;
        }
        if (Clock::now() > deadline) break;
        if (WaitForSingleObject(process_, PollMs) == WAIT_OBJECT_0) {
            ADD_FAILURE() << "setup ended while waiting for " << match.Describe();
            lost_ = true;
            return nullptr;
        }
    }
    lost_ = true;
    ADD_FAILURE() << "no dialog " << match.Describe() << " within " << timeoutMs
                  << " ms; visible windows:\n"
                  << DescribeWindows();
    return nullptr;
}

bool SetupProcess::WaitGone(HWND dialog, DWORD timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
        if (Clock::now() > deadline) {
            lost_ = true;
            ADD_FAILURE() << "\"" << Caption(dialog) << "\" still open after " << timeoutMs
                          << " ms; visible windows:\n"
                          << DescribeWindows();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(PollMs));
    }
    return true;
}

void SetupProcess::Answer(HWND dialog, int id) {
    if (!dialog) {
        if (!lost_) ADD_FAILURE() << "no dialog to answer with " << id;
        return;
    }
    Press(dialog, id);
    WaitGone(dialog);
}

bool SetupProcess::Ended(DWORD waitMs) const {
    return process_ && WaitForSingleObject(process_, waitMs) == WAIT_OBJECT_0;
}

bool SetupProcess::WaitExit(DWORD timeoutMs, DWORD& exitCode) {
    exitCode = STILL_ACTIVE;
    if (!process_) return false;
    if (WaitForSingleObject(process_, lost_ ? 0 : timeoutMs) != WAIT_OBJECT_0) {
        if (lost_) return false;
        ADD_FAILURE() << "setup did not end within " << timeoutMs << " ms; visible windows:\n"
                      << DescribeWindows();
        return false;
    }
    exited_ = true;
    GetExitCodeProcess(process_, &exitCode);
    return true;
}

HWND SetupProcess::Backdrop() const {
    for (HWND window : VisibleWindows())
        if (WindowClass(window) == "TMSetUp") return window;
    return nullptr;
}

std::string SetupProcess::DescribeWindows() const {
    std::ostringstream out;
    for (HWND window : VisibleWindows()) {
        out << "  [" << WindowClass(window) << "] \"" << Escaped(Caption(window))
            << "\" owner " << GetWindow(window, GW_OWNER) << "\n";
        std::vector<HWND> children;
        EnumChildWindows(window, CollectChildren, reinterpret_cast<LPARAM>(&children));
        for (HWND child : children)
            out << "      " << GetDlgCtrlID(child) << " [" << WindowClass(child) << "] \""
                << Escaped(WindowText(child)).substr(0, 120) << "\"\n";
    }
    std::string text = out.str();
    return text.empty() ? "  (none)\n" : text;
}

// The Windows tests' harness, shared by the engine tests, which run the
// setup's dialogs inside their own process, and the end-to-end walks, which
// run setup.exe: files and scratch directories, products, the setup's
// state, and a user that finds a process's dialogs by caption and text and
// answers them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "archive/member_table.h"

namespace harness {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

// A fresh directory under the temp directory, named after the running test;
// removed with its content unless the test failed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Bytes that do not compress, the same for a seed.
Bytes SampleBytes(std::size_t size, std::uint32_t seed);

// A product: the program, then its members, in one decoded stream.
struct Product {
    Bytes Program;
    std::vector<std::pair<std::string, Bytes>> Members;
};

inline std::string PartName(int disk) { return "Glyphvan.00" + std::to_string(disk); }

// Points the setup's program-wide state at a test installation: DestDir and
// SourceDir, WindowsDir (with a "Help" directory when `withHelpDir`), the
// screen size, the byte source and sink and their buffers; the rest of the
// state as a run of the product's own distribution starts.
void PrepareInstallState(const std::string& destDir, const std::string& windowsDir, bool withHelpDir);
// A setup file at `path`, an image and then `table`, where the setup reads
// its member table from.
void PlaceSetupFile(const std::string& path, const MemberTable& table);

std::string Caption(HWND window);  // read without a message: no wait on a busy setup
inline HWND Owner(HWND window) { return GetWindow(window, GW_OWNER); }
// A control's text; message boxes keep theirs in 0xFFFF.
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
// A button press through WM_COMMAND, posted: a modal loop it starts does
// not block the user.
void Press(HWND dialog, int id);

// A top-level dialog by its exact caption and, unless empty, exact text.
struct DialogMatch {
    std::string Caption, Text;
};

// What the user sees, spelled out here rather than taken from the sources.
namespace Seen {
inline const DialogMatch Destination{"Destination Directory", ""};
inline const DialogMatch Agreement{"License Agreement", ""};
inline const DialogMatch Gathering{"Please Stand By...", "Installing the Glyphvane files."};
inline const DialogMatch Unpacking{"Please Stand By...", "Uncompressing the Glyphvane files:"};
inline const DialogMatch ProgramGroup{"Program Group", ""};
inline const DialogMatch CancelQuestion{"Exit Glyphvane", "Do you really want to terminate the Setup program?"};
inline const DialogMatch Terminated{"Glyphvane", "The Installation process has been terminated."};
inline const DialogMatch Failure{"Error", "Glyphvane was unable to install its files."};
inline const DialogMatch WrongDisk{
    "", "This is not the appropriate disk.\r\nPlease insert the correct disk and Press Enter"};
inline const DialogMatch FinalQuestion{
    "Glyphvane", "Glyphvane has been successfully installed.\r\n\r\nDo you wish to run Glyphvane?"};
inline const DialogMatch ShortcutFailed{"Glyphvane", "The Start menu entry for Glyphvane could not be created."};
inline DialogMatch MemberUnwritable(const std::string& path) {
    return {"Glyphvane", "Glyphvane cannot write the file\r\n" + path +
                             "\r\n\r\nAbort stops the installation, Retry tries again, Ignore leaves this file out."};
}
inline const DialogMatch ErrorReport{"Application Error", ""};
inline DialogMatch DiskPrompt(int disk) { return {"Glyphvane", "Please Insert Disk number " + std::to_string(disk)}; }
inline DialogMatch DamagedDisk(int disk) {
    const std::string n = std::to_string(disk), what = " is damaged: it does not hold what was written to it.\r\n";
    return {"Glyphvane",
            "Disk " + n + what + "Insert another copy of disk " + n + " and press Retry, or press Cancel to stop."};
}
}  // namespace Seen

// The user at the screen of one process: this one unless a walk names
// the setup it started. A wait that fails records the failure once, with the windows on
// show; a lost user's later waits give up at once. A wait fails as soon as
// the process has ended or asks something else: a dialog that no earlier
// wait found and that is not the copy's progress, which goes on by itself.
// The full time is waited only while nothing else is asked.
class User {
public:
    std::vector<HWND> VisibleWindows() const;
    HWND Find(const DialogMatch& match) const;
    // Polls until `done` or timeout; stops early once the process has ended.
    bool Until(const std::function<bool()>& done, DWORD timeoutMs);
    HWND WaitFor(const DialogMatch& match, DWORD timeoutMs = 30000);
    // Presses `id` and waits until the dialog is gone.
    void Answer(HWND dialog, int id);
    std::string DescribeWindows() const;
    bool Lost() const { return lost_; }
    // Records `what` with the windows on show, once; the user is lost after it.
    void Lose(const std::string& what);

protected:
    // A dialog waiting for the user, neither known nor `expected`, that has
    // stayed on show for a moment; nullptr while there is none.
    HWND OtherQuestion(const DialogMatch* expected);
    // Why a wait ended without what it waited for: `other`, the process's
    // end, or the time.
    std::string WhyNot(HWND other, DWORD timeoutMs) const;

    DWORD processId_ = GetCurrentProcessId();
    HANDLE process_ = nullptr;
    bool lost_ = false;

private:
    std::vector<HWND> known_;   // the dialogs the waits found
    HWND candidate_ = nullptr;  // the other dialog seen last, since `seenAt_`
    ULONGLONG seenAt_ = 0;
};

// Runs `modal` (a dialog of this thread) while `user` acts from a second
// thread; whatever the user leaves open is cancelled. Returns modal's result.
INT_PTR WithUser(const std::function<INT_PTR()>& modal, const std::function<void(User&)>& user);

}  // namespace harness

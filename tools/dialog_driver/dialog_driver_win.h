// Drives another process's dialogs from outside, as a user at the screen
// would: finds them by class and caption, reads and presses their controls,
// and changes the floppy in Wine's drive A:. Shared by the demo's autopilot
// and the Windows tests' harness; it reports by return values, so it needs
// no test framework.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// The dialog manager's class, of dialogs and message boxes alike.
inline const char DialogClass[] = "#32770";

// Read without a message, so it works while the window's thread is held.
std::string Caption(HWND window);
std::string WindowClass(HWND window);
// A window's text through a message that gives up after a while, so a busy
// process cannot hang the caller: then NoAnswer.
inline const char NoAnswer[] = "<no answer>";
std::string Text(HWND window);
// The text of control `id`; message boxes keep theirs in 0xFFFF.
std::string ItemText(HWND dialog, int id);

// The visible top-level windows of process `processId` (0: of every
// process), from one snapshot: a walk along the z-order misses windows that
// move while it runs.
std::vector<HWND> VisibleWindows(DWORD processId);

// The first visible window of `processId` of class `className` whose
// caption is `caption` (nullptr: any), other than `skip`; with
// `enabledOnly`, one that no box above it disables: the one the user would
// answer now.
HWND FindWindowOf(DWORD processId, const char* className, const char* caption, HWND skip = nullptr,
                  bool enabledOnly = false);

// Posts a press of button `id`: a modal loop the press starts does not
// block the caller.
bool Press(HWND dialog, int id);
// Waits until `window` is gone or hidden; false after `timeoutMs`.
bool AwaitGone(HWND window, DWORD timeoutMs);

// Puts the disk whose files lie in `folder` into drive A:, as a user
// changes floppies: the Wine prefix's link of A: is pointed at the folder.
// Wine looks at a drive again only now and then, so it waits until A:
// lists the folder's files. Returns "" or what went wrong.
std::string InsertDisk(const std::string& folder, DWORD timeoutMs = 30000);

}  // namespace driver

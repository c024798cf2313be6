// What the two copy dialogs ("IProgress" and "Progress") share: they open
// the same way, start their work from a message posted to themselves (so
// the dialog shows and its Cancel works before the work begins) and answer
// Cancel the same way while the work runs.
#pragma once

#include <windows.h>

constexpr UINT StartWorkMessage = 32000;

// Titles the dialog, prepares its progress bar on `dc`, focuses Cancel
// and posts the start message.
void OpenCopyDialog(HWND dialog, HDC& dc);

// WM_COMMAND or WM_SYSCOMMAND for the Cancel command (id 2).
bool IsCancelCommand(UINT message, WPARAM wParam);

// Asks the cancel question; a Yes makes the running copy stop at its next
// look at ContinueFlag.
void AskToStopCopy();

// The one message for a copy that could not be completed.
void ReportInstallFailure();

// What the two copy dialogs ("IProgress" and "Progress") share: they open
// the same way, start their work from a message posted to themselves (so
// the dialog shows and its Cancel works before the work begins) and answer
// Cancel the same way while the work runs: a Yes to the cancel question
// makes the running copy stop at its next look at ContinueFlag.
#pragma once

#include <windows.h>

// The dialog procedure of both: `work` runs once the dialog shows, and its
// result ends the dialog; `dc` is the dialog's progress bar.
INT_PTR CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, HDC& dc, int (*work)(HWND dialog));

// The one message for a copy that could not be completed.
void ReportInstallFailure();

// The unpacking phase: the joined archive is decoded into the program file
// in DestDir, the archive deleted, the members cut out and the program
// file cut back to the program's own length.
#pragma once

#include <windows.h>

#include "archive/extract_win.h"  // CopyOutcome

// Decodes ArchiveFile in DestDir into ProgramFile there and deletes the
// archive (also after a cancel or a failure, once it was opened). Failed
// covers an archive missing, unopenable or too short for the decoding, a
// failed read or write, and a member table that does not hold;
// ProgramFileUnwritable a program file that can be neither created nor
// opened for writing (the product running, for one).
CopyOutcome DecodeArchive();

// The whole work of the phase, without a window: decoding, extraction,
// truncation. Shows the failure message where one is due (an unwritable
// program file has none: the driver's terminated message says it) and
// returns the phase's result (ContinueFlag): 1 to go on, 0 to stop.
int RunUnpacking();

// The dialog procedure of the "Progress" template.
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

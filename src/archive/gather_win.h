// The gathering phase: the archive parts, one per disk, are joined in
// order into ArchiveFile in DestDir, asking for each further disk.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

#include "archive/unpack_win.h"  // CopyOutcome

// Appends the part `from` to `archive` in 2048-byte blocks, adding to
// `copied` (which runs on across the parts, past 2 GiB too) and drawing the progress against ArchiveSize on GatherDC;
// `crc` grows into the part's CRC-32. Serves the message queue after every
// block. Stops after the current block once ContinueFlag is 0. Failed when
// a read or write goes wrong.
CopyOutcome AppendPart(HANDLE from, HANDLE archive, std::int64_t& copied, std::uint32_t& crc);

// Waits for part `k` (2 to 4) at `partPath`: asks for the disk (owned by
// `owner`) until the file is there or the user gives up. False when the
// user gave up without the disk; ContinueFlag is then 0.
bool AwaitDisk(HWND owner, int k, const std::string& partPath);

// The whole work of the phase for the dialog `dialog`: member table, part
// 1, then the further parts. Shows the failure message where one is due
// and returns the phase's result (ContinueFlag): 1 to go on, 0 to stop.
int RunGathering(HWND dialog);

// The dialog procedure of the "IProgress" template.
INT_PTR CALLBACK IProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The window procedures of the setup's own windows: the full-screen
// backdrop and the three questions (destination, agreement, program group).
// Each question ends with 1 to go on and 0 to stop.
#pragma once

#include <windows.h>

#include <string>

LRESULT CALLBACK BackgroundWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Draws the whole backdrop on MainWindow, whatever part was uncovered.
void PaintBackground();

// Template "Main": sets DestDir, creates the destination when missing.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Template "License": the agreement must be accepted to go on.
INT_PTR CALLBACK LicenseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Template "Group": sets GroupName on OK; its Cancel only skips the shortcut.
INT_PTR CALLBACK GroupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// True when `path` is an existing directory, or one level that could be
// created and made the current directory.
bool EnsureDestDir(const std::string& path);

// The progress bar of the two copy dialogs: a red done part and a white
// rest inside the dialog's frame control, with the percentage over it.
#pragma once

#include <cstdint>

#include <windows.h>

// Device contexts of the unpacking ("Progress") and gathering ("IProgress")
// dialogs; the two dialogs never exist at the same time and share the rest.
extern HDC ProgressDC;
extern HDC GatherDC;

// Bar geometry in the dialog's client coordinates.
extern std::int32_t BarLeft, BarTop, BarRight, BarBottom, BarWidth;
extern std::int32_t PercentX, PercentY;

extern std::int32_t ProgressPercent;  // last computed
extern std::int32_t LastPercent;      // last drawn; -1 forces the next draw

// Prepares the drawing state for `dialog` (bar geometry from its control
// 101), stores its device context in `dc`, centres the dialog and sets
// ContinueFlag to 1.
void SetUpProgressDrawing(HWND dialog, HDC& dc);

// Puts back what the set-up displaced, deletes the drawing objects and
// releases `dc`.
void ReleaseProgressDrawing(HDC dc);

// Draws the bar for `done` of `total` when the whole percentage differs
// from the one drawn last. A total of 0 or less draws nothing.
void DrawProgress(HDC dc, std::int32_t done, std::int32_t total);

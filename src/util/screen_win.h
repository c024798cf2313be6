// Placing a dialog on the screen.
#pragma once

#include <windows.h>

// Moves `dialog` (size unchanged) so that its centre is the centre of the
// screen measured at start-up (ScreenWidth, ScreenHeight). A dialog larger
// than the screen gets a negative edge.
void CenterOnScreen(HWND dialog);

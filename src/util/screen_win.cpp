#include "util/screen_win.h"

#include "setup/globals.h"

void CenterOnScreen(HWND dialog) {
    RECT frame;
    GetWindowRect(dialog, &frame);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, ScreenWidth / 2 - width / 2, ScreenHeight / 2 - height / 2, 0, 0, SWP_NOSIZE);
}

#include "archive/copy_dialog_win.h"

#include "archive/progress_draw_win.h"
#include "setup/confirm_win.h"
#include "setup/globals.h"

void OpenCopyDialog(HWND dialog, HDC& dc) {
    SetWindowTextA(dialog, "Please Stand By...");
    SetUpProgressDrawing(dialog, dc);
    SetFocus(GetDlgItem(dialog, IDCANCEL));
    PostMessageA(dialog, StartWorkMessage, 0, 0);
}

bool IsCancelCommand(UINT message, WPARAM wParam) {
    return (message == WM_COMMAND || message == WM_SYSCOMMAND) && LOWORD(wParam) == IDCANCEL;
}

void AskToStopCopy() {
    if (ConfirmTerminate()) ContinueFlag = 0;
}

void ReportInstallFailure() { MessageBoxA(nullptr, "Glyphvane was unable to install its files.", "Error", MB_OK); }

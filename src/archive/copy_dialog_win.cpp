#include "archive/copy_dialog_win.h"

#include "archive/progress_draw_win.h"
#include "setup/confirm_win.h"
#include "setup/globals.h"

namespace {

constexpr UINT StartWorkMessage = 32000;

void OnInitDialog(HWND dialog, HDC& dc) {
    SetWindowTextA(dialog, StandByCaption);
    SetUpProgressDrawing(dialog, dc);
    SetFocus(GetDlgItem(dialog, IDCANCEL));
    PostMessageA(dialog, StartWorkMessage, 0, 0);
}

void OnStartWork(HWND dialog, HDC& dc, int (*work)(HWND)) {
    const int result = work(dialog);
    ReleaseProgressDrawing(dc);
    EndDialog(dialog, result);
}

}  // namespace

INT_PTR CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, HDC& dc, int (*work)(HWND)) {
    if ((message == WM_COMMAND || message == WM_SYSCOMMAND) && LOWORD(wParam) == IDCANCEL) {
        if (ConfirmTerminate()) ContinueFlag = 0;
        return FALSE;
    }
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog, dc); return FALSE;
    case WM_DESTROY: ContinueFlag = 0; return FALSE;
    case StartWorkMessage: OnStartWork(dialog, dc, work); return TRUE;
    default: return FALSE;
    }
}

void ReportInstallFailure() { MessageBoxA(nullptr, InstallFailureText, InstallFailureCaption, MB_OK); }

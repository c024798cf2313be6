#include <windows.h>

#include "setup/globals.h"
#include "ui/dialog_text_win.h"
#include "ui/dialogs_win.h"
#include "ui/resource.h"
#include "util/screen_win.h"

namespace {

void OnInitDialog(HWND dialog) {
    SetWindowTextA(dialog, GroupCaption);
    CenterOnScreen(dialog);
    SendDlgItemMessageA(dialog, IDC_GROUP_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(GroupName.c_str()));
    // Enter accepts the proposal at once.
    SetFocus(GetDlgItem(dialog, IDOK));
}

void OnOk(HWND dialog) {
    // Taken as typed: the shortcut step decides what the name can hold.
    GroupName = ReadFieldText(dialog, IDC_GROUP_NAME);
    EndDialog(dialog, 1);
}

// No question here: the files are in place, only the shortcut is skipped.
void OnCancel(HWND dialog) { EndDialog(dialog, 0); }

}  // namespace

INT_PTR CALLBACK GroupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return AnswerQuestion(dialog, message, wParam, {OnInitDialog, OnOk, OnCancel});
}

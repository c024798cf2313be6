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

}  // namespace

INT_PTR CALLBACK GroupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); break;
    case WM_DESTROY: EndDialog(dialog, 0); break;
    default:
        switch (CommandIdOf(message, wParam)) {
        case IDOK: OnOk(dialog); break;
        case IDCANCEL:
            // No question here: the files are in place, only the shortcut is skipped.
            EndDialog(dialog, 0);
            break;
        }
        break;
    }
    return FALSE;
}

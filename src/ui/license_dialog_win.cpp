#include <windows.h>

#include "setup/confirm_win.h"
#include "ui/agreement.h"
#include "ui/dialog_text_win.h"
#include "ui/dialogs_win.h"
#include "ui/resource.h"
#include "util/screen_win.h"

namespace {

// Scrolls vertically and wraps: there is no horizontal scrolling.
constexpr DWORD AgreementFieldStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY;

void CreateAgreementField(HWND dialog) {
    RECT client = {};
    GetClientRect(dialog, &client);
    // It keeps the system's font; nothing refers to it after this, it goes
    // with the dialog. Without it the buttons still work.
    CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", AgreementText, AgreementFieldStyle, 10, 10, client.right - 20,
                    client.bottom - 90, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LICENSE_TEXT)),
                    reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)), nullptr);
}

void OnInitDialog(HWND dialog) {
    CreateAgreementField(dialog);
    CenterOnScreen(dialog);
    SetFocus(GetDlgItem(dialog, IDOK));
}

void OnAgree(HWND dialog) { EndDialog(dialog, 1); }

void OnExit(HWND dialog) {
    if (ConfirmTerminate()) EndDialog(dialog, 0);
}

}  // namespace

INT_PTR CALLBACK LicenseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return AnswerQuestion(dialog, message, wParam, {OnInitDialog, OnAgree, OnExit});
}

#include "ui/dialog_text_win.h"

std::string ReadFieldText(HWND dialog, int id) {
    char buffer[256] = {};
    GetDlgItemTextA(dialog, id, buffer, 255);
    return buffer;
}

INT_PTR AnswerQuestion(HWND dialog, UINT message, WPARAM wParam, const QuestionHandlers& on) {
    switch (message) {
    case WM_INITDIALOG: on.OnInit(dialog); break;
    case WM_DESTROY: EndDialog(dialog, 0); break;
    default:
        switch (CommandIdOf(message, wParam)) {
        case IDOK: on.OnOk(dialog); break;
        case IDCANCEL: on.OnCancel(dialog); break;
        }
        break;
    }
    return FALSE;
}

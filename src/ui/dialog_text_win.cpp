#include "ui/dialog_text_win.h"

std::string ReadFieldText(HWND dialog, int id) {
    char buffer[256] = {};
    GetDlgItemTextA(dialog, id, buffer, 255);
    return buffer;
}

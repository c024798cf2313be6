// Reading a question's text field the way every question does.
#pragma once

#include <windows.h>

#include <string>

// The field's text, at most 254 characters: the field is read into a
// 256-byte buffer with a limit of 255.
std::string ReadFieldText(HWND dialog, int id);

// The command id of a WM_COMMAND or WM_SYSCOMMAND, or 0 for other messages.
// Escape and the close box arrive as id 2.
inline int CommandIdOf(UINT message, WPARAM wParam) {
    if (message != WM_COMMAND && message != WM_SYSCOMMAND) return 0;
    return LOWORD(wParam);
}

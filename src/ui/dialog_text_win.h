// Reading a question's text field and answering its messages the way every
// question does.
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

// What a question dialog does on each message it answers.
struct QuestionHandlers {
    void (*OnInit)(HWND dialog);
    void (*OnOk)(HWND dialog);
    void (*OnCancel)(HWND dialog);
};

// The switch of every question dialog: set up on WM_INITDIALOG, end with 0
// when destroyed, OK and Cancel from a button, Enter, Escape or the close box.
INT_PTR AnswerQuestion(HWND dialog, UINT message, WPARAM wParam, const QuestionHandlers& on);

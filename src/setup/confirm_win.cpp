#include "setup/confirm_win.h"

#include <string>

#include <windows.h>

#include "setup/globals.h"

bool ConfirmTerminate() {
    const std::string caption = std::string(ExitCaptionStart) + ProductName;
    return MessageBoxA(nullptr, CancelQuestion, caption.c_str(), MB_YESNO) == IDYES;
}

#include <windows.h>

#include "setup/confirm_win.h"
#include "setup/globals.h"
#include "setup/registry_win.h"
#include "ui/destination.h"
#include "ui/dialog_text_win.h"
#include "ui/dialogs_win.h"
#include "ui/resource.h"
#include "util/dirs_win.h"
#include "util/module_path_win.h"
#include "util/paths.h"
#include "util/screen_win.h"

namespace {

// A value that is missing, unreadable or not a string counts as no value.
std::string ReadStringOrEmpty(HKEY key, const char* name) {
    std::string value;
    try {
        if (key && ReadRegString(key, name, value)) return value;
    } catch (const ERegistryException&) {
    }
    return std::string();
}

std::string PreferredDestination() {
    // The maker's key is left behind even when the product's subkey is not
    // there; only the subkey is merely opened.
    TRegKey maker = TryCreateRegKey(HKEY_CURRENT_USER, "Software\\Tallowmere");
    if (!maker) return std::string();
    TRegKey product = OpenRegKey(maker.get(), ProductName);
    return ReadStringOrEmpty(product.get(), "RegDir");
}

std::string ProgramFilesDirectory() {
    TRegKey windows = OpenRegKey(HKEY_LOCAL_MACHINE, "software\\microsoft\\windows");
    TRegKey current = windows ? OpenRegKey(windows.get(), "CurrentVersion") : TRegKey();
    std::string dir;
    try {
        if (current && ReadRegString(current.get(), "ProgramFilesDir", dir)) return dir;
    } catch (const ERegistryException&) {
    }
    return FallbackProgramFilesDir;
}

void OnInitDialog(HWND dialog) {
    DestDir = DirPart(ModulePath());
    SetWindowTextA(dialog, DestinationCaption);
    const std::string preferred = PreferredDestination();
    DefaultDestDir = DefaultDestination(preferred, preferred.empty() ? ProgramFilesDirectory() : "");
    SendDlgItemMessageA(dialog, IDC_DEST_DIR, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(DefaultDestDir.c_str()));
    CenterOnScreen(dialog);
    SetFocus(GetDlgItem(dialog, IDC_DEST_DIR));
}

void OnOk(HWND dialog) {
    // Kept even when rejected: a cancel after this cleans up from here.
    DestDir = ReadFieldText(dialog, IDC_DEST_DIR);
    if (DestinationFormValid(DestDir) && EnsureDestDir(DestDir)) EndDialog(dialog, 1);
}

void OnCancel(HWND dialog) {
    if (ConfirmTerminate()) EndDialog(dialog, 0);
}

}  // namespace

bool EnsureDestDir(const std::string& path) {
    if (DirExists(path)) return true;
    // A failed creation is no rejection by itself: entering the directory is
    // the test that counts.
    CreateDirectoryA(path.c_str(), nullptr);
    return SetCurrentDirectoryA(path.c_str()) != FALSE;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return AnswerQuestion(dialog, message, wParam, {OnInitDialog, OnOk, OnCancel});
}

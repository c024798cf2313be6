// The product the walks install: when started it leaves "Glyphvane.ran"
// next to itself, holding the directory it was started in, and ends. The
// marker is written under another name and renamed, so that whoever sees
// it sees it whole.
#include <windows.h>

#include <string>

#include "util/module_path_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char current[MAX_PATH] = {};
    const DWORD size = GetCurrentDirectoryA(MAX_PATH, current);
    const std::string own = ModulePath();
    SetCurrentDirectoryA(own.substr(0, own.find_last_of('\\') + 1).c_str());
    HANDLE file = CreateFileA("Glyphvane.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, current, size, &written, nullptr);
    CloseHandle(file);
    return wrote && MoveFileA("Glyphvane.tmp", "Glyphvane.ran") ? 0 : 1;
}

// The product the walks install: when started it leaves "Glyphvane.ran"
// next to itself, holding the directory it was started in, and ends. The
// marker is written under another name and renamed, so that whoever sees
// it sees it whole.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char marker[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, marker, MAX_PATH - 16);
    while (length > 0 && marker[length - 1] != '\\') --length;
    char partial[MAX_PATH] = {};
    lstrcpynA(partial, marker, static_cast<int>(length) + 1);
    lstrcpyA(partial + length, "Glyphvane.tmp");
    lstrcpyA(marker + length, "Glyphvane.ran");

    char current[MAX_PATH] = {};
    DWORD size = GetCurrentDirectoryA(MAX_PATH, current);
    HANDLE file = CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL wrote = WriteFile(file, current, size, &written, nullptr);
    CloseHandle(file);
    return wrote && MoveFileA(partial, marker) ? 0 : 1;
}

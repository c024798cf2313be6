// The product the walks install: when started it leaves "Glyphvane.ran"
// next to itself, holding the directory it was started in, and ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\') --length;
    lstrcpyA(path + length, "Glyphvane.ran");
    char current[MAX_PATH] = {};
    DWORD size = GetCurrentDirectoryA(MAX_PATH, current);
    HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(marker, current, size, &written, nullptr);
    CloseHandle(marker);
    return 0;
}

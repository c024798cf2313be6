#include "util/dirs_win.h"

#include <windows.h>

#include "util/paths.h"

bool DriveValid(char letter) {
    // CharUpperBuffA, not toupper: the code page's own letters upper-case the
    // way the system does it, and only A to Z name drives.
    char upper[2] = {letter, '\0'};
    CharUpperBuffA(upper, 1);
    if (upper[0] < 'A' || upper[0] > 'Z') return false;
    const char root[4] = {upper[0], ':', '\\', '\0'};
    return GetDriveTypeA(root) >= DRIVE_REMOVABLE;
}

bool DirExists(const std::string& path) {
    std::string searched = HasWildcards(path) ? DirPart(path) : path;
    if (searched.empty()) return false;
    // A directory search cannot find a root, so short paths ask the drive.
    if (searched.size() <= 3) return DriveValid(searched[0]);
    if (searched.back() == '\\') searched.pop_back();

    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(searched.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

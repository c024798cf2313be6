// The demo product's uninstaller: after a confirmation it removes the
// files the setup put beside it and into the help directory, the Start
// menu shortcut and the uninstall entry, and schedules itself and its
// directory for removal at the next restart (a running program cannot
// delete its own file).
#include <windows.h>

#include <string>
#include <vector>

#include "util/module_path_win.h"

namespace {

const char Caption[] = "Uninstall Glyphvane";

// The product's files as the demo distribution ships them (scripts/demo).
const char* const ProductFiles[] = {"Glyphvane.Exe", "GLYPHS.LIB", "SAMPLE.DTP", "README.TXT"};
const char HelpFile[] = "GLYPHVAN.HLP";
const char ShortcutFile[] = "Glyphvane.LNK";
const char UninstallKey[] = "Software\\microsoft\\windows\\currentversion\\uninstall\\Glyphvane";
const char ShellFoldersKey[] = "Software\\microsoft\\windows\\currentversion\\explorer\\Shell Folders";

std::string Join(const std::string& directory, const std::string& name) {
    if (directory.empty() || directory.back() == '\\') {
        return directory + name;
    }
    return directory + "\\" + name;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ProgramsFolder() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ShellFoldersKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "";
    }
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    std::string folder;
    if (RegQueryValueExA(key, "programs", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        folder = value;  // the buffer is one byte longer than `size` allows, so it ends with a zero
    }
    RegCloseKey(key);
    return folder;
}

// Removes `path` if it is there; false only when it is there and stays.
bool RemoveFile(const std::string& path, std::vector<std::string>& leftOver) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    if (DeleteFileA(path.c_str())) {
        return true;
    }
    leftOver.push_back(path);
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (MessageBoxA(nullptr, "Remove Glyphvane and all of its files from this computer?", Caption,
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return 1;
    }
    const std::string self = ModulePath();
    const std::string installDir = DirectoryOf(self);
    std::vector<std::string> leftOver;
    for (const char* name : ProductFiles) {
        RemoveFile(Join(installDir, name), leftOver);
    }
    char windowsDir[MAX_PATH] = {};
    GetWindowsDirectoryA(windowsDir, MAX_PATH);
    // The setup puts help files into the help directory, or beside the
    // program when there is none.
    RemoveFile(Join(Join(windowsDir, "Help"), HelpFile), leftOver);
    RemoveFile(Join(installDir, HelpFile), leftOver);
    const std::string programs = ProgramsFolder();
    if (!programs.empty()) {
        RemoveFile(Join(programs, ShortcutFile), leftOver);
    }
    const LONG keyResult = RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    if (keyResult != ERROR_SUCCESS && keyResult != ERROR_FILE_NOT_FOUND) {
        leftOver.push_back(std::string("HKEY_LOCAL_MACHINE\\") + UninstallKey);
    }
    MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(installDir.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);

    if (leftOver.empty()) {
        MessageBoxA(nullptr, "Glyphvane has been removed from this computer.", Caption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    std::string text = "Glyphvane has been removed, except for:\r\n";
    for (const std::string& item : leftOver) {
        text += "\r\n" + item;
    }
    MessageBoxA(nullptr, text.c_str(), Caption, MB_OK | MB_ICONWARNING);
    return 2;
}

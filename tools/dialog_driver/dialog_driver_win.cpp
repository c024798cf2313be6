#include "dialog_driver_win.h"

#include <cctype>
#include <cstdlib>
#include <set>

namespace driver {

namespace {

// A window of another process answers only from its own message loop.
constexpr UINT SendTimeoutMs = 5000;

struct Collected {
    DWORD ProcessId;
    std::vector<HWND> Windows;
};

// A named CALLBACK, not a lambda: the 32-bit build needs the stdcall convention.
BOOL CALLBACK CollectVisible(HWND window, LPARAM data) {
    auto& collected = *reinterpret_cast<Collected*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((collected.ProcessId == 0 || owner == collected.ProcessId) && IsWindowVisible(window)) {
        collected.Windows.push_back(window);
    }
    return TRUE;
}

std::set<std::string> FileNames(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

}  // namespace

std::string Caption(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string WindowClass(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Text(HWND window) {
    std::vector<char> text(8192);  // room for the agreement
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             SendTimeoutMs, &length)) {
        return NoAnswer;
    }
    return std::string(text.data(), length < text.size() ? length : 0);
}

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item ? Text(item) : "<no control " + std::to_string(id) + ">";
}

std::vector<HWND> VisibleWindows(DWORD processId) {
    Collected collected{processId, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&collected));
    return collected.Windows;
}

HWND FindWindowOf(DWORD processId, const char* className, const char* caption, HWND skip, bool enabledOnly) {
    for (HWND window : VisibleWindows(processId)) {
        if (window != skip && (!enabledOnly || IsWindowEnabled(window)) && WindowClass(window) == className &&
            (caption == nullptr || Caption(window) == caption)) {
            return window;
        }
    }
    return nullptr;
}

bool Press(HWND dialog, int id) {
    const auto button = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), button) != FALSE;
}

bool AwaitGone(HWND window, DWORD timeoutMs) {
    for (const DWORD asked = GetTickCount(); IsWindow(window) && IsWindowVisible(window); Sleep(20)) {
        if (GetTickCount() - asked > timeoutMs) return false;
    }
    return true;
}

std::string InsertDisk(const std::string& folder, DWORD timeoutMs) {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr) return "WINEPREFIX is not set: drive A: is Wine's";
    // The link, relative, goes through the prefix's own link of the
    // folder's drive ("z:" is the Unix root).
    if (folder.size() < 2 || folder[1] != ':') return folder + " is no path on a drive";
    const std::string dir = folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
    std::string target = dir;
    for (char& c : target) c = c == '\\' ? '/' : c;
    target[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(target[0])));
    const std::string ln = "Z:\\bin\\ln -sfn \"" + target + "\" \"" + prefix + "/dosdevices/a:\"";
    if (WinExec(ln.c_str(), SW_HIDE) <= 31) return "cannot run " + ln;
    const std::set<std::string> wanted = FileNames(dir);
    for (const DWORD asked = GetTickCount(); FileNames("A:") != wanted; Sleep(25)) {
        if (GetTickCount() - asked > timeoutMs) return "drive A: does not show the files of " + folder;
    }
    return "";
}

}  // namespace driver

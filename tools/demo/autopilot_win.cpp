// Walks a setup.exe through its dialogs the way a user accepting every
// default would, for an unattended demo: it finds the setup's dialogs and
// message boxes by caption, presses their buttons with WM_COMMAND, "inserts"
// each further disk by moving its part next to the setup when asked, answers
// Yes to the closing question and closes the started product.
//
//   demo_autopilot SETUP.EXE DISKS_DIR SCREENS_DIR
//
// Before answering each dialog it asks for a screenshot: it creates
// SCREENS_DIR\NN-name.wait and waits (at most 30 s) until the caller, who
// takes the picture of the screen, deletes that file. SCREENS_DIR "-"
// takes no pictures. Exit code 0 when the installation went through and
// the setup ended with 0.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

const DWORD StepTimeoutMs = 30000;
const DWORD RunTimeoutMs = 15 * 60 * 1000;

struct Walk {
    std::string SetupDir;
    std::string DisksDir;
    std::string ScreensDir;
    DWORD ProcessId = 0;
    int Shots = 0;
    bool Finished = false;  // the closing question was answered
    bool Failed = false;
    DWORD Start = GetTickCount();
};

void Log(const Walk& walk, const std::string& text) {
    std::printf("[%6.1f s] %s\n", (GetTickCount() - walk.Start) / 1000.0, text.c_str());
    std::fflush(stdout);
}

std::string Join(const std::string& directory, const std::string& name) {
    if (directory.empty() || directory.back() == '\\') {
        return directory + name;
    }
    return directory + "\\" + name;
}

std::string WindowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ControlText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool HasClass(HWND window, const char* className) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, className) == 0;
}

void Screenshot(Walk& walk, const std::string& name) {
    if (walk.ScreensDir == "-") {
        return;
    }
    char file[32];
    std::snprintf(file, sizeof file, "%02d-", ++walk.Shots);
    const std::string path = Join(walk.ScreensDir, file + name + ".wait");
    HANDLE marker = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) {
        Log(walk, "cannot create " + path);
        return;
    }
    CloseHandle(marker);
    const DWORD asked = GetTickCount();
    while (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - asked > StepTimeoutMs) {
            Log(walk, "nobody took the screenshot " + path);
            DeleteFileA(path.c_str());
            return;
        }
        Sleep(50);
    }
}

// Presses button `id` and waits until the window has gone, so that the
// next dialog found is really the next one.
void Press(HWND window, int id) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    const DWORD pressed = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window) && GetTickCount() - pressed < StepTimeoutMs) {
        Sleep(20);
    }
}

struct Search {
    DWORD ProcessId;
    const char* ClassName;
    HWND Found;
};

BOOL CALLBACK FindEnabled(HWND window, LPARAM context) {
    Search& search = *reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search.ProcessId == 0 || owner == search.ProcessId) && IsWindowVisible(window) && IsWindowEnabled(window) &&
        HasClass(window, search.ClassName)) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

// The dialog or message box the user would answer now: the visible one of
// the setup's process that is not disabled by a box above it.
HWND ActiveDialog(DWORD processId, const char* className = "#32770") {
    Search search = {processId, className, nullptr};
    EnumWindows(FindEnabled, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

void InsertDisk(Walk& walk, int disk) {
    char part[16];
    std::snprintf(part, sizeof part, "Glyphvan.%03d", disk);
    const std::string from = Join(walk.DisksDir, part);
    const std::string to = Join(walk.SetupDir, part);
    if (MoveFileA(from.c_str(), to.c_str())) {
        Log(walk, std::string("inserted disk ") + std::to_string(disk) + " (" + part + ")");
    } else {
        Log(walk, "cannot insert " + from + " as " + to);
    }
}

// Answers one dialog seen for the first time.
void Answer(Walk& walk, HWND dialog) {
    const std::string caption = WindowText(dialog);
    const std::string message = ControlText(dialog, 0xFFFF);
    if (caption == "Destination Directory") {
        Log(walk, "destination dialog, default " + ControlText(dialog, 104));
        Screenshot(walk, "destination");
        Press(dialog, IDOK);
    } else if (caption == "License Agreement") {
        Log(walk, "agreement dialog");
        Screenshot(walk, "agreement");
        Press(dialog, IDOK);
    } else if (caption == "Please Stand By...") {
        const bool unpacking = message.find("Uncompressing") != std::string::npos;
        Log(walk, unpacking ? "unpacking dialog" : "gathering dialog");
        Sleep(250);  // let the bar move before the picture
        Screenshot(walk, unpacking ? "unpacking" : "gathering");
    } else if (caption == "Program Group") {
        Log(walk, "program group dialog, default " + ControlText(dialog, 102));
        Screenshot(walk, "group");
        Press(dialog, IDOK);
    } else if (message.rfind("Please Insert Disk number ", 0) == 0) {
        const int disk = message.back() - '0';
        Log(walk, "prompt: " + message);
        Screenshot(walk, "disk" + std::to_string(disk));
        InsertDisk(walk, disk);
        Press(dialog, IDOK);
    } else if (message.find("successfully installed") != std::string::npos) {
        Log(walk, "closing question, answered Yes");
        Screenshot(walk, "finished");
        walk.Finished = true;
        Press(dialog, IDYES);
    } else if (caption == "Exit Glyphvane") {
        Press(dialog, IDNO);
    } else {
        Log(walk, "unexpected box \"" + caption + "\": " + message);
        Screenshot(walk, "unexpected");
        walk.Failed = true;
        Press(dialog, IDOK);
    }
}

void CloseProduct(Walk& walk) {
    const DWORD asked = GetTickCount();
    while (GetTickCount() - asked < StepTimeoutMs) {
        if (HWND product = ActiveDialog(0, "GlyphvaneDemo")) {
            Sleep(500);
            Log(walk, "the product runs: " + WindowText(product));
            Screenshot(walk, "product");
            PostMessageA(product, WM_CLOSE, 0, 0);
            return;
        }
        Sleep(100);
    }
    Log(walk, "the product's window did not appear");
    walk.Failed = true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: demo_autopilot SETUP.EXE DISKS_DIR SCREENS_DIR|-\n");
        return 1;
    }
    Walk walk;
    const std::string setup = argv[1];
    walk.SetupDir = setup.substr(0, setup.find_last_of('\\') == std::string::npos ? 0 : setup.find_last_of('\\'));
    walk.DisksDir = argv[2];
    walk.ScreensDir = argv[3];

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(setup.begin(), setup.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(setup.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        walk.SetupDir.empty() ? nullptr : walk.SetupDir.c_str(), &startup, &process)) {
        std::fprintf(stderr, "demo_autopilot: cannot start %s (error %lu)\n", setup.c_str(), GetLastError());
        return 2;
    }
    walk.ProcessId = process.dwProcessId;
    Log(walk, "started " + setup);

    std::set<HWND> answered;
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
        if (GetTickCount() - walk.Start > RunTimeoutMs) {
            Log(walk, "the setup did not end in time");
            TerminateProcess(process.hProcess, 3);
            walk.Failed = true;
            break;
        }
        HWND dialog = ActiveDialog(walk.ProcessId);
        if (dialog && answered.insert(dialog).second) {
            Answer(walk, dialog);
        }
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Log(walk, "the setup ended with exit code " + std::to_string(exitCode));
    if (walk.Finished) {
        CloseProduct(walk);
    }
    return walk.Finished && !walk.Failed && exitCode == 0 ? 0 : 1;
}

// Walks a setup.exe through its dialogs the way a user accepting every
// default would, for an unattended demo: it finds the setup's dialogs and
// message boxes by caption, presses their buttons with WM_COMMAND, changes
// the floppy in drive A: when asked, answers Yes to the closing question and
// closes the started product.
//
//   demo_autopilot A:\SETUP.EXE DISKS_DIR SCREENS_DIR
//
// DISKS_DIR holds DISK1 .. DISKn, each the files of one floppy; A: holds
// DISK1 when it starts. A disk is changed as the e2e walks change it: the
// prefix's link of A: is pointed at the disk's folder.
//
// A screenshot of each step: it creates SCREENS_DIR\NN-name.wait and waits
// (at most 30 s) until the caller, who takes the picture of the screen,
// deletes that file; SCREENS_DIR "-" takes no pictures. The setup is held
// (its thread suspended) while a picture is taken. From the gathering on it
// runs in short slices, so that the two copying dialogs are caught with
// their bars part-way however fast the machine is.
//
// Exit code 0 when every phase was seen, the installation went through
// and the setup ended with 0.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

const DWORD StepTimeoutMs = 30000;
const DWORD RunTimeoutMs = 15 * 60 * 1000;
const char ProgramFile[] = "Glyphvane.Exe";
const char ArchiveFile[] = "Glyphvan._TM";

struct Walk {
    std::string DisksDir;
    std::string ScreensDir;
    HANDLE Thread = nullptr;  // the setup's one thread
    DWORD ProcessId = 0;
    int Disks = 0;
    long long FirstPartSize = 0;
    long long ArchiveSize = 0;   // all parts
    long long DecodedTotal = 0;  // from the member table at the end of setup.exe
    std::string Destination;     // as the destination dialog proposed it
    HWND Gathering = nullptr;
    bool Slicing = false;
    std::set<std::string> Seen;  // the steps shot
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

// Read without a message, so it works while the setup is held.
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

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// DecodedTotal, the last four bytes of a setup.exe that gvdist packed.
long long DecodedTotalOf(const std::string& setup) {
    HANDLE file = CreateFileA(setup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    unsigned char last[4] = {};
    DWORD read = 0;
    const bool got = file != INVALID_HANDLE_VALUE && SetFilePointer(file, -4, nullptr, FILE_END) != 0xFFFFFFFF &&
                     ReadFile(file, last, 4, &read, nullptr) && read == 4;
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return got ? last[0] | last[1] << 8 | last[2] << 16 | static_cast<long long>(last[3]) << 24 : -1;
}

void Hold(const Walk& walk) { SuspendThread(walk.Thread); }
void Release(const Walk& walk) { ResumeThread(walk.Thread); }

// Pictures the screen with the setup held; `held` when it is held already.
void Screenshot(Walk& walk, const std::string& name, bool held = false) {
    walk.Seen.insert(name);
    if (walk.ScreensDir == "-") {
        return;
    }
    char file[32];
    std::snprintf(file, sizeof file, "%02d-", ++walk.Shots);
    const std::string path = Join(walk.ScreensDir, file + name + ".wait");
    HANDLE marker = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) {
        Log(walk, "cannot create " + path);
        walk.Failed = true;
        return;
    }
    CloseHandle(marker);
    if (!held) {
        Hold(walk);
    }
    const DWORD asked = GetTickCount();
    while (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - asked > StepTimeoutMs) {
            Log(walk, "nobody took the screenshot " + path);
            DeleteFileA(path.c_str());
            walk.Failed = true;
            break;
        }
        Sleep(20);
    }
    if (!held) {
        Release(walk);
    }
}

// Waits until `dialog` and its controls have painted themselves, so that a
// held setup shows them whole.
void AwaitPainted(HWND dialog) {
    const DWORD asked = GetTickCount();
    for (;;) {
        bool pending = GetUpdateRect(dialog, nullptr, FALSE) != FALSE;
        for (HWND child = GetWindow(dialog, GW_CHILD); child && !pending; child = GetWindow(child, GW_HWNDNEXT)) {
            pending = GetUpdateRect(child, nullptr, FALSE) != FALSE;
        }
        if (!pending || GetTickCount() - asked > StepTimeoutMs) {
            break;
        }
        Sleep(20);
    }
    // What is painted reaches the X server when the setup next waits for input.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, StepTimeoutMs, &ignored);
    Sleep(100);
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
    const char* Caption;  // nullptr: any
    HWND Skip;
    HWND Found;
};

BOOL CALLBACK FindEnabled(HWND window, LPARAM context) {
    Search& search = *reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search.ProcessId == 0 || owner == search.ProcessId) && window != search.Skip && IsWindowVisible(window) &&
        IsWindowEnabled(window) && HasClass(window, search.ClassName) &&
        (!search.Caption || WindowText(window) == search.Caption)) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

// The dialog or message box the user would answer now: the visible one of
// the setup's process that is not disabled by a box above it.
HWND ActiveDialog(DWORD processId, const char* className = "#32770", const char* caption = nullptr,
                  HWND skip = nullptr) {
    Search search = {processId, className, caption, skip, nullptr};
    EnumWindows(FindEnabled, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// Puts disk `disk` into drive A:, as a user changes floppies: the prefix's
// link of A: now points at the disk's folder. Wine looks at a drive again
// only now and then, so the drive tells when the new disk is in.
bool InsertDisk(Walk& walk, int disk) {
    char prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH)) {
        Log(walk, "WINEPREFIX is not set: drive A: is Wine's");
        return false;
    }
    const std::string folder = Join(walk.DisksDir, "DISK" + std::to_string(disk));
    std::string target = folder.substr(folder.find(':') + 1);  // Z: is the Unix root
    for (char& c : target) {
        c = c == '\\' ? '/' : c;
    }
    const std::string command = "Z:\\bin\\ln -sfn \"" + target + "\" \"" + prefix + "/dosdevices/a:\"";
    if (WinExec(command.c_str(), SW_HIDE) <= 31) {
        Log(walk, "cannot run " + command);
        return false;
    }
    WIN32_FIND_DATAA found;
    const std::string part = Join(folder, "*.00" + std::to_string(disk));
    HANDLE search = FindFirstFileA(part.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        Log(walk, "disk " + std::to_string(disk) + " holds no part: " + part);
        return false;
    }
    FindClose(search);
    const std::string onDrive = std::string("A:\\") + found.cFileName;
    for (DWORD asked = GetTickCount(); GetTickCount() - asked < StepTimeoutMs; Sleep(25)) {
        if (GetFileAttributesA(onDrive.c_str()) != INVALID_FILE_ATTRIBUTES) {
            Log(walk, "inserted disk " + std::to_string(disk) + " (" + found.cFileName + ")");
            return true;
        }
    }
    Log(walk, "drive A: does not show disk " + std::to_string(disk));
    return false;
}

// With the setup held between slices: a picture of a copying dialog once
// its file is part-way, between a quarter and three quarters.
void ShootCopyingPartWay(Walk& walk) {
    if (!walk.Seen.count("gathering") && walk.Gathering && IsWindowEnabled(walk.Gathering)) {
        // Not at the end of a part, where it waits for the next disk.
        const long long copied = FileSize(Join(walk.Destination, ArchiveFile));
        if (copied >= walk.ArchiveSize / 10 && copied <= walk.ArchiveSize * 9 / 10 && copied != walk.FirstPartSize) {
            Log(walk, "gathering dialog, " + std::to_string(copied) + " of " + std::to_string(walk.ArchiveSize) +
                          " bytes joined");
            Screenshot(walk, "gathering", true);
        }
    }
    if (!walk.Seen.count("unpacking") && ActiveDialog(walk.ProcessId, "#32770", "Please Stand By...", walk.Gathering)) {
        const long long decoded = FileSize(Join(walk.Destination, ProgramFile));
        if (decoded >= walk.DecodedTotal / 4 && decoded <= walk.DecodedTotal * 3 / 4) {
            Log(walk, "unpacking dialog, " + std::to_string(decoded) + " of " + std::to_string(walk.DecodedTotal) +
                          " bytes decoded");
            Screenshot(walk, "unpacking", true);
        }
    }
}

// Answers one dialog seen for the first time; the setup runs.
void Answer(Walk& walk, HWND dialog) {
    const std::string caption = WindowText(dialog);
    const std::string message = ControlText(dialog, 0xFFFF);
    if (caption == "Destination Directory") {
        walk.Destination = ControlText(dialog, 104);
        Log(walk, "destination dialog, default " + walk.Destination);
        AwaitPainted(dialog);
        Screenshot(walk, "destination");
        Press(dialog, IDOK);
    } else if (caption == "License Agreement") {
        Log(walk, "agreement dialog");
        AwaitPainted(dialog);
        Screenshot(walk, "agreement");
        Press(dialog, IDOK);
        walk.Slicing = true;  // the gathering comes next
    } else if (caption == "Please Stand By...") {
        const bool unpacking = message.find("Uncompressing") != std::string::npos;
        Log(walk, unpacking ? "unpacking dialog" : "gathering dialog");
        if (!unpacking) {
            walk.Gathering = dialog;
        }
    } else if (caption == "Program Group") {
        walk.Slicing = false;
        Log(walk, "program group dialog, default " + ControlText(dialog, 102));
        AwaitPainted(dialog);
        Screenshot(walk, "group");
        Press(dialog, IDOK);
    } else if (message.rfind("Please Insert Disk number ", 0) == 0) {
        const int disk = message.back() - '0';
        Log(walk, "prompt: " + message);
        AwaitPainted(dialog);
        Screenshot(walk, "disk" + std::to_string(disk));
        if (!InsertDisk(walk, disk)) {
            walk.Failed = true;
        }
        Press(dialog, IDOK);
    } else if (message.find("successfully installed") != std::string::npos) {
        Log(walk, "closing question, answered Yes");
        AwaitPainted(dialog);
        Screenshot(walk, "finished");
        walk.Finished = true;
        Press(dialog, IDYES);
    } else {
        Log(walk, "unexpected box \"" + caption + "\": " + message);
        AwaitPainted(dialog);
        Screenshot(walk, "unexpected");
        walk.Failed = true;
        Press(dialog, caption.rfind("Exit ", 0) == 0 ? IDNO : IDOK);
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

// The disks DISK1 .. DISKn in `disksDir` and the size of all their parts.
int CountDisks(const std::string& disksDir, long long& archiveSize) {
    int disks = 0;
    for (;; ++disks) {
        const std::string disk = Join(disksDir, "DISK" + std::to_string(disks + 1));
        const DWORD attributes = GetFileAttributesA(disk.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return disks;
        }
        WIN32_FIND_DATAA part;
        HANDLE search = FindFirstFileA(Join(disk, "*.00" + std::to_string(disks + 1)).c_str(), &part);
        if (search != INVALID_HANDLE_VALUE) {
            archiveSize += (static_cast<long long>(part.nFileSizeHigh) << 32) | part.nFileSizeLow;
            FindClose(search);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: demo_autopilot A:\\SETUP.EXE DISKS_DIR SCREENS_DIR|-\n");
        return 1;
    }
    Walk walk;
    const std::string setup = argv[1];
    const std::string setupDir = setup.substr(0, setup.find_last_of('\\') + 1);
    walk.DisksDir = argv[2];
    walk.ScreensDir = argv[3];
    walk.Disks = CountDisks(walk.DisksDir, walk.ArchiveSize);
    walk.FirstPartSize = FileSize(Join(setupDir, "Glyphvan.001"));
    walk.DecodedTotal = DecodedTotalOf(setup);
    if (walk.Disks == 0 || walk.FirstPartSize <= 0 || walk.DecodedTotal <= 0) {
        std::fprintf(stderr, "demo_autopilot: %s is no packed distribution's first disk, or %s holds no DISK1\n",
                     setup.c_str(), walk.DisksDir.c_str());
        return 1;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(setup.begin(), setup.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(setup.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        setupDir.empty() ? nullptr : setupDir.c_str(), &startup, &process)) {
        std::fprintf(stderr, "demo_autopilot: cannot start %s (error %lu)\n", setup.c_str(), GetLastError());
        return 2;
    }
    walk.ProcessId = process.dwProcessId;
    walk.Thread = process.hThread;
    Log(walk, "started " + setup + ", " + std::to_string(walk.Disks) + " disks");

    // While slicing, the setup is held between the slices and runs only
    // for its slice and while a dialog is answered.
    std::set<HWND> answered;
    for (;;) {
        if (walk.Slicing) {
            Release(walk);
            Sleep(1);
            Hold(walk);
            ShootCopyingPartWay(walk);
        }
        if (WaitForSingleObject(process.hProcess, walk.Slicing ? 0 : 50) != WAIT_TIMEOUT) {
            break;
        }
        if (GetTickCount() - walk.Start > RunTimeoutMs) {
            Log(walk, "the setup did not end in time");
            TerminateProcess(process.hProcess, 3);
            walk.Failed = true;
            break;
        }
        HWND dialog = ActiveDialog(walk.ProcessId);
        if (!dialog || !answered.insert(dialog).second) {
            continue;
        }
        if (walk.Slicing) {
            Release(walk);
        }
        Answer(walk, dialog);
        if (walk.Slicing) {
            Hold(walk);
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
    for (const char* step : {"destination", "agreement", "gathering", "unpacking", "group", "finished", "product"}) {
        if (walk.ScreensDir != "-" && !walk.Seen.count(step)) {
            Log(walk, std::string("no picture of the ") + step + " step");
            walk.Failed = true;
        }
    }
    return walk.Finished && !walk.Failed && exitCode == 0 ? 0 : 1;
}

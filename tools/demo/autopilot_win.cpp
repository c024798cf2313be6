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

#include "archive/file_handle_win.h"
#include "archive/member_table.h"
#include "dialog_driver_win.h"

namespace {

const DWORD StepTimeoutMs = 30000;
const DWORD RunTimeoutMs = 15 * 60 * 1000;
const char ProgramFile[] = "Glyphvane.Exe";
const char ArchiveFile[] = "Glyphvan._TM";
const char StandBy[] = "Please Stand By...";

struct Walk {
    std::string Setup;
    std::string DisksDir;
    std::string ScreensDir;
    FileHandle Process;
    FileHandle Thread;  // the setup's one thread
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

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Hold(const Walk& walk) { SuspendThread(walk.Thread.Get()); }
void Release(const Walk& walk) { ResumeThread(walk.Thread.Get()); }

// The dialog or message box the user would answer now: the visible one of
// the setup's process that is not disabled by a box above it.
HWND ActiveDialog(const Walk& walk, const char* caption = nullptr, HWND skip = nullptr) {
    return driver::FindWindowOf(walk.ProcessId, driver::DialogClass, caption, skip, true);
}

// Presses button `id` and waits until the window has gone, so that the
// next dialog found is really the next one.
void Press(Walk& walk, HWND window, int id) {
    if (!driver::Press(window, id) || !driver::AwaitGone(window, StepTimeoutMs)) {
        Log(walk, "\"" + driver::Caption(window) + "\" does not close");
        walk.Failed = true;
    }
}

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

// Puts disk `disk` into drive A:, as a user changes floppies.
bool InsertDisk(Walk& walk, int disk) {
    const std::string fault = driver::InsertDisk(Join(walk.DisksDir, "DISK" + std::to_string(disk)), StepTimeoutMs);
    Log(walk, fault.empty() ? "inserted disk " + std::to_string(disk) : fault);
    return fault.empty();
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
    if (!walk.Seen.count("unpacking") && ActiveDialog(walk, StandBy, walk.Gathering)) {
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
    const std::string caption = driver::Caption(dialog);
    const std::string message = driver::ItemText(dialog, 0xFFFF);
    if (caption == "Destination Directory") {
        walk.Destination = driver::ItemText(dialog, 104);
        Log(walk, "destination dialog, default " + walk.Destination);
        AwaitPainted(dialog);
        Screenshot(walk, "destination");
        Press(walk, dialog, IDOK);
    } else if (caption == "License Agreement") {
        Log(walk, "agreement dialog");
        AwaitPainted(dialog);
        Screenshot(walk, "agreement");
        Press(walk, dialog, IDOK);
        walk.Slicing = true;  // the gathering comes next
    } else if (caption == StandBy) {
        const bool unpacking = message.find("Uncompressing") != std::string::npos;
        Log(walk, unpacking ? "unpacking dialog" : "gathering dialog");
        if (!unpacking) {
            walk.Gathering = dialog;
        }
    } else if (caption == "Program Group") {
        walk.Slicing = false;
        Log(walk, "program group dialog, default " + driver::ItemText(dialog, 102));
        AwaitPainted(dialog);
        Screenshot(walk, "group");
        Press(walk, dialog, IDOK);
    } else if (message.rfind("Please Insert Disk number ", 0) == 0) {
        const int disk = message.back() - '0';
        Log(walk, "prompt: " + message);
        AwaitPainted(dialog);
        Screenshot(walk, "disk" + std::to_string(disk));
        if (!InsertDisk(walk, disk)) {
            walk.Failed = true;
        }
        Press(walk, dialog, IDOK);
    } else if (message.find("successfully installed") != std::string::npos) {
        Log(walk, "closing question, answered Yes");
        AwaitPainted(dialog);
        Screenshot(walk, "finished");
        walk.Finished = true;
        Press(walk, dialog, IDYES);
    } else {
        Log(walk, "unexpected box \"" + caption + "\": " + message);
        AwaitPainted(dialog);
        Screenshot(walk, "unexpected");
        walk.Failed = true;
        Press(walk, dialog, caption.rfind("Exit ", 0) == 0 ? IDNO : IDOK);
    }
}

void CloseProduct(Walk& walk) {
    const DWORD asked = GetTickCount();
    while (GetTickCount() - asked < StepTimeoutMs) {
        if (HWND product = driver::FindWindowOf(0, "GlyphvaneDemo", nullptr)) {
            Sleep(500);
            Log(walk, "the product runs: " + driver::Caption(product));
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

// The distribution the walk installs: false when `setup` is no packed
// first disk or the disks' folder holds no DISK1.
bool ReadDistribution(Walk& walk) {
    const std::string setupDir = walk.Setup.substr(0, walk.Setup.find_last_of('\\') + 1);
    walk.Disks = CountDisks(walk.DisksDir, walk.ArchiveSize);
    walk.FirstPartSize = FileSize(Join(setupDir, "Glyphvan.001"));
    MemberTable table;
    walk.DecodedTotal = ReadMemberTableFile(walk.Setup, table) ? 0 : table.DecodedTotal;
    return walk.Disks > 0 && walk.FirstPartSize > 0 && walk.DecodedTotal > 0;
}

bool StartSetup(Walk& walk) {
    const std::string setupDir = walk.Setup.substr(0, walk.Setup.find_last_of('\\') + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(walk.Setup.begin(), walk.Setup.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(walk.Setup.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        setupDir.empty() ? nullptr : setupDir.c_str(), &startup, &process)) {
        std::fprintf(stderr, "demo_autopilot: cannot start %s (error %lu)\n", walk.Setup.c_str(), GetLastError());
        return false;
    }
    walk.Process = FileHandle(process.hProcess);
    walk.Thread = FileHandle(process.hThread);
    walk.ProcessId = process.dwProcessId;
    Log(walk, "started " + walk.Setup + ", " + std::to_string(walk.Disks) + " disks");
    return true;
}

// Answers each new dialog until the setup ends. While slicing, the setup is
// held between the slices and runs only for its slice and while a dialog
// is answered.
void AnswerUntilEnd(Walk& walk) {
    std::set<HWND> answered;
    for (;;) {
        if (walk.Slicing) {
            Release(walk);
            Sleep(1);
            Hold(walk);
            ShootCopyingPartWay(walk);
        }
        if (WaitForSingleObject(walk.Process.Get(), walk.Slicing ? 0 : 50) != WAIT_TIMEOUT) {
            return;
        }
        if (GetTickCount() - walk.Start > RunTimeoutMs) {
            Log(walk, "the setup did not end in time");
            TerminateProcess(walk.Process.Get(), 3);
            walk.Failed = true;
            return;
        }
        HWND dialog = ActiveDialog(walk);
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
}

// Every step pictured, unless no pictures were asked for.
void CheckEveryStepShot(Walk& walk) {
    for (const char* step : {"destination", "agreement", "gathering", "unpacking", "group", "finished", "product"}) {
        if (walk.ScreensDir != "-" && !walk.Seen.count(step)) {
            Log(walk, std::string("no picture of the ") + step + " step");
            walk.Failed = true;
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
    walk.Setup = argv[1];
    walk.DisksDir = argv[2];
    walk.ScreensDir = argv[3];
    if (!ReadDistribution(walk)) {
        std::fprintf(stderr, "demo_autopilot: %s is no packed distribution's first disk, or %s holds no DISK1\n",
                     walk.Setup.c_str(), walk.DisksDir.c_str());
        return 1;
    }
    if (!StartSetup(walk)) {
        return 2;
    }
    AnswerUntilEnd(walk);
    DWORD exitCode = 0;
    GetExitCodeProcess(walk.Process.Get(), &exitCode);
    Log(walk, "the setup ended with exit code " + std::to_string(exitCode));
    if (walk.Finished) {
        CloseProduct(walk);
    }
    CheckEveryStepShot(walk);
    return walk.Finished && !walk.Failed && exitCode == 0 ? 0 : 1;
}

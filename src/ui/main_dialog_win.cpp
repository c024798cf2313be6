#include <windows.h>

#include <cstdint>

#include "archive/member_list_win.h"
#include "archive/naming.h"
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
bool ReadStringValue(HKEY key, const char* name, std::string& value) {
    Fault ignored;
    return key && TryReadRegString(key, name, value, ignored);
}

std::string ReadStringOrEmpty(HKEY key, const char* name) {
    std::string value;
    return ReadStringValue(key, name, value) ? value : std::string();
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
    return ReadStringValue(current.get(), "ProgramFilesDir", dir) ? dir : std::string(FallbackProgramFilesDir);
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

// A drive's free bytes and cluster size; false when the system cannot tell.
bool DriveRoom(char drive, std::uint64_t& freeBytes, std::uint32_t& cluster) {
    const char root[] = {drive, ':', '\\', '\0'};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return false;
    cluster = sectorsPerCluster * bytesPerSector;
    freeBytes = static_cast<std::uint64_t>(freeClusters) * cluster;
    return true;
}

// Free-space figures can be wrong on compressed and network drives: the
// user may go on anyway.
bool GoOnWith(HWND dialog, bool known, char drive, std::uint64_t needed, std::uint64_t freeBytes) {
    if (!known || needed <= freeBytes) return true;
    const std::string question = LowSpaceMessage(drive, needed, freeBytes);
    return MessageBoxA(dialog, question.c_str(), ProductName, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

// Asked before the first disk rather than found out after the last one.
// A table that does not load is the gathering's to report.
bool RoomAccepted(HWND dialog) {
    if (LoadMemberTable()) return true;
    const char destination = DestDir[0];
    const char windows = WindowsDir[1] == ':' ? UpperAscii(std::string(1, WindowsDir[0]))[0] : destination;
    std::uint64_t destinationFree = 0, helpFree = 0;
    std::uint32_t destinationCluster = 0, helpCluster = 0;
    const bool destinationKnown = DriveRoom(destination, destinationFree, destinationCluster);
    const bool helpKnown = windows != destination && DriveRoom(windows, helpFree, helpCluster);
    const RoomNeeded room =
        RoomNeededFor(ArchiveSize, MemberList, DecodedTotal, windows == destination, destinationCluster, helpCluster);
    return GoOnWith(dialog, destinationKnown, destination, room.Destination, destinationFree) &&
           GoOnWith(dialog, helpKnown, windows, room.Help, helpFree);
}

void OnOk(HWND dialog) {
    // Kept even when rejected: a cancel after this cleans up from here.
    DestDir = ReadFieldText(dialog, IDC_DEST_DIR);
    if (DestinationFormValid(DestDir) && EnsureDestDir(DestDir) && RoomAccepted(dialog)) EndDialog(dialog, 1);
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

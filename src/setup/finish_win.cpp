#include "setup/finish_win.h"

#include <windows.h>

#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "setup/globals.h"
#include "setup/registry_win.h"
#include "util/paths.h"

namespace {

const char ExplorerKey[] = "Software\\microsoft\\windows\\currentversion\\explorer";
const char UninstallKey[] = "Software\\microsoft\\windows\\currentversion\\uninstall";

// The link path goes to IPersistFile as UTF-16 in a fixed buffer.
constexpr int LinkPathChars = 255;

// The user's Programs folder as Explorer records it, or "" when it is not
// recorded (the shortcut then lands in the current directory).
std::string ProgramsFolder() {
    std::string folder;
    TRegKey explorer = TryCreateRegKey(HKEY_CURRENT_USER, ExplorerKey);
    if (!explorer) {
        return folder;
    }
    TRegKey shellFolders = OpenRegKey(explorer.get(), "Shell Folders");
    if (shellFolders && !ReadRegString(shellFolders.get(), "programs", folder)) {
        folder.clear();
    }
    return folder;
}

// At most LinkPathChars - 1 characters and a zero; a path that does not
// fit gives an empty result rather than a cut one.
bool ToWide(const std::string& path, wchar_t (&wide)[LinkPathChars]) {
    const int converted = path.empty() ? 0
                                       : MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                                             wide, LinkPathChars - 1);
    wide[converted] = L'\0';
    return converted > 0;
}

template <typename Interface>
void Release(Interface*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

void WriteUninstallValue(HKEY uninstall, const char* name, const std::string& value) {
    TRegKey created = CreateRegKey(uninstall, ProductName);
    TRegKey product = OpenRegKey(uninstall, ProductName);
    WriteRegString(product ? product.get() : created.get(), name, value);
}

}  // namespace

bool MakeShortcut() {
    const std::string folder = ProgramsFolder();
    CoInitialize(nullptr);  // COM stays initialised to the end of the process

    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    bool filled = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                             reinterpret_cast<void**>(&link)));
    filled = filled && SUCCEEDED(link->SetPath(PathJoin(DestDir, ProgramFile).c_str())) &&
             SUCCEEDED(link->SetWorkingDirectory(DestDir.c_str())) && SUCCEEDED(link->SetShowCmd(SW_SHOWNORMAL)) &&
             SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));

    GroupName += ".LNK";
    wchar_t linkPath[LinkPathChars];
    const bool saved =
        ToWide(PathJoin(folder, GroupName), linkPath) && filled && SUCCEEDED(file->Save(linkPath, FALSE));
    Release(file);
    Release(link);
    return saved;
}

void WriteUninstallEntry() {
    // Touching the per-user list first creates it where it is missing.
    TryCreateRegKey(HKEY_CURRENT_USER, UninstallKey);

    TRegKey uninstall = TryCreateRegKey(HKEY_LOCAL_MACHINE, UninstallKey);
    if (!uninstall) {
        // Without the system's list there is no entry: say so rather than
        // end as if the product could be removed.
        uninstall = CreateRegKey(HKEY_LOCAL_MACHINE, UninstallKey);
    }
    WriteUninstallValue(uninstall.get(), "DisplayName", ProductName);
    WriteUninstallValue(uninstall.get(), "UnInstallString", CommandLineFor(PathJoin(DestDir, UninstallFile)));
}

void QuietDiskErrors() { FoundErrorMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }

void LaunchThroughShell(const std::string& program, const std::string& directory) {
    ShellExecuteA(MainWindow, nullptr, program.c_str(), nullptr, directory.c_str(), SW_SHOW);
}

void RunProduct(ProgramLauncher launch) {
    SetErrorMode(FoundErrorMode);
    launch(PathJoin(DestDir, ProgramFile), DestDir);
}

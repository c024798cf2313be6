// The finishing steps after the program group dialog: the Start menu
// shortcut, the uninstall entry and, on request, starting the product.
#pragma once

#include <string>

// One shortcut to the installed program, named after GroupName (which gets
// ".LNK" appended), directly in the user's Programs folder. False when the
// link could not be made or saved.
bool MakeShortcut();

// "DisplayName" and "UnInstallString" under the product's key of the
// system's uninstall list (HKEY_LOCAL_MACHINE). Registry failures raise.
void WriteUninstallEntry();

// While the setup reads the disks, a drive without its disk fails the call
// that asked: the setup's own disk prompt and wrong-disk message answer it,
// not the system's box. Keeps the mode found in FoundErrorMode.
void QuietDiskErrors();

// Starts a program in a directory and does not wait for it.
using ProgramLauncher = void (*)(const std::string& program, const std::string& directory);
void LaunchThroughShell(const std::string& program, const std::string& directory);

// Starts the installed program with the error mode the setup found, as the
// user's system has it (a started process inherits the mode).
void RunProduct(ProgramLauncher launch = LaunchThroughShell);

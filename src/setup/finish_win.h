// The finishing steps after the program group dialog: the Start menu
// shortcut, the uninstall entry and, on request, starting the product.
#pragma once

// One shortcut to the installed program, named after GroupName (which gets
// ".LNK" appended), directly in the user's Programs folder.
void MakeShortcut();

// "DisplayName" and "UnInstallString" under the product's key of the
// system's uninstall list (HKEY_LOCAL_MACHINE). Registry failures raise.
void WriteUninstallEntry();

// Starts the installed program through the shell and does not wait for it.
void RunProduct();

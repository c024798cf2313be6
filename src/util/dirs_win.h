// Whether a drive or directory is there, asked of the file system.
#pragma once

#include <string>

// True when `letter` (either case, in the ANSI code page) names a drive
// whose root exists. Characters that are no letter A to Z after upper-casing
// give false without asking the system.
bool DriveValid(char letter);

// True when `path` names an existing directory. A path with wildcards tests
// its directory part; paths of up to three characters ("C:", "C:\", "C:x")
// test only their drive; one trailing backslash is ignored.
bool DirExists(const std::string& path);

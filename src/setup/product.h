// The product a distribution carries: the names of its files and how many
// disks it may span. Portable and free of the setup's state, so gvdist packs
// and reads with the names the setup looks for. The names are defined in
// globals.cpp with the setup's other texts.
#pragma once

#include <cstdint>

extern const char ProductName[];    // "Glyphvane"
extern const char ProgramFile[];    // "Glyphvane.Exe"
extern const char FirstPartFile[];  // "Glyphvan.001"
extern const char ArchiveFile[];    // "Glyphvan._TM"
extern const char UninstallFile[];  // "UnInstal.Exe"

// The distribution a setup.exe serves until gvdist pack stamps it (see
// stamp.h): the number of archive parts (disks) and their total size.
constexpr int ProductDiskCount = 3;
constexpr int MaxDiskCount = 4;  // the setup asks for parts 2 to 4 only
constexpr std::int32_t ProductArchiveSize = 3675000;

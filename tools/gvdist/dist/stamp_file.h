// The distribution's stamp in a setup.exe's bytes: found, read and written
// by gvdist (the setup itself only reads its own copy).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dist/manifest.h"

struct StampValues {
    std::int64_t DiskCount = 0;
    std::int64_t ArchiveSize = 0;
    // The size and CRC-32 of each part and the decoded stream's CRC-32,
    // where the stamp records them for these counts.
    bool HasChecks = false;
    std::vector<ManifestPart> Parts;
    std::uint32_t DecodedCrc = 0;
};

// Where the stamp of `setup` starts: the start of its stamp section, found
// through the PE headers. Throws DataError, naming `name`, when the file is
// not a PE image, has no stamp section or one that holds no stamp.
std::size_t FindTheStamp(const std::vector<std::uint8_t>& setup, const std::string& name);

// The same for the setup.exe of a distribution, which may have been packed
// before the stamp had a section of its own: there the stamp is found where
// its magic occurs, if it occurs once, so such distributions still read.
std::size_t FindStampOfPackedSetup(const std::vector<std::uint8_t>& setup, const std::string& name);

// Whether the stamp section of `setup` has room for the checks: a setup
// built before them has room for the counts alone.
bool StampHoldsChecks(const std::vector<std::uint8_t>& setup, const std::string& name);

StampValues ReadStamp(const std::vector<std::uint8_t>& setup, std::size_t at);

// Writes the values, and the checks when they have them, into the stamp at
// `at`. Throws DataError when they cannot serve a setup.
void WriteStamp(std::vector<std::uint8_t>& setup, std::size_t at, const StampValues& values);

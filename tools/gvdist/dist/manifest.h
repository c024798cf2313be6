// gvdist.txt, the manifest pack writes beside setup.exe of what the parts
// must hold, so that verify can tell a damaged part from a good one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

extern const char ManifestFileName[];  // "gvdist.txt"

struct ManifestPart {
    std::uint64_t Size = 0;
    std::uint32_t Crc = 0;
};

// What setup.exe is stamped with (DiskCount, ArchiveSize) and what the
// parts and the decoded stream must hold; and what else the pack wrote, so
// that the next pack knows what it may replace. A manifest of an older
// gvdist records neither of the last two.
struct DistributionManifest {
    int DiskCount = 0;
    std::uint64_t ArchiveSize = 0;
    std::int64_t DecodedTotal = 0;
    std::uint32_t DecodedCrc = 0;
    std::vector<ManifestPart> Parts;
    std::optional<ManifestPart> Setup;  // the setup.exe written, the same in DISK1
    std::vector<ManifestPart> Images;   // glyphvane-disk1.img ..., when made
};

std::string FormatManifest(const DistributionManifest& manifest);
// Throws DataError naming the line that cannot be understood.
DistributionManifest ParseManifest(const std::string& text);

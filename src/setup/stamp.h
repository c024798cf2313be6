// The stamp in setup.exe that tells the distribution it serves: gvdist
// pack writes the disk count and the archive size of what it packs into the
// copy of setup.exe it ships, so one prebuilt setup.exe serves every
// distribution. The stamp fills the start of a PE section of its own,
// StampSection, which gvdist finds through the image's headers: any build
// of the setup, stripped or not, carries it exactly once. Integers are
// little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A macro, for the section attribute that places the stamp.
#define GV_STAMP_SECTION ".gvstamp"
constexpr char StampSection[] = GV_STAMP_SECTION;

constexpr std::size_t StampMagicSize = 12;
constexpr char StampMagic[StampMagicSize + 1] = "\x1AGvDiskStamp";

struct DistributionStamp {
    char Magic[StampMagicSize];
    std::int32_t DiskCount;
    std::int32_t ArchiveSize;
};
constexpr std::size_t StampSize = sizeof(DistributionStamp);
static_assert(StampSize == StampMagicSize + 8, "the stamp has no padding");

constexpr DistributionStamp MakeStamp(std::int32_t diskCount, std::int32_t archiveSize) {
    DistributionStamp stamp{};
    for (std::size_t i = 0; i < StampMagicSize; ++i) {
        stamp.Magic[i] = StampMagic[i];
    }
    stamp.DiskCount = diskCount;
    stamp.ArchiveSize = archiveSize;
    return stamp;
}

// Why a setup stamped with these values cannot gather its archive, or "".
std::string StampFault(std::int64_t diskCount, std::int64_t archiveSize);

// Reads the stamp of this setup executable into DiskCount and ArchiveSize.
// Only setup executables carry the stamp (setup/stamp_section.cpp).
void LoadDistributionStamp();

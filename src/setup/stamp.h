// The stamp in setup.exe that tells the distribution it serves: gvdist
// pack writes the disk count and the archive size of what it packs into the
// copy of setup.exe it ships, so one prebuilt setup.exe serves every
// distribution. The stamp fills the start of a PE section of its own,
// StampSection, which gvdist finds through the image's headers: any build
// of the setup, stripped or not, carries it exactly once. Integers are
// little-endian.
//
// Behind the magic and the two counts, where a packer that knows only them
// writes them, gvdist records each part's size and CRC-32 and the CRC-32 of
// the decoded stream, so a damaged disk is found before it is installed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/product.h"
#include "util/fault.h"

// A macro, for the section attribute that places the stamp.
#define GV_STAMP_SECTION ".gvstamp"
constexpr char StampSection[] = GV_STAMP_SECTION;

constexpr std::size_t StampMagicSize = 12;
constexpr char StampMagic[StampMagicSize + 1] = "\x1AGvDiskStamp";

struct PartCheck {
    std::uint32_t Size;
    std::uint32_t Crc;
};

// CheckedParts is 0 in a record without checks: an unstamped build, or one
// whose counts another packer wrote.
struct DistributionChecks {
    std::int32_t CheckedParts;
    PartCheck Parts[MaxDiskCount];
    std::uint32_t DecodedCrc;
};

struct DistributionStamp {
    char Magic[StampMagicSize];
    std::int32_t DiskCount;
    std::int32_t ArchiveSize;
    DistributionChecks Checks;
};
// The magic and the counts: all that a setup built before the checks holds.
constexpr std::size_t StampCountsSize = StampMagicSize + 8;
constexpr std::size_t StampSize = sizeof(DistributionStamp);
static_assert(StampSize == StampCountsSize + 8 + 8 * MaxDiskCount, "the stamp has no padding");

constexpr DistributionStamp MakeStamp(std::int32_t diskCount, std::int32_t archiveSize) {
    DistributionStamp stamp{};
    for (std::size_t i = 0; i < StampMagicSize; ++i) {
        stamp.Magic[i] = StampMagic[i];
    }
    stamp.DiskCount = diskCount;
    stamp.ArchiveSize = archiveSize;
    return stamp;
}

// True when `checks` cover exactly the parts that the counts stamp. A
// packer that wrote new counts into a setup.exe stamped before leaves
// checks of other parts behind, which must not refuse good disks.
bool ChecksServe(const DistributionChecks& checks, std::int64_t diskCount, std::int64_t archiveSize);

// Whether part `k` (1 to 4), `size` bytes whose CRC-32 is `crc`, and the
// decoded stream are what `checks` record; always so where they record
// nothing.
bool PartIsSound(const DistributionChecks& checks, int k, std::int64_t size, std::uint32_t crc);
bool DecodedIsSound(const DistributionChecks& checks, std::uint32_t crc);

// Why a setup stamped with these values cannot gather its archive, if it
// cannot.
Fault StampFault(std::int64_t diskCount, std::int64_t archiveSize);

// The checks this setup executable carries; CheckedParts 0 when it carries
// none that serve its counts.
extern DistributionChecks PartChecks;

// Reads the stamp of this setup executable into DiskCount, ArchiveSize and
// PartChecks. Only setup executables carry the stamp (setup/stamp_section.cpp).
void LoadDistributionStamp();

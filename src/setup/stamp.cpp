#include "setup/stamp.h"

#include "setup/product.h"

DistributionChecks PartChecks = {};

bool ChecksServe(const DistributionChecks& checks, std::int64_t diskCount, std::int64_t archiveSize) {
    if (checks.CheckedParts != diskCount || diskCount < 1 || diskCount > MaxDiskCount) {
        return false;
    }
    std::int64_t total = 0;
    for (int k = 0; k < diskCount; ++k) {
        total += checks.Parts[k].Size;
    }
    return total == archiveSize;
}

bool PartIsSound(const DistributionChecks& checks, int k, std::int64_t size, std::uint32_t crc) {
    if (checks.CheckedParts == 0) {
        return true;
    }
    if (k < 1 || k > checks.CheckedParts) {
        return false;
    }
    return size == checks.Parts[k - 1].Size && crc == checks.Parts[k - 1].Crc;
}

bool DecodedIsSound(const DistributionChecks& checks, std::uint32_t crc) {
    return checks.CheckedParts == 0 || crc == checks.DecodedCrc;
}

Fault StampFault(std::int64_t diskCount, std::int64_t archiveSize) {
    if (diskCount < 1 || diskCount > MaxDiskCount) {
        return "DiskCount " + std::to_string(diskCount) + ", not 1 to " + std::to_string(MaxDiskCount);
    }
    if (archiveSize < 1) {
        return "ArchiveSize " + std::to_string(archiveSize) + ", below 1";
    }
    return {};
}

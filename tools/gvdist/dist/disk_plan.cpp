#include "dist/disk_plan.h"

#include <string>

#include "base/errors.h"
#include "setup/product.h"

const char SetupFileName[] = "setup.exe";

std::vector<std::uint64_t> PlanPartSizes(std::uint64_t archiveSize, std::uint64_t setupSize, std::uint64_t diskSize,
                                         std::uint64_t clusterSize) {
    const std::uint64_t setupOnDisk = (setupSize + clusterSize - 1) / clusterSize * clusterSize;
    if (setupOnDisk >= diskSize) {
        throw DataError("setup.exe (" + std::to_string(setupSize) + " bytes) leaves no room for " + FirstPartFile +
                        " on a disk of " + std::to_string(diskSize) + " bytes");
    }
    std::vector<std::uint64_t> sizes;
    std::uint64_t left = archiveSize;
    std::uint64_t capacity = diskSize - setupOnDisk;
    do {
        const std::uint64_t size = left < capacity ? left : capacity;
        sizes.push_back(size);
        left -= size;
        capacity = diskSize;
    } while (left > 0);
    if (sizes.size() > static_cast<std::size_t>(MaxDiskCount)) {
        throw DataError("the archive (" + std::to_string(archiveSize) + " bytes) needs " +
                        std::to_string(sizes.size()) + " disks of " + std::to_string(diskSize) +
                        " bytes, but the setup reads at most " + std::to_string(MaxDiskCount));
    }
    return sizes;
}

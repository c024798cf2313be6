// Which files go on which disk: setup.exe and Glyphvan.001 on disk 1, one
// further part on each further disk, at most MaxDiskCount disks.
#pragma once

#include <cstdint>
#include <vector>

extern const char SetupFileName[];  // "setup.exe"

// The sizes of the parts an archive of `archiveSize` bytes is cut into.
// Disk 1 also carries setup.exe, so part 1 gets what setup.exe leaves of
// it. Throws DataError when setup.exe leaves no room or more than four
// disks would be needed. Files take whole clusters of `clusterSize` bytes.
std::vector<std::uint64_t> PlanPartSizes(std::uint64_t archiveSize, std::uint64_t setupSize, std::uint64_t diskSize,
                                         std::uint64_t clusterSize);

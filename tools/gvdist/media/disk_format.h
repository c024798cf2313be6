// The floppy formats gvdist makes disks for, with the room each leaves for
// files once formatted.
#pragma once

#include <cstdint>
#include <string>

struct DiskFormat {
    const char* Name;            // as given to --format: "1.44M"
    int Kilobytes;               // mformat's -f value
    std::uint64_t FreeBytes;     // data clusters of a freshly formatted disk
    std::uint64_t ClusterBytes;  // every file takes whole clusters
};

// "360K, 720K, 1.2M, 1.44M, 2.88M"
std::string DiskFormatNames();

// The format called `name`; throws UsageError naming the known ones.
const DiskFormat& FindDiskFormat(const std::string& name);

// 1.44M, the format of the product's own disks.
const DiskFormat& DefaultDiskFormat();

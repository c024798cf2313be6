// The floppy formats gvdist makes disks for, with the room each leaves for
// files once formatted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DiskFormat {
    const char* Name;            // as given to --format: "1.44M"
    int Kilobytes;               // mformat's -f value
    std::uint64_t FreeBytes;     // data clusters of a freshly formatted disk
    std::uint64_t ClusterBytes;  // every file takes whole clusters
};

// Every format, smallest first.
const std::vector<DiskFormat>& DiskFormats();

// "360K, 720K, 1.2M, 1.44M, 2.88M"
std::string DiskFormatNames();

// The format called `name`; throws UsageError naming the known ones.
const DiskFormat& FindDiskFormat(const std::string& name);

// The format of the product's own disks, chosen by name so that a new row
// anywhere in the table leaves it alone.
constexpr char DefaultDiskFormatName[] = "1.44M";
const DiskFormat& DefaultDiskFormat();

#include "media/disk_format.h"

#include "base/errors.h"

namespace {

// Free space as mformat lays the disks out: boot sector, two FATs and the
// root directory come off the top, the rest is data clusters.
const std::vector<DiskFormat> Formats = {
    {"360K", 360, 362496, 1024},   {"720K", 720, 730112, 1024},    {"1.2M", 1200, 1213952, 512},
    {"1.44M", 1440, 1457664, 512}, {"2.88M", 2880, 2931712, 1024},
};

}  // namespace

const std::vector<DiskFormat>& DiskFormats() { return Formats; }

std::string DiskFormatNames() {
    std::string names;
    for (const DiskFormat& format : Formats) {
        names += std::string(names.empty() ? "" : ", ") + format.Name;
    }
    return names;
}

const DiskFormat& FindDiskFormat(const std::string& name) {
    for (const DiskFormat& format : Formats) {
        if (name == format.Name) {
            return format;
        }
    }
    throw UsageError("--format " + name + " is not a disk format; use one of " + DiskFormatNames());
}

const DiskFormat& DefaultDiskFormat() { return FindDiskFormat(DefaultDiskFormatName); }

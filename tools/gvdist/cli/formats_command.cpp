#include <iomanip>
#include <string>

#include "cli/commands.h"
#include "media/disk_format.h"

// One line per format, for people and for scripts that plan disks.
void RunFormats(const Options&, std::ostream& out, std::ostream&) {
    out << std::left << std::setw(8) << "format" << std::right << std::setw(12) << "free bytes" << std::setw(9)
        << "cluster\n";
    for (const DiskFormat& format : DiskFormats()) {
        const bool isDefault = std::string(format.Name) == DefaultDiskFormatName;
        out << std::left << std::setw(8) << format.Name << std::right << std::setw(12) << format.FreeBytes
            << std::setw(9) << format.ClusterBytes << (isDefault ? "  default\n" : "\n");
    }
}

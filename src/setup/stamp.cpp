#include "setup/stamp.h"

std::string StampFault(std::int64_t diskCount, std::int64_t archiveSize) {
    if (diskCount < 1 || diskCount > 4) {
        return "DiskCount " + std::to_string(diskCount) + ", not 1 to 4";
    }
    if (archiveSize < 1) {
        return "ArchiveSize " + std::to_string(archiveSize) + ", below 1";
    }
    return "";
}

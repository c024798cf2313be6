// The distribution an executable is built for: compiled into each setup
// executable (and Windows test) with its own GV_DISK_COUNT and
// GV_ARCHIVE_SIZE, so one set of libraries serves every build.
#include "setup/globals.h"

const int DiskCount = GV_DISK_COUNT;
const std::int32_t ArchiveSize = GV_ARCHIVE_SIZE;

#include "ui/destination.h"

#include <algorithm>

#include "archive/naming.h"
#include "setup/globals.h"
#include "setup/message_text.h"
#include "setup/product.h"
#include "util/paths.h"

const char FallbackProgramFilesDir[] = "C:\\Program Files";

std::string DefaultDestination(const std::string& preferred, const std::string& programFilesDir) {
    if (!preferred.empty()) return preferred;
    return PathJoin(programFilesDir, ProductName);
}

bool DestinationFormValid(const std::string& text) {
    return text.size() >= 2 && text[0] >= 'A' && text[0] <= 'Z' && text[1] == ':' && !HasWildcards(text);
}

namespace {

std::uint64_t OnDisk(std::int64_t size, std::uint32_t cluster) {
    if (size <= 0) return 0;  // an empty file takes a directory entry only
    const std::uint64_t unit = cluster == 0 ? 1 : cluster;
    return (static_cast<std::uint64_t>(size) + unit - 1) / unit * unit;
}

}  // namespace

RoomNeeded RoomNeededFor(std::int32_t archiveSize, const MemberTable& table, bool helpOnDestinationDrive,
                         std::uint32_t destinationCluster, std::uint32_t helpCluster) {
    RoomNeeded room;
    std::uint64_t members = 0;
    for (const MemberEntry& member : table.Members) {
        if (IsHelpFile(member.Name) && !helpOnDestinationDrive) {
            room.Help += OnDisk(member.Size, helpCluster);
        } else {
            members += OnDisk(member.Size, destinationCluster);
        }
    }
    // The archive is deleted before the first member is written.
    room.Destination =
        OnDisk(table.DecodedTotal, destinationCluster) + std::max(OnDisk(archiveSize, destinationCluster), members);
    return room;
}

std::string LowSpaceMessage(char drive, std::uint64_t needed, std::uint64_t free) {
    return FillIn(LowSpaceQuestion,
                  {std::to_string((needed + 1023) / 1024), std::string(1, drive), std::to_string(free / 1024)});
}

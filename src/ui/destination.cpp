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

// Clusters are a power of two bytes; any other figure counts bytes alone.
std::uint64_t OnDisk(std::int64_t size, std::uint32_t cluster) {
    if (size <= 0) return 0;  // an empty file takes a directory entry only
    const std::uint64_t unit = cluster == 0 || (cluster & (cluster - 1)) != 0 ? 1 : cluster;
    return (static_cast<std::uint64_t>(size) + unit - 1) & ~(unit - 1);
}

}  // namespace

RoomNeeded RoomNeededFor(std::int32_t archiveSize, const std::vector<MemberEntry>& members, std::int32_t decodedTotal,
                         bool helpOnDestinationDrive, std::uint32_t destinationCluster, std::uint32_t helpCluster) {
    RoomNeeded room;
    std::uint64_t memberFiles = 0;
    for (const MemberEntry& member : members) {
        if (IsHelpFile(member.Name) && !helpOnDestinationDrive) {
            room.Help += OnDisk(member.Size, helpCluster);
        } else {
            memberFiles += OnDisk(member.Size, destinationCluster);
        }
    }
    // The archive is deleted before the first member is written.
    room.Destination =
        OnDisk(decodedTotal, destinationCluster) + std::max(OnDisk(archiveSize, destinationCluster), memberFiles);
    return room;
}

std::string LowSpaceMessage(char drive, std::uint64_t needed, std::uint64_t free) {
    // KB as the text's %lu has them: 32 bits hold 4 TB.
    const char letter[] = {drive, '\0'};
    return FillIn(LowSpaceQuestion, {std::to_string(static_cast<unsigned long>((needed + 1023) / 1024)).c_str(), letter,
                                     std::to_string(static_cast<unsigned long>(free / 1024)).c_str()});
}

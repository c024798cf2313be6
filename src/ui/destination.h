// The rules of the destination question that need no window: the default
// it proposes and the form an answer must have.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/member_table.h"

// Used when the system's program-files directory cannot be read.
extern const char FallbackProgramFilesDir[];

// A stored preferred destination is proposed exactly as stored; without one
// the product gets its own directory under the program-files directory.
std::string DefaultDestination(const std::string& preferred, const std::string& programFilesDir);

// A drive letter in upper case, a colon, and no wildcard anywhere: a
// pattern would name no single directory to install into.
bool DestinationFormValid(const std::string& text);

// The most room the installation takes at once, in whole clusters: on the
// destination's drive the archive beside the decoded stream while it is
// decoded, then the decoded stream beside the members cut out of it; help
// files count on the Windows directory's drive, which may be the same.
struct RoomNeeded {
    std::uint64_t Destination = 0;
    std::uint64_t Help = 0;  // 0 when the help files go to the destination's drive
};
RoomNeeded RoomNeededFor(std::int32_t archiveSize, const std::vector<MemberEntry>& members, std::int32_t decodedTotal,
                         bool helpOnDestinationDrive, std::uint32_t destinationCluster, std::uint32_t helpCluster);

// The question for a drive with less free room than needed, in KB: the
// need rounded up, the free room down.
std::string LowSpaceMessage(char drive, std::uint64_t needed, std::uint64_t free);

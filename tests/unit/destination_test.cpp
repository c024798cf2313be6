#include "ui/destination.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(DestinationForm, NeedsAnUpperCaseDriveLetterColonAndNoPattern) {
    for (const char* text : {"C:\\PROGRAM FILES\\GLYPHVANE", "C:", "Z:X"})
        EXPECT_TRUE(DestinationFormValid(text)) << text;
    // '@' and '[' sit just outside 'A' to 'Z'. A wildcard destination is refused.
    for (const char* text : {"", "C", "c:\\glyphvane", "1:\\GV", "\\\\SERVER\\SHARE", "CC:\\GV", "@:\\GV", "[:\\GV",
                             "\xC4:\\GV", "C:\\GV\\*.*", "C:\\GV?", "C:*"})
        EXPECT_FALSE(DestinationFormValid(text)) << text;
}

// The archive beside the decoded stream, or the decoded stream beside the
// members, whichever is more; help files on their own drive when it is
// another one. An empty member takes no cluster.
TEST(DestinationRoom, ThePeakOfTheInstallationInWholeClusters) {
    const std::vector<MemberEntry> members = {{"A.TXT", 1000, 3000}, {"B.hlp", 4000, 500}, {"E", 4500, 0}};
    const auto room = [&](std::int32_t archive, bool helpHere, std::uint32_t cluster) {
        const RoomNeeded needed = RoomNeededFor(archive, members, 4500, helpHere, cluster, 2048);
        return std::vector<std::uint64_t>{needed.Destination, needed.Help};
    };
    EXPECT_EQ(room(2000, true, 512), (std::vector<std::uint64_t>{4608 + 3584, 0}));
    EXPECT_EQ(room(4000, true, 512), (std::vector<std::uint64_t>{4608 + 4096, 0}));
    EXPECT_EQ(room(2000, false, 4096), (std::vector<std::uint64_t>{8192 + 4096, 2048}));
    EXPECT_EQ(LowSpaceMessage('D', 3073, 2047),
              "Glyphvane needs 4 KB of free space on drive D:, which has 1 KB free.\r\n\r\nInstall there anyway?");
}

}  // namespace

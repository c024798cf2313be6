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
    EXPECT_EQ(RoomNeededFor(2000, members, 4500, true, 512, 512).Destination, 4608u + 3584);  // the members' peak
    EXPECT_EQ(RoomNeededFor(4000, members, 4500, true, 512, 512).Destination, 4608u + 4096);  // the archive's
    const RoomNeeded apart = RoomNeededFor(2000, members, 4500, false, 4096, 2048);
    EXPECT_EQ(std::vector({apart.Destination, apart.Help}), std::vector<std::uint64_t>({8192 + 4096, 2048}));
    EXPECT_EQ(LowSpaceMessage('D', 3073, 2047),
              "Glyphvane needs 4 KB of free space on drive D:, which has 1 KB free.\r\n\r\nInstall there anyway?");
}

}  // namespace

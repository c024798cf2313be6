// A setup build without the destination template; those without a later
// one are the stop walk's.
#include "setup_walk_win.h"

TEST_F(SetupWalk, WithoutTheDestinationTemplateTheSetupEndsAtOnceWithoutADialog) {
    Start(SetupWithoutMain);
    ExpectEndsWithZero();  // a dialog would hold it
    EXPECT_EQ(ListDirectory(Drive()).size(), 2u) << "nothing is written beside setup.exe";
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
}

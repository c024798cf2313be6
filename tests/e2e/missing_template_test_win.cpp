// A setup build without the destination template; those without a later
// one are the stop walk's.
#include "setup_walk_win.h"

TEST_F(SetupWalk, WithoutTheDestinationTemplateTheSetupEndsAtOnceWithoutADialog) {
    Start(SetupWithoutMain);
    auto dialogShown = [&] {
        for (HWND window : VisibleWindows())
            if (WindowClass(window) == "#32770") return true;
        return false;
    };
    EXPECT_FALSE(Until(dialogShown, 20000)) << "a dialog appeared:\n" << DescribeWindows();
    ExpectEndsWithZero();
    EXPECT_EQ(ListDirectory(Drive()).size(), 2u) << "nothing is written beside setup.exe";
    EXPECT_EQ(UninstallValue("DisplayName"), "<missing>");
}

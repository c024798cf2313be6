// "the product is started with the mode the setup found": the launch step
// itself, observed, since a started process inherits the error mode and
// Wine does not pass it on, so no walk can see it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "setup/finish_win.h"
#include "setup/globals.h"

namespace {

UINT CurrentErrorMode() {
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    return mode;
}

std::string launched;

void Observe(const std::string& program, const std::string& directory) {
    launched = program + " in " + directory + ", mode " + std::to_string(CurrentErrorMode());
}

TEST(Launch, TheProductStartsWithTheErrorModeTheSetupFound) {
    const UINT own = CurrentErrorMode();
    DestDir = "C:\\GLYPHVANE";
    // The system's default, no fault box, half of the setup's own mode.
    for (const UINT found : {0u, UINT{SEM_NOGPFAULTERRORBOX}, UINT{SEM_FAILCRITICALERRORS}}) {
        SetErrorMode(found);
        QuietDiskErrors();
        EXPECT_EQ(CurrentErrorMode(), UINT{SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX}) << found;
        RunProduct(Observe);
        EXPECT_EQ(launched, "C:\\GLYPHVANE\\Glyphvane.Exe in C:\\GLYPHVANE, mode " + std::to_string(found));
    }
    SetErrorMode(own);
}

}  // namespace

// The setup's entry point. It takes no arguments: everything it needs is
// its own file and the user's answers.
#include <windows.h>

#include "setup/driver_win.h"
#include "setup/finish_win.h"
#include "setup/stamp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    QuietDiskErrors();
    LoadDistributionStamp();
    return RunSetup(instance);
}

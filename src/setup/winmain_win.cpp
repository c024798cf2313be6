// The setup's entry point. It takes no arguments: everything it needs is
// its own file and the user's answers.
#include <windows.h>

#include <exception>

#include "setup/driver_win.h"
#include "setup/error_report_win.h"
#include "setup/stamp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A drive without its disk fails the call that asked: the setup's own
    // disk prompt and wrong-disk message answer it, not the system's box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    InstallUnhandledErrorReport();
    LoadDistributionStamp();
    try {
        return RunSetup(instance);
    } catch (...) {
        ReportUnhandledError(std::current_exception());
        return UnhandledErrorExitCode;
    }
}

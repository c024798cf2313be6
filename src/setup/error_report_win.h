// The one report of an error that nothing in the setup catches: a
// task-modal stop box "Application Error", after which the program ends.
#pragma once

#include <exception>

// The exit code of a run that ended with the report: not a success.
constexpr unsigned UnhandledErrorExitCode = 1;

// Shows the report for `error` (class, module, address, message).
void ReportUnhandledError(std::exception_ptr error);

// Routes errors that cannot unwind to WinMain (thrown inside a window or
// dialog procedure, below frames of the system) into the same report.
void InstallUnhandledErrorReport();

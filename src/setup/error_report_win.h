// The one report of an error that the setup does not go on from: a
// task-modal stop box "Application Error", after which the program ends.
#pragma once

// The exit code of a run that ended with the report: not a success.
constexpr unsigned UnhandledErrorExitCode = 1;

// Shows the report of `errorClass` with `message` at the code address the
// call returns to, where the error was raised, and ends the process. It
// takes no heap, so it also reports a failed allocation.
[[noreturn]] void RaiseError(const char* errorClass, const char* message);

// The setup's one thread of control: start-up, the five phase dialogs over
// the full-screen backdrop, then the finishing steps or the clean-up.
#pragma once

#include <windows.h>

// Runs the whole setup; the result is the process's exit code (0).
int RunSetup(HINSTANCE instance);

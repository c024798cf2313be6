// A run stopped from outside (SIGINT, SIGTERM, SIGHUP) cleans up as after
// any failure: the signal is only noted, the step under way throws at its
// next check, and every owner of a temporary file or folder removes it on
// the way out. The process then ends by that signal, as its caller expects.
#pragma once

// Notes those signals from now on. A system call that waits (a read from
// mtools) returns early instead of going on.
void CatchInterrupts();

// The signal noted, or 0.
int InterruptSignal();

// Throws DataError when a signal has been noted.
void ThrowIfInterrupted();

// When a signal has been noted, ends the process by it; else returns.
void EndIfInterrupted();

#include <csignal>
#include <cstdlib>

#include "base/interrupt.h"

namespace {

volatile std::sig_atomic_t Noted = 0;

void Note(int signal) { Noted = signal; }

}  // namespace

// The console's Ctrl+C and Ctrl+Break; Windows has no SIGHUP.
void CatchInterrupts() {
    std::signal(SIGINT, Note);
    std::signal(SIGTERM, Note);
    std::signal(SIGBREAK, Note);
}

int InterruptSignal() { return Noted; }

void EndIfInterrupted() {
    if (Noted != 0) {
        std::_Exit(128 + Noted);
    }
}

#include <signal.h>

#include "base/interrupt.h"

namespace {

volatile sig_atomic_t Noted = 0;

void Note(int signal) { Noted = signal; }

constexpr int Caught[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a read that waits for mtools returns with EINTR
    for (const int signal : Caught) {
        sigaction(signal, &action, nullptr);
    }
}

int InterruptSignal() { return Noted; }

void EndIfInterrupted() {
    if (const int signal = Noted) {
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
        raise(signal);
    }
}

#include "base/interrupt.h"

#include <string>

#include "base/errors.h"

void ThrowIfInterrupted() {
    if (const int signal = InterruptSignal()) {
        throw DataError("stopped by signal " + std::to_string(signal) + "; nothing was changed");
    }
}

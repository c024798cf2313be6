#include "archive/pump_pace.h"

PumpPacer StartPacing(PumpClock clock) {
    PumpPacer pacer;
    std::int64_t now = 0;
    if (clock(now)) pacer.LastDrain = now;
    return pacer;
}

bool DrainIsDue(PumpPacer& pacer, const PumpPace& pace, PumpClock clock) {
    const bool bytesDue = ++pacer.BytesSinceDrain >= pace.MaxBytesBetweenDrains;
    if (++pacer.BytesSinceCheck < pace.BytesBetweenChecks && !bytesDue) return false;
    pacer.BytesSinceCheck = 0;
    std::int64_t now = 0;
    const bool clockRead = clock(now);
    const bool timeDue = !clockRead || now < pacer.LastDrain || now - pacer.LastDrain >= pace.MinMilliseconds;
    if (!timeDue && !bytesDue) return false;
    pacer.BytesSinceDrain = 0;
    if (clockRead) pacer.LastDrain = now;
    return true;
}

// When a byte-by-byte copy lets the thread's message queue be drained. A
// drain costs far more than a byte, so the clock is read only every
// BytesBetweenChecks bytes and the queue drained once MinMilliseconds have
// passed since the last drain. A clock that cannot be read or that runs
// backwards counts as time passed, and MaxBytesBetweenDrains bytes drain
// whatever the clock says: Cancel answers on any clock.
#pragma once

#include <cstdint>

struct PumpPace {
    std::uint32_t BytesBetweenChecks;
    std::uint32_t MinMilliseconds;
    std::uint32_t MaxBytesBetweenDrains;
};

// Reads the clock in milliseconds; false when it cannot be read.
using PumpClock = bool (*)(std::int64_t& milliseconds);

struct PumpPacer {
    std::uint32_t BytesSinceCheck = 0;
    std::uint32_t BytesSinceDrain = 0;
    std::int64_t LastDrain = 0;
};

// A pace that starts now, as if the queue had just been drained.
PumpPacer StartPacing(PumpClock clock);

// Counts one byte; true when the queue is to be drained now.
bool DrainIsDue(PumpPacer& pacer, const PumpPace& pace, PumpClock clock);

#include "archive/pump_pace.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

std::int64_t Byte = 0;  // bytes counted so far: the fake clocks run on them

// The queue is drained every 4 ms or 16 KB, not after every byte: once 4 ms
// have passed, the clock read every 64 bytes, and after 16 KB (here 512
// bytes) whatever the clock says. A clock that fails or runs backwards
// counts as time passed.
TEST(PumpPace, DrainsOnTimeOnBytesAndOnAnyClock) {
    // The clock (steady: 1 ms every 64 bytes), and the bytes after which the queue is drained.
    const std::tuple<const char*, PumpClock, std::vector<std::int64_t>> cases[] = {
        {"stopped", [](std::int64_t& ms) { return ms = 7, true; }, {512}},
        {"failing", [](std::int64_t&) { return false; }, {64, 128, 192, 256, 320, 384, 448, 512, 576}},
        {"steady, then backwards", [](std::int64_t& t) { return t = Byte < 300 ? Byte / 64 : 1, true; }, {256, 320}},
    };
    for (const auto& [clock, read, drainsAt] : cases) {
        Byte = 0;
        PumpPacer pacer = StartPacing(read);
        std::vector<std::int64_t> drains;
        for (Byte = 1; Byte <= 600; ++Byte)
            if (DrainIsDue(pacer, PumpPace{64, 4, 512}, read)) drains.push_back(Byte);
        EXPECT_EQ(drains, drainsAt) << clock;
    }
}

}  // namespace

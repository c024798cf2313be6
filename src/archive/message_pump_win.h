// Serving the thread's window messages while a copy runs inside a dialog's
// message handler, so the dialog paints and its Cancel button works.
#pragma once

#include <cstdint>

// Dispatches every queued message of the thread. A WM_QUIT is taken off the
// queue and dropped: the setup ends through its phases, not through it.
void DrainMessages();

// How often a byte-by-byte copy lets the queue be drained. A drain costs
// far more than a byte, so the clock is looked at only every
// BytesBetweenChecks calls and the queue drained once MinMilliseconds have
// passed since the last drain.
struct MessagePumpPace {
    std::uint32_t BytesBetweenChecks;
    std::uint32_t MinMilliseconds;
};

// The pace of the decoding's byte source. {1, 0} drains after every byte.
extern MessagePumpPace DecodePumpPace;

// Called once per byte: drains the queue when the pace says so.
void DrainMessagesNowAndThen();

// Starts the pace anew (before a decoding pass).
void ResetMessagePumpPace();

// Serving the thread's window messages while a copy runs inside a dialog's
// message handler, so the dialog paints and its Cancel button works.
#pragma once

#include "archive/pump_pace.h"

// Dispatches every queued message of the thread. A WM_QUIT is taken off the
// queue and dropped: the setup ends through its phases, not through it.
void DrainMessages();

// The pace of the decoding's byte source. {1, 0, 1} drains after every byte.
extern PumpPace DecodePumpPace;

// Called once per byte: drains the queue when the pace says so.
void DrainMessagesNowAndThen();

// Starts the pace anew (before a decoding pass).
void ResetMessagePumpPace();

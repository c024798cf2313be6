#include "archive/message_pump_win.h"

#include <windows.h>

MessagePumpPace DecodePumpPace = {64, 4};

namespace {

std::uint32_t CallsSinceCheck = 0;
LONGLONG LastDrain = 0;

// The performance counter in milliseconds: GetTickCount may move in steps
// of 10 to 16 ms, longer than the pace asks for.
LONGLONG NowMilliseconds() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart / (frequency / 1000 > 0 ? frequency / 1000 : 1);
}

}  // namespace

void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void DrainMessagesNowAndThen() {
    if (++CallsSinceCheck < DecodePumpPace.BytesBetweenChecks) return;
    CallsSinceCheck = 0;
    const LONGLONG now = NowMilliseconds();
    if (now - LastDrain < DecodePumpPace.MinMilliseconds) return;
    LastDrain = now;
    DrainMessages();
}

void ResetMessagePumpPace() {
    CallsSinceCheck = 0;
    LastDrain = NowMilliseconds();
}

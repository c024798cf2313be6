#include "archive/message_pump_win.h"

#include <windows.h>

PumpPace DecodePumpPace = {64, 4, 16384};

namespace {

PumpPacer DecodePacer;

// The performance counter in milliseconds: GetTickCount may move in steps
// of 10 to 16 ms, longer than the pace asks for.
bool ReadMilliseconds(std::int64_t& milliseconds) {
    static const LONGLONG perMillisecond = [] {
        LARGE_INTEGER frequency;
        return QueryPerformanceFrequency(&frequency) ? frequency.QuadPart / 1000 : 0;
    }();
    LARGE_INTEGER now;
    if (perMillisecond <= 0 || !QueryPerformanceCounter(&now)) return false;
    milliseconds = now.QuadPart / perMillisecond;
    return true;
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
    if (DrainIsDue(DecodePacer, DecodePumpPace, ReadMilliseconds)) DrainMessages();
}

void ResetMessagePumpPace() { DecodePacer = StartPacing(ReadMilliseconds); }

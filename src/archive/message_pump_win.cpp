#include "archive/message_pump_win.h"

#include <windows.h>

MessagePumpPace DecodePumpPace = {64, 4};

namespace {

std::uint32_t CallsSinceCheck = 0;
DWORD LastDrainTick = 0;

}  // namespace

void DrainMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void DrainMessagesNowAndThen()
{
    if (++CallsSinceCheck < DecodePumpPace.BytesBetweenChecks)
        return;
    CallsSinceCheck = 0;
    const DWORD now = GetTickCount();
    if (now - LastDrainTick < DecodePumpPace.MinMilliseconds)
        return;
    LastDrainTick = now;
    DrainMessages();
}

void ResetMessagePumpPace()
{
    CallsSinceCheck = 0;
    LastDrainTick = GetTickCount();
}

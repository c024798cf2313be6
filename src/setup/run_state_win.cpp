#include "setup/run_state_win.h"

#include <windows.h>

#include "archive/byte_stream_win.h"
#include "setup/globals.h"

void StartRunState() {
    static std::uint8_t inBlock[TransferBufferSize], outBlock[TransferBufferSize];
    InBuffer = inBlock;
    OutBuffer = outBlock;
    GetBytesProc = ReadCompressed;
    PutBytesProc = WriteDecoded;
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    GetWindowsDirectoryA(WindowsDir, sizeof WindowsDir);
}

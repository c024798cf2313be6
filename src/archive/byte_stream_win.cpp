#include "archive/byte_stream_win.h"

#include <cstring>

#include "archive/crc32.h"
#include "archive/member_list_win.h"
#include "archive/message_pump_win.h"
#include "archive/progress_draw_win.h"
#include "setup/globals.h"

HANDLE ArchiveHandle = nullptr;
HANDLE OutputHandle = nullptr;
std::uint16_t InPos = 1;
std::int32_t InCount = 0;
std::uint16_t OutPos = 1;
std::int32_t BytesWritten = 0;
std::uint32_t DecodedCrc = 0;
bool ReadFailed = false;
bool WriteFailed = false;

namespace {

// Reads up to `wanted` bytes into InBuffer (1-based) at position `at`;
// returns the number read, 0 at the end or after a failure.
std::int32_t ReadArchiveInto(std::int32_t at, std::int32_t wanted) {
    DWORD read = 0;
    if (!ReadFile(ArchiveHandle, InBuffer + at, static_cast<DWORD>(wanted), &read, nullptr)) {
        ReadFailed = true;
        ContinueFlag = 0;
        return 0;
    }
    return static_cast<std::int32_t>(read);
}

// Returns the number of bytes written.
std::int32_t WritePending() {
    const DWORD pending = static_cast<DWORD>(OutPos - 1);
    DWORD written = 0;
    if (!WriteFile(OutputHandle, OutBuffer + 1, pending, &written, nullptr) || written != pending) {
        // A full disk must not pass for a complete program file.
        WriteFailed = true;
        ContinueFlag = 0;
    }
    DecodedCrc = Crc32(OutBuffer + 1, written, DecodedCrc);
    return static_cast<std::int32_t>(written);
}

}  // namespace

void ResetByteStreams() {
    InPos = 1;
    InCount = 0;
    OutPos = 1;
    BytesWritten = 0;
    DecodedCrc = 0;
    ReadFailed = false;
    WriteFailed = false;
    ResetMessagePumpPace();
}

void ReadCompressed(std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    actual = 0;
    if (ContinueFlag == 0) return;
    if (count > StreamBlockSize) count = StreamBlockSize;  // never more than the buffer holds
    const bool buffered = InPos <= InCount && InPos + count <= InCount + 1;
    if (!buffered) {
        if (InPos > InCount) {
            InCount = ReadArchiveInto(1, StreamBlockSize);
        } else {
            const std::int32_t unread = InCount - InPos + 1;
            std::memmove(InBuffer + 1, InBuffer + InPos, static_cast<std::size_t>(unread));
            InCount = unread + ReadArchiveInto(1 + unread, StreamBlockSize - unread);
        }
        if (InCount == 0) return;
        InPos = 1;
    }
    std::memcpy(buffer, InBuffer + InPos, count);
    InPos = static_cast<std::uint16_t>(InPos + count);
    if (InPos <= InCount + 1)
        actual = count;
    else
        actual = static_cast<std::uint16_t>(count - (InPos - InCount - 1));
    DrainMessagesNowAndThen();
}

void WriteDecoded(const std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual) {
    if (ContinueFlag == 0) {
        actual = 0;
        return;
    }
    if (count == 0) {
        WritePending();
        return;
    }
    if (count > StreamBlockSize) count = StreamBlockSize;  // never more than the buffer holds
    if (OutPos > StreamBlockSize || OutPos + count > StreamBlockSize + 1) {
        BytesWritten += WritePending();
        OutPos = 1;
        DrawProgress(ProgressDC, BytesWritten, DecodedTotal);
    }
    std::memcpy(OutBuffer + OutPos, buffer, count);
    OutPos = static_cast<std::uint16_t>(OutPos + count);
    actual = count;
}

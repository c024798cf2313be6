// The decoder's byte source and sink: single bytes in and out, files moved
// in 2048-byte blocks through InBuffer and OutBuffer (1-based positions).
#pragma once

#include <cstdint>

#include <windows.h>

constexpr std::uint16_t StreamBlockSize = 2048;

extern HANDLE ArchiveHandle;  // the joined archive, read from its first byte
extern HANDLE OutputHandle;   // the decoded stream's file

extern std::uint16_t InPos;        // next unread byte of InBuffer
extern std::int32_t InCount;       // valid bytes in InBuffer
extern std::uint16_t OutPos;       // next free byte of OutBuffer; OutPos - 1 pending
extern std::int32_t BytesWritten;  // bytes of the full-buffer flushes
extern std::uint32_t DecodedCrc;   // the CRC-32 of what was written

// Set when a read or write went wrong; the pass then stops (ContinueFlag 0)
// and must not be taken for a complete decoding.
extern bool ReadFailed;
extern bool WriteFailed;

// The start state of a decoding pass; both handles must be open.
void ResetByteStreams();

// The byte source: up to `count` bytes of the archive; `actual` says how
// many are valid. Drains the message queue now and then while it delivers.
void ReadCompressed(std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual);

// The byte sink: keeps `count` bytes for the output file, writing and
// drawing the progress when the buffer is full. A count of 0 writes out
// what is pending (the final flush) without counting or drawing.
void WriteDecoded(const std::uint8_t* buffer, std::uint16_t count, std::uint16_t& actual);

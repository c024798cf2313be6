// Integers in the files the setup and gvdist share (the stamp, the member
// table) and in the images gvdist reads are little-endian on any machine.
#pragma once

#include <cstdint>

// The `count` bytes (1 to 4) at `bytes`, the lowest first.
inline std::uint32_t ReadLittle(const std::uint8_t* bytes, int count = 4) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

inline std::int32_t ReadInt32(const std::uint8_t* bytes) { return static_cast<std::int32_t>(ReadLittle(bytes)); }

inline void WriteInt32(std::uint8_t* bytes, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(bits >> 8 * i);
}

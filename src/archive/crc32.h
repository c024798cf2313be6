// CRC-32 (the polynomial of zip and PNG), to tell a damaged part from a
// good one: gvdist records it when it packs, the setup checks it while it
// joins and decodes.
#pragma once

#include <cstddef>
#include <cstdint>

// `crc` is the CRC-32 of the bytes before `data`, so a long stream is
// checked a block at a time.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

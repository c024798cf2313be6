// A one-member LHA archive around an LZHUF stream (method "-lh1-"), so any
// LHA extractor can check gvdist's encoder independently of our decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// CRC-16 as LHA checks it (polynomial 0xA001 reflected, start value 0).
std::uint16_t LhaCrc16(const std::uint8_t* data, std::size_t size);

// A level-0 archive holding `name` with the given original bytes and their
// stream from LzhEncode, then the end mark. The time stamp is a constant
// (1980-01-01 00:00), so the same input gives the same archive. Throws
// std::invalid_argument when the name or a size does not fit the header.
std::vector<std::uint8_t> MakeLh1Archive(const std::string& name, const std::uint8_t* original,
                                         std::size_t originalSize, const std::vector<std::uint8_t>& compressed);

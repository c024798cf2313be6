#include "lzh/lzh_archive.h"

#include <cstring>
#include <stdexcept>

namespace {

constexpr std::uint32_t FixedDosTime = 0x00210000;  // date 1980-01-01, time 00:00:00
constexpr std::uint8_t ArchiveAttribute = 0x20;
constexpr std::size_t MaxNameLength = 255 - 22;  // the header size is one byte

void PutLittle(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::uint16_t LhaCrc16(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

std::vector<std::uint8_t> MakeLh1Archive(const std::string& name, const std::uint8_t* original,
                                         std::size_t originalSize, const std::vector<std::uint8_t>& compressed) {
    if (name.empty() || name.size() > MaxNameLength) throw std::invalid_argument("member name length");
    if (originalSize > 0xFFFFFFFFu || compressed.size() > 0xFFFFFFFFu) {
        throw std::invalid_argument("member too large for a level-0 header");
    }
    std::vector<std::uint8_t> out;
    out.reserve(24 + name.size() + compressed.size() + 1);
    out.push_back(0);  // header size, filled in below
    out.push_back(0);  // header checksum
    for (const char c : std::string("-lh1-")) out.push_back(static_cast<std::uint8_t>(c));
    PutLittle(out, static_cast<std::uint32_t>(compressed.size()), 4);
    PutLittle(out, static_cast<std::uint32_t>(originalSize), 4);
    PutLittle(out, FixedDosTime, 4);
    out.push_back(ArchiveAttribute);
    out.push_back(0);  // header level
    out.push_back(static_cast<std::uint8_t>(name.size()));
    for (const char c : name) out.push_back(static_cast<std::uint8_t>(c));
    PutLittle(out, LhaCrc16(original, originalSize), 2);

    out[0] = static_cast<std::uint8_t>(out.size() - 2);
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i < out.size(); ++i) sum = static_cast<std::uint8_t>(sum + out[i]);
    out[1] = sum;

    out.insert(out.end(), compressed.begin(), compressed.end());
    out.push_back(0);  // end of archive
    return out;
}

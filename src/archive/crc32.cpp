#include "archive/crc32.h"

namespace {

// Filled on first use rather than stored: the 1 KB table would otherwise
// travel in setup.exe.
std::uint32_t Table[256];

void FillTable() {
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        Table[n] = c;
    }
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    if (Table[1] == 0) {
        FillTable();
    }
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc = Table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

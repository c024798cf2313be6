#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "lzh/lzh_archive.h"

namespace {

TEST(LzhArchive, NameLimitsAndHeaderChecksum) {
    EXPECT_THROW(MakeLh1Archive("", nullptr, 0, {}), std::invalid_argument);
    EXPECT_THROW(MakeLh1Archive(std::string(240, 'n'), nullptr, 0, {}), std::invalid_argument);
    EXPECT_NO_THROW(MakeLh1Archive(std::string(200, 'n'), nullptr, 0, {}));
    // Header size and byte sum, worked out by hand from the level-0 layout.
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    const auto archive = MakeLh1Archive("A.TXT", abc, 3, {1, 2});
    EXPECT_EQ(std::vector(archive.begin(), archive.begin() + 2), (std::vector<std::uint8_t>{27, 0xE8}));
    // The level-0 rule: the checksum byte is the sum of the header's bytes
    // after itself and the size byte, and the size counts those bytes.
    for (const std::string& name : std::vector<std::string>{"B", "LONGNAME.EXE", std::string(200, 'n')}) {
        const auto header = MakeLh1Archive(name, abc, 3, {1});
        std::uint8_t sum = 0;
        for (std::size_t i = 2; i < 2u + header[0]; ++i) sum = static_cast<std::uint8_t>(sum + header[i]);
        EXPECT_EQ(std::pair(std::size_t(header[0]), header[1]), std::pair(22 + name.size(), sum)) << name;
    }
}

}  // namespace

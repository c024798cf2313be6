#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

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
}

}  // namespace

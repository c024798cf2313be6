#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "lzh_archive.h"
#include "lzh_encode.h"

namespace {

namespace fs = std::filesystem;

TEST(LzhArchive, Crc16AndNameLimits) {
    EXPECT_EQ(LhaCrc16(reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0xBB3D);
    EXPECT_THROW(MakeLh1Archive("", nullptr, 0, {}), std::invalid_argument);
    EXPECT_THROW(MakeLh1Archive(std::string(240, 'n'), nullptr, 0, {}), std::invalid_argument);
    EXPECT_NO_THROW(MakeLh1Archive(std::string(200, 'n'), nullptr, 0, {}));
    // Header size and byte sum, worked out by hand from the level-0 layout.
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    const auto archive = MakeLh1Archive("A.TXT", abc, 3, {1, 2});
    EXPECT_EQ(archive.at(0), 27);
    EXPECT_EQ(archive.at(1), 0xE8);
}

// lhasa is an independent decoder: it reads back what our encoder wrote,
// byte for byte, and checks the CRC.
TEST(LzhArchive, LhasaExtractsOurArchives) {
#ifdef _WIN32
    GTEST_SKIP() << "Debian's lhasa does not run under Wine";
#endif
    if (std::system("command -v lha >/dev/null 2>&1") != 0) GTEST_SKIP() << "lha (lhasa) is not on PATH";
    std::mt19937 random(1);
    std::vector<std::uint8_t> binary(150000);  // a third random: over 32455 symbols, so the tree is rebuilt
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<std::uint8_t>(i % 3 ? i / 700 : random());
    std::string text;
    for (int i = 0; text.size() < 120000; ++i) text += "line " + std::to_string(i % 300) + ": install the product\n";
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases = {
        {"one.bin", {0x7F}},
        {"zeros.bin", std::vector<std::uint8_t>(5000, 0)},  // must not match the ring's unwritten tail
        {"spaces.txt", std::vector<std::uint8_t>(5000, ' ')},
        {"text.txt", std::vector<std::uint8_t>(text.begin(), text.end())},
        {"binary.bin", binary},
    };
    const fs::path dir = fs::temp_directory_path() / ("gv-lzh-archive-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir / "out");
    for (const auto& [name, data] : cases) {
        SCOPED_TRACE(name);
        const auto archive = MakeLh1Archive(name, data.data(), data.size(), LzhEncode(data.data(), data.size()));
        const std::string file = (dir / (name + ".lzh")).string(), quiet = " >/dev/null 2>&1";
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
        EXPECT_EQ(std::system(("lha tq '" + file + "'" + quiet).c_str()), 0);
        EXPECT_EQ(std::system(("lha xqfw='" + (dir / "out").string() + "' '" + file + "'" + quiet).c_str()), 0);
        std::ifstream in(dir / "out" / name, std::ios::binary);
        EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), data);
    }
    fs::remove_all(dir);
}

}  // namespace

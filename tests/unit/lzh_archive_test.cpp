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

std::vector<std::uint8_t> Bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

TEST(LzhArchive, Crc16CheckValues) {
    const auto digits = Bytes("123456789");
    EXPECT_EQ(LhaCrc16(digits.data(), digits.size()), 0xBB3D);
    EXPECT_EQ(LhaCrc16(nullptr, 0), 0x0000);
    const std::vector<std::uint8_t> one = {0x01};
    EXPECT_EQ(LhaCrc16(one.data(), one.size()), 0xC0C1);
}

TEST(LzhArchive, RejectsNamesTheHeaderCannotHold) {
    const std::vector<std::uint8_t> none;
    EXPECT_THROW(MakeLh1Archive("", nullptr, 0, none), std::invalid_argument);
    EXPECT_THROW(MakeLh1Archive(std::string(240, 'n'), nullptr, 0, none), std::invalid_argument);
    EXPECT_NO_THROW(MakeLh1Archive(std::string(200, 'n'), nullptr, 0, none));
}

bool LhaAvailable() {
#ifdef _WIN32
    return false;  // Debian's lhasa does not run under Wine
#else
    return std::system("command -v lha >/dev/null 2>&1") == 0;
#endif
}

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// lhasa is an independent LZHUF decoder: it reads back what our encoder
// wrote, byte for byte, and checks the CRC.
TEST(LzhArchive, LhasaExtractsOurArchives) {
    if (!LhaAvailable()) GTEST_SKIP() << "lha (lhasa) is not on PATH";
    std::mt19937 random(1);
    std::vector<std::uint8_t> binary(150000);
    for (std::size_t i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<std::uint8_t>(i % 3 == 0 ? random() : i / 700);
    }
    std::string text;
    for (int i = 0; text.size() < 120000; ++i) text += "line " + std::to_string(i % 300) + ": install the product\n";
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;
    };
    const std::vector<Case> cases = {
        {"one.bin", {0x7F}},
        {"zeros.bin", std::vector<std::uint8_t>(5000, 0)},
        {"spaces.txt", std::vector<std::uint8_t>(5000, ' ')},
        {"text.txt", Bytes(text)},
        {"binary.bin", binary},
    };
    const fs::path dir = fs::temp_directory_path() / ("gv-lzh-archive-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" + std::to_string(std::rand()));
    fs::remove_all(dir);
    fs::create_directories(dir / "out");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto stream = LzhEncode(c.data.data(), c.data.size());
        const auto archive = MakeLh1Archive(c.name, c.data.data(), c.data.size(), stream);
        const fs::path file = dir / (std::string(c.name) + ".lzh");
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(archive.data()),
                                                    static_cast<std::streamsize>(archive.size()));
        const std::string quiet = " >/dev/null 2>&1";
        EXPECT_EQ(std::system(("lha tq '" + file.string() + "'" + quiet).c_str()), 0);
        EXPECT_EQ(std::system(("lha xqfw='" + (dir / "out").string() + "' '" + file.string() + "'" + quiet).c_str()), 0);
        EXPECT_EQ(ReadFile(dir / "out" / c.name), c.data);
    }
    fs::remove_all(dir);
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checksum.h"
#include "distribution.h"
#include "errors.h"
#include "placement.h"
#include "progress_bar.h"

namespace {

using Sizes = std::vector<std::uint64_t>;

TEST(GvdistLayoutTest, PartSizesLeaveRoomForSetupOnTheFirstDisk) {
    const struct {
        std::uint64_t Archive, Setup, Disk;
        Sizes Expected;
    } cases[] = {
        {1000, 100, 10000, {1000}},
        {0, 100, 10000, {0}},  // the setup always copies part 1
        {9488, 512, 10000, {9488}},
        {9489, 512, 10000, {9488, 1}},
        {9489, 513, 10000, {8976, 513}},  // setup.exe takes whole clusters
        {3675000, 60000, 1457664, {1397248, 1457664, 820088}},  // 60000 takes 60416
        {8000, 0, 2000, {2000, 2000, 2000, 2000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Archive) + " " + std::to_string(c.Setup) + " " + std::to_string(c.Disk));
        EXPECT_EQ(PlanPartSizes(c.Archive, c.Setup, c.Disk), c.Expected);
    }
    // Five disks, or a setup.exe that fills the first disk, are refused.
    EXPECT_THROW(PlanPartSizes(8001, 0, 2000), DataError);
    EXPECT_THROW(PlanPartSizes(10, 1537, 2048), DataError);
    EXPECT_THROW(PlanPartSizes(10, 2048, 2048), DataError);
}

TEST(GvdistLayoutTest, RecordRoundTripsAndRejectsDamage) {
    DistributionRecord record;
    record.DiskCount = 2;
    record.ArchiveSize = 3000;
    record.DecodedTotal = 9000;
    record.DecodedCrc = 0xDEADBEEF;
    record.Parts = {{2000, 0x01234567}, {1000, 0xFEDCBA98}};
    const std::string text = FormatRecord(record);
    EXPECT_NE(text.find("DiskCount=2\n"), std::string::npos);
    EXPECT_NE(text.find("ArchiveSize=3000\n"), std::string::npos);

    const DistributionRecord read = ParseRecord(text);
    EXPECT_EQ(read.DiskCount, 2);
    EXPECT_EQ(read.ArchiveSize, 3000u);
    EXPECT_EQ(read.DecodedTotal, 9000);
    EXPECT_EQ(read.DecodedCrc, 0xDEADBEEFu);
    ASSERT_EQ(read.Parts.size(), 2u);
    EXPECT_EQ(read.Parts[1].Size, 1000u);
    EXPECT_EQ(read.Parts[1].Crc, 0xFEDCBA98u);

    const auto replaced = [&text](const std::string& from, const std::string& to) {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    };
    EXPECT_THROW(ParseRecord(replaced("DiskCount=2", "DiskCount=5")), DataError);
    EXPECT_THROW(ParseRecord(replaced("DiskCount=2", "DiskCount=3")), DataError);  // no Part3 lines
    EXPECT_THROW(ParseRecord(replaced("ArchiveSize=3000", "ArchiveSize=3k")), DataError);
    EXPECT_THROW(ParseRecord(replaced("ArchiveSize=3000", "ArchiveSize=-3")), DataError);
    EXPECT_THROW(ParseRecord(replaced("ArchiveSize=3000", "ArchiveSize 3000")), DataError);
    EXPECT_THROW(ParseRecord(replaced("Part2Crc32=FEDCBA98", "Part2Crc32=XYZ")), DataError);
    // Line ends written on Windows are read the same.
    EXPECT_EQ(ParseRecord(replaced("DiskCount=2\n", "DiskCount=2\r\n")).DiskCount, 2);
}

TEST(GvdistLayoutTest, Crc32CheckValue) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
}

TEST(GvdistLayoutTest, PlacementFollowsTheSetup) {
    EXPECT_EQ(PlacementOf("GLYPH.HLP"), "Windows help directory");
    EXPECT_EQ(PlacementOf("glyph.hlp"), "Windows help directory");
    EXPECT_EQ(PlacementOf("USER.LIB"), "DestDir, kept if existing");
    EXPECT_EQ(PlacementOf("Page.dtp"), "DestDir, kept if existing");
    EXPECT_EQ(PlacementOf("README.TXT"), "DestDir");
    EXPECT_EQ(PlacementOf("LIB"), "DestDir");
}

TEST(GvdistLayoutTest, ProgressPercent) {
    EXPECT_EQ(ProgressPercent(0, 200), 0);
    EXPECT_EQ(ProgressPercent(199, 200), 99);  // 100 only when done
    EXPECT_EQ(ProgressPercent(200, 200), 100);
    EXPECT_EQ(ProgressPercent(0, 0), 100);
    EXPECT_EQ(ProgressPercent(4000000000ull, 4000000001ull), 99);  // no overflow
}

}  // namespace

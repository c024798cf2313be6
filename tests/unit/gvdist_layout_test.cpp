#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "dist/disk_plan.h"
#include "dist/manifest.h"
#include "dist/part_stream.h"

namespace {

TEST(GvdistLayoutTest, PartSizesLeaveRoomForSetupOnTheFirstDisk) {
    const struct {
        std::uint64_t Archive, Setup, Disk, Cluster;
        std::vector<std::uint64_t> Parts;
    } rows[] = {
        {0, 100, 10000, 512, {0}},  // the setup always copies part 1
        {9489, 512, 10000, 512, {9488, 1}},
        {9489, 1025, 10000, 1024, {7952, 1537}},  // setup.exe takes whole clusters
        {8000, 0, 2000, 512, {2000, 2000, 2000, 2000}},
    };
    for (const auto& r : rows) EXPECT_EQ(PlanPartSizes(r.Archive, r.Setup, r.Disk, r.Cluster), r.Parts) << r.Setup;
    EXPECT_THROW(PlanPartSizes(8001, 0, 2000, 512), DataError);   // five disks, one byte on the last
    EXPECT_THROW(PlanPartSizes(10, 1537, 2048, 512), DataError);  // no room for part 1
}

TEST(GvdistLayoutTest, ManifestRoundTripsAndRejectsDamage) {
    const DistributionManifest manifest{
        2, 3000, 9000, 0xDEADBEEF, {{2000, 0x01234567}, {1000, 0xFEDCBA98}}, ManifestPart{1500, 7}, {{1474560, 8}}};
    const std::string text = FormatManifest(manifest);
    EXPECT_NE(text.find("\nDiskCount=2\nArchiveSize=3000\n"), std::string::npos) << text;
    std::string crlf = text;  // a line end from Windows
    crlf.replace(crlf.find("\nArchiveSize"), 1, "\r\n");
    EXPECT_EQ(FormatManifest(ParseManifest(crlf)), text);

    const std::pair<std::string, std::string> edits[] = {
        {"DiskCount=2", "DiskCount=5\nPart3Size=1\nPart3Crc32=0\nPart4Size=1\nPart4Crc32=0\nPart5Size=1\nPart5Crc32=0"},
        {"DiskCount=2", "DiskCount=0"},
        {"DiskCount=2", "DiskCount=3"},  // no Part3 lines
        {"ArchiveSize=3000", "ArchiveSize=-3"},
        {"ArchiveSize=3000", "ArchiveSize=3000\nArchiveSize 4000"},
    };
    for (const auto& edit : edits) {
        std::string changed = text;
        changed.replace(changed.find(edit.first), edit.first.size(), edit.second);
        EXPECT_THROW(ParseManifest(changed), DataError) << edit.second;
    }
}

// Parts larger than one read: each part's CRC-32 runs on across reads of
// any size, and the stream ends where the last part does.
TEST(GvdistLayoutTest, PartStreamChecksumsWholePartsAcrossReads) {
    const struct {
        std::size_t Size, Modulus;
        std::uint32_t Crc;  // as zlib.crc32 gives it
    } rows[] = {{150000, 251, 0xEFEB8EB5}, {70000, 253, 0xDB4D7C70}};
    std::vector<ArchivePart> parts;
    for (const auto& r : rows) {
        parts.push_back({"", ::testing::TempDir() + "part" + std::to_string(parts.size()), "", r.Size});
        std::ofstream file(parts.back().Path, std::ios::binary);
        for (std::size_t i = 0; i < r.Size; ++i) file.put(static_cast<char>(i % r.Modulus));
    }
    PartStream stream(parts);
    std::uint8_t first[1000];
    EXPECT_EQ(stream.Read(first, sizeof first), sizeof first);
    stream.ReadToEnd();
    EXPECT_EQ(stream.Read(first, sizeof first), 0u);
    EXPECT_EQ(stream.Crcs(), (std::vector<std::uint32_t>{rows[0].Crc, rows[1].Crc}));
}

}  // namespace

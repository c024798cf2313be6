#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "dist/disk_plan.h"
#include "dist/manifest.h"

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
    const DistributionManifest manifest{2, 3000, 9000, 0xDEADBEEF, {{2000, 0x01234567}, {1000, 0xFEDCBA98}}};
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

}  // namespace

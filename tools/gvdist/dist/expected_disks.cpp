#include "dist/expected_disks.h"

#include <algorithm>

#include "archive/naming.h"
#include "setup/product.h"

std::string MissingDiskText(int disk) {
    return PartFileName(FirstPartFile, disk) + " (disk " + std::to_string(disk) + ") is not in the sources given";
}

int ExpectedDiskCount(const Distribution& distribution) {
    int expected = static_cast<int>(distribution.Parts.size());
    if (distribution.HasStamp && distribution.StampProblem.empty()) {
        expected = std::max(expected, static_cast<int>(distribution.Stamp.DiskCount));
    }
    if (distribution.HasManifest) {
        expected = std::max(expected, distribution.Manifest.DiskCount);
    }
    for (const int disk : distribution.DisksPastGap) {
        expected = std::max(expected, disk);
    }
    return std::max(expected, 1);
}

const std::vector<ManifestPart>* ExpectedParts(const Distribution& distribution) {
    if (distribution.Stamp.HasChecks) {
        return &distribution.Stamp.Parts;
    }
    return distribution.HasManifest && ManifestOfThisPack(distribution) ? &distribution.Manifest.Parts : nullptr;
}

bool ManifestOfThisPack(const Distribution& distribution) {
    const DistributionManifest& manifest = distribution.Manifest;
    const bool stamped = distribution.HasStamp && distribution.StampProblem.empty();
    return manifest.DecodedTotal == distribution.Table.DecodedTotal &&
           (!stamped || (manifest.DiskCount == distribution.Stamp.DiskCount &&
                         manifest.ArchiveSize == static_cast<std::uint64_t>(distribution.Stamp.ArchiveSize)));
}

std::string ExpectedPartsSource(const Distribution& distribution) {
    return distribution.Stamp.HasChecks ? std::string(SetupFileName) + "'s stamp"
                                        : std::string("the manifest ") + ManifestFileName;
}

std::string NoChecksNote(const Distribution& distribution) {
    if (distribution.Stamp.HasChecks) {
        return "";
    }
    return "its disks carry no checksums: " + std::string(SetupFileName) + " was packed without them";
}

// A distribution: setup.exe with its member table, the archive parts
// Glyphvan.001 to .004, and gvdist.txt, the manifest pack writes of what the
// parts must hold; in one folder, or spread over folders and disk images.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive/member_table.h"
#include "base/errors.h"
#include "base/temp_dir.h"
#include "dist/disk_plan.h"
#include "dist/manifest.h"
#include "dist/stamp_file.h"

// setup.exe, and with it the member table and disk 1, is not in the sources.
class MissingSetupError : public DataError {
public:
    using DataError::DataError;
};

struct ArchivePart {
    std::string Name;
    std::string Path;    // where gvdist reads it: in a source folder, or copied out of an image
    std::string Source;  // the folder or image it was found in
    std::uint64_t Size = 0;
};

struct Distribution {
    std::vector<std::string> Sources;  // as given
    std::string SetupPath;
    std::string SetupSource;
    MemberTable Table;
    bool HasStamp = false;  // setup.exe holds a stamp of DiskCount and ArchiveSize
    StampValues Stamp;
    std::string StampProblem;        // why that stamp is missing or cannot serve, or ""
    std::vector<ArchivePart> Parts;  // 1, 2, ... without gaps
    std::vector<std::string> PartFaults;
    std::vector<std::string> ReadFaults;  // parts an image yielded other than its directory says, naming it
    std::vector<int> DisksPastGap;        // disks whose part was found after a missing one: not in Parts
    bool HasManifest = false;
    DistributionManifest Manifest;
    std::shared_ptr<TempDir> Staging;  // the files copied out of images
};

// Gathers setup.exe, the parts and gvdist.txt from `sources`: folders,
// setup.exe files (whose folder counts as well) and disk images, in any
// order. A file found in two sources must be the same in both. Throws
// DataError when a source is unusable, two sources disagree, or setup.exe
// (MissingSetupError) or its table is missing or bad; parts that are missing
// are PartFaults.
Distribution OpenDistribution(const std::vector<std::string>& sources);

// The sources in one line for messages.
std::string DescribeSources(const Distribution& distribution);

// The bytes the parts hold together, as their sizes say.
std::uint64_t PartsSize(const Distribution& distribution);

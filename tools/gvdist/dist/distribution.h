// A distribution: setup.exe with its member table, the archive parts
// Glyphvan.001 to .004, and gvdist.txt, the record pack writes of what the
// parts must hold; in one folder, or spread over folders and disk images.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/member_table.h"
#include "base/temp_dir.h"
#include "dist/stamp_file.h"
#include "lzh/stream_codec.h"

extern const char SetupFileName[];   // "setup.exe"
extern const char RecordFileName[];  // "gvdist.txt"
constexpr int MaxParts = 4;          // the setup asks for at most four disks

struct PartRecord {
    std::uint64_t Size = 0;
    std::uint32_t Crc = 0;
};

// What setup.exe is stamped with (DiskCount, ArchiveSize) and what the
// parts and the decoded stream must hold.
struct DistributionRecord {
    int DiskCount = 0;
    std::uint64_t ArchiveSize = 0;
    std::int64_t DecodedTotal = 0;
    std::uint32_t DecodedCrc = 0;
    std::vector<PartRecord> Parts;
};

std::string FormatRecord(const DistributionRecord& record);
// Throws DataError naming the line that cannot be understood.
DistributionRecord ParseRecord(const std::string& text);

// The sizes of the parts an archive of `archiveSize` bytes is cut into.
// Disk 1 also carries setup.exe, so part 1 gets what setup.exe leaves of
// it. Throws DataError when setup.exe leaves no room or more than four
// disks would be needed. Files take whole clusters of `clusterSize` bytes.
std::vector<std::uint64_t> PlanPartSizes(std::uint64_t archiveSize, std::uint64_t setupSize, std::uint64_t diskSize,
                                         std::uint64_t clusterSize);

// "Glyphvan.002 (disk 2) is not in the sources given"
std::string MissingDiskText(int disk);

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
    bool HasStamp = false;  // setup.exe holds one record of DiskCount and ArchiveSize
    StampValues Stamp;
    std::string StampFault;          // why that record is missing or cannot serve, or ""
    std::vector<ArchivePart> Parts;  // 1, 2, ... without gaps
    std::vector<std::string> PartFaults;
    bool HasRecord = false;
    DistributionRecord Record;
    std::shared_ptr<TempDir> Staging;  // the files copied out of images
};

// Gathers setup.exe, the parts and gvdist.txt from `sources`: folders,
// setup.exe files (whose folder counts as well) and disk images, in any
// order. A file found in two sources must be the same in both. Throws
// DataError when a source is unusable, two sources disagree, or setup.exe
// or its table is missing or bad; parts that are missing are PartFaults.
Distribution OpenDistribution(const std::vector<std::string>& sources);

// The sources in one line for messages.
std::string DescribeSources(const Distribution& distribution);

std::vector<std::uint8_t> JoinParts(const Distribution& distribution);

// Everything wrong with the distribution once its parts are joined into
// `archive` and decoded into `decoded`; empty when it is sound.
std::vector<std::string> CheckDistribution(const Distribution& distribution, const std::vector<std::uint8_t>& archive,
                                           const DecodedStream& decoded);

// Bytes [0, ProgramLength) of the decoded stream are the program file: up
// to the first member's offset, the setup cuts it back there.
std::int64_t ProgramLength(const MemberTable& table);

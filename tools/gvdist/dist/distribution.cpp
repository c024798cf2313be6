#include "dist/distribution.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "archive/naming.h"
#include "base/checksum.h"
#include "base/errors.h"
#include "base/file_util.h"
#include "media/disk_image.h"
#include "setup/globals.h"
#include "setup/stamp.h"

namespace fs = std::filesystem;

const char SetupFileName[] = "setup.exe";
const char RecordFileName[] = "gvdist.txt";

namespace {

std::string Hex32(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

std::uint64_t ParseNumber(const std::string& key, const std::string& text, int base) {
    std::size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(text, &used, base);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || text[0] == '-' || text[0] == '+') {
        throw DataError(std::string(RecordFileName) + ": " + key + " has the value '" + text + "', not a number");
    }
    return value;
}

// Names in the directory by their upper-case form: disks copied on another
// system may have changed the letter case.
std::map<std::string, std::string> NamesByUpperCase(const fs::path& dir) {
    std::map<std::string, std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error)) {
            const std::string name = it->path().filename().string();
            names.emplace(UpperAscii(name), name);
        }
    }
    if (error) {
        throw DataError("cannot read the directory " + dir.string() + ": " + error.message());
    }
    return names;
}

// The record is looked for in front of the member table, whose names
// could hold anything.
void ReadStampOf(Distribution& distribution) {
    std::vector<std::uint8_t> setup = ReadFileBytes(distribution.SetupPath);
    setup.resize(setup.size() - MemberTrailerSize - MemberEntrySize * distribution.Table.Members.size());
    try {
        distribution.Stamp = ReadStamp(setup, FindTheStamp(setup, SetupFileName));
        distribution.HasStamp = true;
        const std::string fault = StampFault(distribution.Stamp.DiskCount, distribution.Stamp.ArchiveSize);
        if (!fault.empty()) {
            distribution.StampFault = std::string(SetupFileName) + " is stamped with " + fault;
        }
    } catch (const DataError& error) {
        distribution.StampFault = error.what();
    }
}

}  // namespace

std::string FormatRecord(const DistributionRecord& record) {
    std::ostringstream text;
    text << "# Written by gvdist pack, which stamped setup.exe with DiskCount and ArchiveSize below.\n";
    text << "DiskCount=" << record.DiskCount << "\n";
    text << "ArchiveSize=" << record.ArchiveSize << "\n";
    text << "DecodedTotal=" << record.DecodedTotal << "\n";
    text << "DecodedCrc32=" << Hex32(record.DecodedCrc) << "\n";
    for (std::size_t i = 0; i < record.Parts.size(); ++i) {
        text << "Part" << i + 1 << "Size=" << record.Parts[i].Size << "\n";
        text << "Part" << i + 1 << "Crc32=" << Hex32(record.Parts[i].Crc) << "\n";
    }
    return text.str();
}

DistributionRecord ParseRecord(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::string::size_type equals = line.find('=');
        if (equals == std::string::npos) {
            throw DataError(std::string(RecordFileName) + ": line " + std::to_string(number) + " is not KEY=VALUE");
        }
        values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    const auto get = [&values](const std::string& key) -> const std::string& {
        const auto found = values.find(key);
        if (found == values.end()) {
            throw DataError(std::string(RecordFileName) + ": " + key + " is missing");
        }
        return found->second;
    };
    DistributionRecord record;
    const std::uint64_t diskCount = ParseNumber("DiskCount", get("DiskCount"), 10);
    if (diskCount < 1 || diskCount > MaxParts) {
        throw DataError(std::string(RecordFileName) + ": DiskCount " + std::to_string(diskCount) + " is not 1 to 4");
    }
    record.DiskCount = static_cast<int>(diskCount);
    record.ArchiveSize = ParseNumber("ArchiveSize", get("ArchiveSize"), 10);
    record.DecodedTotal = static_cast<std::int64_t>(ParseNumber("DecodedTotal", get("DecodedTotal"), 10));
    record.DecodedCrc = static_cast<std::uint32_t>(ParseNumber("DecodedCrc32", get("DecodedCrc32"), 16));
    for (int k = 1; k <= record.DiskCount; ++k) {
        const std::string prefix = "Part" + std::to_string(k);
        PartRecord part;
        part.Size = ParseNumber(prefix + "Size", get(prefix + "Size"), 10);
        part.Crc = static_cast<std::uint32_t>(ParseNumber(prefix + "Crc32", get(prefix + "Crc32"), 16));
        record.Parts.push_back(part);
    }
    return record;
}

std::vector<std::uint64_t> PlanPartSizes(std::uint64_t archiveSize, std::uint64_t setupSize, std::uint64_t diskSize,
                                         std::uint64_t clusterSize) {
    const std::uint64_t setupOnDisk = (setupSize + clusterSize - 1) / clusterSize * clusterSize;
    if (setupOnDisk >= diskSize) {
        throw DataError("setup.exe (" + std::to_string(setupSize) + " bytes) leaves no room for " + FirstPartFile +
                        " on a disk of " + std::to_string(diskSize) + " bytes");
    }
    std::vector<std::uint64_t> sizes;
    std::uint64_t left = archiveSize;
    std::uint64_t capacity = diskSize - setupOnDisk;
    do {
        const std::uint64_t size = left < capacity ? left : capacity;
        sizes.push_back(size);
        left -= size;
        capacity = diskSize;
    } while (left > 0);
    if (sizes.size() > static_cast<std::size_t>(MaxParts)) {
        throw DataError("the archive (" + std::to_string(archiveSize) + " bytes) needs " +
                        std::to_string(sizes.size()) + " disks of " + std::to_string(diskSize) +
                        " bytes, but the setup reads at most " + std::to_string(MaxParts));
    }
    return sizes;
}

namespace {

// A file the distribution needs, as found in one source.
struct Found {
    std::string Path;
    std::string Source;
};

bool IsSetupProgram(const fs::path& path) { return UpperAscii(path.extension().string()) == ".EXE"; }

// The files of `wanted` that the folder holds, in any letter case.
void FindInFolder(const fs::path& dir, const std::string& source, const std::vector<std::string>& wanted,
                  std::map<std::string, std::vector<Found>>& found) {
    const auto names = NamesByUpperCase(dir);
    for (const std::string& name : wanted) {
        const auto hit = names.find(UpperAscii(name));
        if (hit != names.end()) {
            found[name].push_back({(dir / hit->second).string(), source});
        }
    }
}

// The one copy of `name` among its finds; two that differ are refused.
const Found* Agreed(const std::string& name, const std::vector<Found>& finds) {
    if (finds.empty()) {
        return nullptr;
    }
    std::error_code error;
    for (std::size_t i = 1; i < finds.size(); ++i) {
        if (fs::equivalent(finds[0].Path, finds[i].Path, error) ||
            ReadFileBytes(finds[0].Path) == ReadFileBytes(finds[i].Path)) {
            continue;
        }
        throw DataError(name + " differs between " + finds[0].Source + " and " + finds[i].Source);
    }
    return &finds[0];
}

}  // namespace

std::string MissingDiskText(int disk) {
    return PartFileName(FirstPartFile, disk) + " (disk " + std::to_string(disk) + ") is not in the sources given";
}

Distribution OpenDistribution(const std::vector<std::string>& sources) {
    Distribution distribution;
    distribution.Sources = sources;
    std::vector<std::string> wanted = {SetupFileName, RecordFileName};
    for (int k = 1; k <= MaxParts; ++k) {
        wanted.push_back(PartFileName(FirstPartFile, k));
    }
    std::map<std::string, std::vector<Found>> found;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string& source = sources[i];
        const fs::path given(source);
        std::error_code error;
        if (fs::is_directory(given, error)) {
            FindInFolder(given, source, wanted, found);
        } else if (!fs::exists(given, error)) {
            throw DataError(source + " does not exist");
        } else if (IsSetupProgram(given)) {
            found[SetupFileName].push_back({source, source});
            const fs::path dir = given.has_parent_path() ? given.parent_path() : fs::path(".");
            FindInFolder(dir, dir.string(), std::vector<std::string>(wanted.begin() + 1, wanted.end()), found);
        } else {
            if (!distribution.Staging) {
                distribution.Staging = std::make_shared<TempDir>(fs::temp_directory_path().string(), "gvdist-");
            }
            const fs::path dir = fs::path(distribution.Staging->Path()) / std::to_string(i);
            fs::create_directory(dir);
            for (const std::string& name : CopyFromImage(source, wanted, dir.string())) {
                found[name].push_back({(dir / name).string(), source});
            }
        }
    }

    const Found* setup = Agreed(SetupFileName, found[SetupFileName]);
    if (setup == nullptr) {
        throw DataError(std::string(SetupFileName) + " (disk 1) is not in the sources given");
    }
    distribution.SetupPath = setup->Path;
    distribution.SetupSource = setup->Source;
    const std::string fault = ReadMemberTableFile(distribution.SetupPath, distribution.Table);
    if (!fault.empty()) {
        throw DataError(setup->Source + ": bad member table: " + fault);
    }
    ReadStampOf(distribution);

    if (const Found* record = Agreed(RecordFileName, found[RecordFileName])) {
        const std::vector<std::uint8_t> text = ReadFileBytes(record->Path);
        distribution.Record = ParseRecord(std::string(text.begin(), text.end()));
        distribution.HasRecord = true;
    }

    int firstMissing = 0;
    for (int k = 1; k <= MaxParts; ++k) {
        const std::string name = PartFileName(FirstPartFile, k);
        const Found* part = Agreed(name, found[name]);
        if (part == nullptr) {
            firstMissing = firstMissing == 0 ? k : firstMissing;
            continue;
        }
        if (firstMissing != 0) {
            continue;  // named below as the disk that is missing
        }
        std::error_code error;
        ArchivePart entry{name, part->Path, part->Source, fs::file_size(part->Path, error)};
        if (error) {
            throw DataError("cannot find the size of " + part->Path + ": " + error.message());
        }
        distribution.Parts.push_back(entry);
    }
    // The disks that must be there: up to the last part found, or as many
    // as the record or a usable stamp says.
    int expected = static_cast<int>(distribution.Parts.size());
    if (distribution.HasStamp && distribution.StampFault.empty()) {
        expected = std::max(expected, static_cast<int>(distribution.Stamp.DiskCount));
    }
    for (int k = MaxParts; k > expected; --k) {
        if (!found[PartFileName(FirstPartFile, k)].empty()) {
            expected = k;
            break;
        }
    }
    expected = std::max({expected, distribution.HasRecord ? distribution.Record.DiskCount : 0, 1});
    for (int k = static_cast<int>(distribution.Parts.size()) + 1; k <= expected; ++k) {
        if (found[PartFileName(FirstPartFile, k)].empty()) {
            distribution.PartFaults.push_back(MissingDiskText(k));
        }
    }
    return distribution;
}

std::string DescribeSources(const Distribution& distribution) {
    std::string text;
    for (const std::string& source : distribution.Sources) {
        text += (text.empty() ? "" : ", ") + source;
    }
    return text;
}

std::vector<std::uint8_t> JoinParts(const Distribution& distribution) {
    std::vector<std::uint8_t> archive;
    for (const ArchivePart& part : distribution.Parts) {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(part.Path);
        archive.insert(archive.end(), bytes.begin(), bytes.end());
    }
    return archive;
}

std::vector<std::string> CheckDistribution(const Distribution& distribution, const std::vector<std::uint8_t>& archive,
                                           const DecodedStream& decoded) {
    std::vector<std::string> faults = distribution.PartFaults;
    if (decoded.Truncated()) {
        faults.push_back("the archive is truncated: decoding " + std::to_string(distribution.Table.DecodedTotal) +
                         " bytes needs more than the " + std::to_string(archive.size()) + " bytes the parts hold");
    } else if (decoded.UnusedBytes() > 0) {
        faults.push_back("the archive goes on for " + std::to_string(decoded.UnusedBytes()) +
                         " bytes after the stream that DecodedTotal " +
                         std::to_string(distribution.Table.DecodedTotal) +
                         " of setup.exe covers: a part is damaged or belongs to another setup.exe");
    }
    if (!distribution.StampFault.empty()) {
        faults.push_back(distribution.StampFault);
    } else {
        const std::string stamped = std::string(SetupFileName) + " is stamped ";
        if (distribution.Stamp.DiskCount != static_cast<std::int64_t>(distribution.Parts.size())) {
            faults.push_back(stamped + "DiskCount=" + std::to_string(distribution.Stamp.DiskCount) + " but " +
                             std::to_string(distribution.Parts.size()) + " part(s) were found");
        }
        if (distribution.Stamp.ArchiveSize != static_cast<std::int64_t>(archive.size())) {
            faults.push_back(stamped + "ArchiveSize=" + std::to_string(distribution.Stamp.ArchiveSize) +
                             " but the parts hold " + std::to_string(archive.size()) + " bytes");
        }
    }
    if (!distribution.HasRecord) {
        return faults;
    }
    const DistributionRecord& record = distribution.Record;
    const std::string prefix = std::string(RecordFileName) + " ";
    if (record.DiskCount != static_cast<int>(distribution.Parts.size())) {
        faults.push_back(prefix + "has DiskCount=" + std::to_string(record.DiskCount) + " but " +
                         std::to_string(distribution.Parts.size()) + " part(s) were found");
    }
    if (record.ArchiveSize != archive.size()) {
        faults.push_back(prefix + "has ArchiveSize=" + std::to_string(record.ArchiveSize) + " but the parts hold " +
                         std::to_string(archive.size()) + " bytes");
    }
    if (record.DecodedTotal != distribution.Table.DecodedTotal) {
        faults.push_back(prefix + "has DecodedTotal=" + std::to_string(record.DecodedTotal) +
                         " but setup.exe's table says " + std::to_string(distribution.Table.DecodedTotal));
    }
    std::size_t from = 0;
    for (std::size_t i = 0; i < distribution.Parts.size() && i < record.Parts.size(); ++i) {
        const ArchivePart& part = distribution.Parts[i];
        if (part.Size != record.Parts[i].Size) {
            faults.push_back(part.Name + " holds " + std::to_string(part.Size) + " bytes, " + RecordFileName +
                             " says " + std::to_string(record.Parts[i].Size));
        } else if (Crc32(archive.data() + from, part.Size) != record.Parts[i].Crc) {
            faults.push_back(part.Name + " is damaged: its CRC-32 differs from the one in " + RecordFileName);
        }
        from += part.Size;
    }
    if (!decoded.Truncated() && decoded.Crc != record.DecodedCrc) {
        faults.push_back("the decoded stream's CRC-32 differs from the one in " + std::string(RecordFileName));
    }
    return faults;
}

std::int64_t ProgramLength(const MemberTable& table) {
    return table.Members.empty() ? table.DecodedTotal : table.Members.front().Offset;
}

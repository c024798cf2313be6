#include "distribution.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "archive/naming.h"
#include "checksum.h"
#include "errors.h"
#include "file_util.h"
#include "setup/globals.h"

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
        throw DataError(std::string(RecordFileName) + ": " + key + " has the value '" + text +
                        "', not a number");
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

}  // namespace

std::string FormatRecord(const DistributionRecord& record) {
    std::ostringstream text;
    text << "# Written by gvdist pack. Build setup.exe with DiskCount and ArchiveSize below.\n";
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

std::vector<std::uint64_t> PlanPartSizes(std::uint64_t archiveSize, std::uint64_t setupSize, std::uint64_t diskSize) {
    const std::uint64_t setupOnDisk = (setupSize + DiskClusterSize - 1) / DiskClusterSize * DiskClusterSize;
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

Distribution OpenDistribution(const std::string& dirOrSetup) {
    Distribution distribution;
    std::error_code error;
    const fs::path given(dirOrSetup);
    if (fs::is_directory(given, error)) {
        distribution.Dir = given.string();
        const auto names = NamesByUpperCase(given);
        const auto setup = names.find(UpperAscii(SetupFileName));
        if (setup == names.end()) {
            throw DataError("no " + std::string(SetupFileName) + " in " + distribution.Dir);
        }
        distribution.SetupPath = (given / setup->second).string();
    } else if (fs::exists(given, error)) {
        distribution.SetupPath = given.string();
        distribution.Dir = given.has_parent_path() ? given.parent_path().string() : ".";
    } else {
        throw DataError(dirOrSetup + " does not exist");
    }

    const std::string fault = ReadMemberTableFile(distribution.SetupPath, distribution.Table);
    if (!fault.empty()) {
        throw DataError(distribution.SetupPath + ": bad member table: " + fault);
    }

    const auto names = NamesByUpperCase(distribution.Dir);
    std::string firstMissing;
    for (int k = 1; k <= MaxParts; ++k) {
        const std::string wanted = PartFileName(FirstPartFile, k);
        const auto found = names.find(UpperAscii(wanted));
        if (found == names.end()) {
            if (firstMissing.empty()) {
                firstMissing = wanted;
            }
            continue;
        }
        if (!firstMissing.empty()) {
            distribution.PartFaults.push_back(found->second + " is present but " + firstMissing + " is missing");
            continue;
        }
        ArchivePart part;
        part.Name = found->second;
        part.Path = (fs::path(distribution.Dir) / found->second).string();
        part.Size = fs::file_size(part.Path, error);
        if (error) {
            throw DataError("cannot find the size of " + part.Path + ": " + error.message());
        }
        distribution.Parts.push_back(part);
    }
    if (distribution.Parts.empty()) {
        distribution.PartFaults.insert(distribution.PartFaults.begin(),
                                       std::string(FirstPartFile) + " is missing in " + distribution.Dir);
    }

    const auto record = names.find(UpperAscii(RecordFileName));
    if (record != names.end()) {
        const std::vector<std::uint8_t> text = ReadFileBytes((fs::path(distribution.Dir) / record->second).string());
        distribution.Record = ParseRecord(std::string(text.begin(), text.end()));
        distribution.HasRecord = true;
    }
    return distribution;
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
                         " bytes needs at least " + std::to_string((decoded.BitsUsed + 7) / 8) +
                         " bytes of compressed data, the parts hold " + std::to_string(archive.size()));
    } else if (decoded.UnusedBytes() > 0) {
        faults.push_back("the archive goes on for " + std::to_string(decoded.UnusedBytes()) +
                         " bytes after the stream that DecodedTotal " +
                         std::to_string(distribution.Table.DecodedTotal) +
                         " of setup.exe covers: a part is damaged or belongs to another setup.exe");
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
    if (!decoded.Truncated() &&
        Crc32(decoded.Bytes.data(), decoded.Bytes.size()) != record.DecodedCrc) {
        faults.push_back("the decoded stream's CRC-32 differs from the one in " + std::string(RecordFileName));
    }
    return faults;
}

std::int64_t ProgramLength(const MemberTable& table) {
    return table.Members.empty() ? table.DecodedTotal : table.Members.front().Offset;
}

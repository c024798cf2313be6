#include "dist/stamp_file.h"

#include <algorithm>
#include <cstddef>

#include "base/errors.h"
#include "dist/pe_sections.h"
#include "setup/stamp.h"
#include "util/little_endian.h"

namespace {

bool StartsWithMagic(const std::vector<std::uint8_t>& setup, std::size_t at) {
    return std::equal(StampMagic, StampMagic + StampMagicSize, setup.begin() + static_cast<std::ptrdiff_t>(at));
}

// Where the magic occurs with room for the values behind it, if it occurs once.
std::size_t FindTheMagic(const std::vector<std::uint8_t>& setup) {
    std::size_t found = setup.size(), count = 0;
    for (std::size_t at = 0; at + StampCountsSize <= setup.size(); ++at) {
        if (setup[at] == static_cast<std::uint8_t>(StampMagic[0]) && StartsWithMagic(setup, at)) {
            found = at;
            ++count;
        }
    }
    return count == 1 ? found : setup.size();
}

std::vector<PeSection> StampSections(const std::vector<std::uint8_t>& setup, const std::string& name) {
    std::vector<PeSection> found;
    for (const PeSection& section : ReadPeSections(setup, name)) {
        if (section.Name == StampSection) {
            found.push_back(section);
        }
    }
    return found;
}

}  // namespace

std::size_t FindTheStamp(const std::vector<std::uint8_t>& setup, const std::string& name) {
    const std::vector<PeSection> sections = StampSections(setup, name);
    if (sections.empty()) {
        throw DataError(name + " has no " + StampSection +
                        " section for the stamp of DiskCount and ArchiveSize: it is not a Glyphvane setup program");
    }
    if (sections.size() > 1) {
        throw DataError(name + " has " + std::to_string(sections.size()) + " " + StampSection + " sections, not one");
    }
    if (sections[0].Size < StampCountsSize || !StartsWithMagic(setup, sections[0].Offset)) {
        throw DataError(name + "'s " + StampSection + " section does not hold the stamp of DiskCount and ArchiveSize");
    }
    return sections[0].Offset;
}

std::size_t FindStampOfPackedSetup(const std::vector<std::uint8_t>& setup, const std::string& name) {
    if (StampSections(setup, name).empty()) {
        const std::size_t older = FindTheMagic(setup);
        if (older < setup.size()) {
            return older;
        }
    }
    return FindTheStamp(setup, name);
}

bool StampHoldsChecks(const std::vector<std::uint8_t>& setup, const std::string& name) {
    const std::vector<PeSection> sections = StampSections(setup, name);
    return sections.size() == 1 && sections[0].Size >= StampSize;
}

StampValues ReadStamp(const std::vector<std::uint8_t>& setup, std::size_t at) {
    const std::uint8_t* values = setup.data() + at + StampMagicSize;
    StampValues stamp;
    stamp.DiskCount = ReadInt32(values);
    stamp.ArchiveSize = ReadInt32(values + 4);
    if (at + StampSize > setup.size()) {
        return stamp;
    }
    // Read field by field: the bytes are the file's, in its byte order.
    const std::uint8_t* field = setup.data() + at + offsetof(DistributionStamp, Checks);
    DistributionChecks checks{};
    checks.CheckedParts = ReadInt32(field);
    for (int k = 0; k < MaxDiskCount; ++k) {
        checks.Parts[k] = {ReadLittle(field + 4 + 8 * k), ReadLittle(field + 8 + 8 * k)};
    }
    checks.DecodedCrc = ReadLittle(field + 4 + 8 * MaxDiskCount);
    if (ChecksServe(checks, stamp.DiskCount, stamp.ArchiveSize)) {
        stamp.HasChecks = true;
        for (int k = 0; k < checks.CheckedParts; ++k) {
            stamp.Parts.push_back({checks.Parts[k].Size, checks.Parts[k].Crc});
        }
        stamp.DecodedCrc = checks.DecodedCrc;
    }
    return stamp;
}

void WriteStamp(std::vector<std::uint8_t>& setup, std::size_t at, const StampValues& values) {
    const std::string context = "the setup cannot serve this distribution: ";
    ThrowIfFault(StampFault(values.DiskCount, values.ArchiveSize), context);
    if (values.ArchiveSize > INT32_MAX) {
        throw DataError(context + "ArchiveSize " + std::to_string(values.ArchiveSize) + " is above 2147483647");
    }
    std::uint8_t* field = setup.data() + at + StampMagicSize;
    WriteInt32(field, static_cast<std::int32_t>(values.DiskCount));
    WriteInt32(field + 4, static_cast<std::int32_t>(values.ArchiveSize));
    if (!values.HasChecks) {
        return;
    }
    std::uint8_t* checks = setup.data() + at + offsetof(DistributionStamp, Checks);
    WriteInt32(checks, static_cast<std::int32_t>(values.Parts.size()));
    for (std::size_t k = 0; k < values.Parts.size(); ++k) {
        WriteInt32(checks + 4 + 8 * k, static_cast<std::int32_t>(values.Parts[k].Size));
        WriteInt32(checks + 8 + 8 * k, static_cast<std::int32_t>(values.Parts[k].Crc));
    }
    WriteInt32(checks + 4 + 8 * MaxDiskCount, static_cast<std::int32_t>(values.DecodedCrc));
}

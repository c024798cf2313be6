#include "dist/stamp_file.h"

#include <algorithm>

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
    for (std::size_t at = 0; at + StampSize <= setup.size(); ++at) {
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
    if (sections[0].Size < StampSize || !StartsWithMagic(setup, sections[0].Offset)) {
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

StampValues ReadStamp(const std::vector<std::uint8_t>& setup, std::size_t at) {
    const std::uint8_t* values = setup.data() + at + StampMagicSize;
    return {ReadInt32(values), ReadInt32(values + 4)};
}

void WriteStamp(std::vector<std::uint8_t>& setup, std::size_t at, const StampValues& values) {
    const std::string fault = StampFault(values.DiskCount, values.ArchiveSize);
    if (!fault.empty() || values.ArchiveSize > INT32_MAX) {
        throw DataError(
            "the setup cannot serve this distribution: " +
            (fault.empty() ? "ArchiveSize " + std::to_string(values.ArchiveSize) + " is above 2147483647" : fault));
    }
    std::uint8_t* field = setup.data() + at + StampMagicSize;
    WriteInt32(field, static_cast<std::int32_t>(values.DiskCount));
    WriteInt32(field + 4, static_cast<std::int32_t>(values.ArchiveSize));
}

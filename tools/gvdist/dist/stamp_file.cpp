#include "dist/stamp_file.h"

#include <algorithm>

#include "base/errors.h"
#include "setup/stamp.h"

namespace {

std::int32_t ReadInt32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                     static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

void WriteInt32(std::uint8_t* p, std::int32_t value) {
    const std::uint32_t bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

}  // namespace

std::size_t FindTheStamp(const std::vector<std::uint8_t>& setup, const std::string& name) {
    std::vector<std::size_t> found;
    const auto magicEnd = StampMagic + StampMagicSize;
    for (auto at = setup.begin(); (at = std::search(at, setup.end(), StampMagic, magicEnd)) != setup.end(); ++at) {
        if (static_cast<std::size_t>(setup.end() - at) >= StampSize) {
            found.push_back(static_cast<std::size_t>(at - setup.begin()));
        }
    }
    if (found.size() == 1) {
        return found[0];
    }
    throw DataError(name +
                    (found.empty()
                         ? " has no record of DiskCount and ArchiveSize: it is not a Glyphvane setup program"
                         : " has " + std::to_string(found.size()) + " records of DiskCount and ArchiveSize, not one"));
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

#include "dist/pe_sections.h"

#include <algorithm>

#include "base/errors.h"
#include "util/little_endian.h"

namespace {

constexpr std::uint64_t NewHeaderPointerAt = 0x3C;
constexpr std::uint64_t FileHeaderSize = 4 + 20;  // the signature, then the file header
constexpr std::uint64_t SectionHeaderSize = 40;

}  // namespace

std::vector<PeSection> ReadPeSections(const std::vector<std::uint8_t>& image, const std::string& name) {
    const std::uint64_t size = image.size();
    const std::uint64_t pe = size >= NewHeaderPointerAt + 4 ? ReadLittle(&image[NewHeaderPointerAt], 4) : size;
    if (size < 2 || image[0] != 'M' || image[1] != 'Z' || pe + FileHeaderSize > size ||
        ReadLittle(&image[pe], 4) != 0x4550) {  // "PE\0\0"
        throw DataError(name + " is not a PE image (a Windows program)");
    }
    const std::uint64_t count = ReadLittle(&image[pe + 6], 2);
    const std::uint64_t table = pe + FileHeaderSize + ReadLittle(&image[pe + 20], 2);
    if (table + count * SectionHeaderSize > size) {
        throw DataError(name + " is a damaged PE image: its section table runs past the end of the file");
    }
    std::vector<PeSection> sections;
    for (std::uint64_t at = table; at < table + count * SectionHeaderSize; at += SectionHeaderSize) {
        PeSection section;
        const auto nameBegin = image.begin() + static_cast<std::ptrdiff_t>(at);
        section.Name.assign(nameBegin, std::find(nameBegin, nameBegin + 8, 0));
        const std::uint64_t virtualSize = ReadLittle(&image[at + 8], 4), rawSize = ReadLittle(&image[at + 16], 4);
        section.Offset = ReadLittle(&image[at + 20], 4);
        section.RawSize = rawSize;
        section.Size = virtualSize == 0 ? rawSize : std::min(virtualSize, rawSize);
        if (section.Offset + rawSize > size) {
            throw DataError(name + " is a damaged PE image: its section " + section.Name +
                            " runs past the end of the file");
        }
        sections.push_back(section);
    }
    return sections;
}

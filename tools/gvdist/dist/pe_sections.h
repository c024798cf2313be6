// The sections of a Windows program (a PE image), found through its
// headers: the MS-DOS header's last field points to "PE\0\0", the file
// header that follows counts the sections and sizes the optional header,
// and the section table behind that gives each section's 8-byte name and
// where its bytes lie in the file. Integers are little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PeSection {
    std::string Name;  // up to 8 characters; a longer one reads "/" and a number
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;     // the bytes the loader maps from the file
    std::uint64_t RawSize = 0;  // the bytes it takes in the file
};

// Throws DataError, naming `name`, when `image` is not a PE image or its
// section table or a section runs past the end of the file.
std::vector<PeSection> ReadPeSections(const std::vector<std::uint8_t>& image, const std::string& name);

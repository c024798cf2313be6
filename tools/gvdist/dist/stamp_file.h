// The distribution record in a setup.exe's bytes: found, read and stamped
// by gvdist (the setup itself only reads its own copy).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct StampValues {
    std::int64_t DiskCount = 0;
    std::int64_t ArchiveSize = 0;
};

// Where the one record of `setup` starts. Throws DataError, naming `name`,
// when the file holds no record or more than one.
std::size_t FindTheStamp(const std::vector<std::uint8_t>& setup, const std::string& name);

StampValues ReadStamp(const std::vector<std::uint8_t>& setup, std::size_t at);

// Writes the values into the record at `at`. Throws DataError when they
// cannot serve a setup.
void WriteStamp(std::vector<std::uint8_t>& setup, std::size_t at, const StampValues& values);

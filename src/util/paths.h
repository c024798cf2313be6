// Path, drive and byte helpers that need no window or file system.
#pragma once

#include <cstdint>
#include <string>

// Joins with exactly one backslash between a non-empty directory and name;
// an empty directory gives the name unchanged. Nothing else is normalised.
std::string PathJoin(const std::string& directory, const std::string& name);

// `path` as a command line starts it: in double quotes when it holds a
// space, so Windows does not take "C:\PROGRAM" for the program.
std::string CommandLineFor(const std::string& path);

// The path up to and including its last ':' or '\', or "" if it has neither.
std::string DirPart(const std::string& path);

bool HasWildcards(const std::string& path);

std::uint8_t ByteMin(std::uint8_t a, std::uint8_t b);
std::uint8_t ByteMax(std::uint8_t a, std::uint8_t b);

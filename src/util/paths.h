// Path, drive and byte helpers that need no window or file system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Joins with exactly one backslash between a non-empty directory and name;
// an empty directory gives the name unchanged. Nothing else is normalised.
std::string PathJoin(const std::string& directory, const std::string& name);

// The same into `out`, `size` bytes, without the heap: the clean-up after a
// stop takes none. False, `out` empty, when the path does not fit.
bool PathJoinInto(char* out, std::size_t size, std::string_view directory, std::string_view name);

// `path` as a command line starts it: in double quotes when it holds a
// space, so Windows does not take "C:\PROGRAM" for the program.
std::string CommandLineFor(const std::string& path);

// The path up to and including its last ':' or '\', or "" if it has neither.
std::string DirPart(const std::string& path);

bool HasWildcards(std::string_view path);

std::uint8_t ByteMin(std::uint8_t a, std::uint8_t b);
std::uint8_t ByteMax(std::uint8_t a, std::uint8_t b);

#include "util/paths.h"

std::string PathJoin(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    if (directory.back() == '\\') return directory + name;
    return directory + '\\' + name;
}

bool PathJoinInto(char* out, std::size_t size, std::string_view directory, std::string_view name) {
    const bool separate = !directory.empty() && directory.back() != '\\';
    const std::size_t length = directory.size() + (separate ? 1 : 0) + name.size();
    if (size == 0) return false;
    out[0] = '\0';
    if (length >= size) return false;
    char* at = out;
    for (const char c : directory) *at++ = c;
    if (separate) *at++ = '\\';
    for (const char c : name) *at++ = c;
    *at = '\0';
    return true;
}

std::string CommandLineFor(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

std::string DirPart(const std::string& path) {
    const std::size_t cut = path.find_last_of(":\\");
    if (cut == std::string::npos) return std::string();
    return path.substr(0, cut + 1);
}

bool HasWildcards(std::string_view path) { return path.find_first_of("*?") != std::string_view::npos; }

std::uint8_t ByteMin(std::uint8_t a, std::uint8_t b) { return a < b ? a : b; }

std::uint8_t ByteMax(std::uint8_t a, std::uint8_t b) { return a > b ? a : b; }

#include "util/paths.h"

std::string PathJoin(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    if (directory.back() == '\\') return directory + name;
    return directory + '\\' + name;
}

std::string CommandLineFor(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

std::string DirPart(const std::string& path) {
    const std::size_t cut = path.find_last_of(":\\");
    if (cut == std::string::npos) return std::string();
    return path.substr(0, cut + 1);
}

bool HasWildcards(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

std::uint8_t ByteMin(std::uint8_t a, std::uint8_t b) { return a < b ? a : b; }

std::uint8_t ByteMax(std::uint8_t a, std::uint8_t b) { return a > b ? a : b; }

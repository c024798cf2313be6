// Arbitrary file tails through the member table reader: it must never read
// outside the tail, and whatever it accepts must pass the rules again and
// survive a write and a second read unchanged. The same bytes also make a
// table of their own (DecodedTotal, then names split at zero bytes): what
// the rules accept must be files that Windows keeps apart, under the very
// names given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "archive/member_table.h"
#include "archive/naming.h"
#include "setup/globals.h"

namespace {

// Windows opens a name without its trailing dots and spaces, and ignores
// the case of letters.
std::string AsWindowsOpensIt(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return UpperAscii(name);
}

void CheckNamedTable(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return;
    MemberTable table;
    table.DecodedTotal = static_cast<std::int32_t>(static_cast<std::uint32_t>(data[0]) | data[1] << 8 |
                                                   data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24);
    std::string name;
    for (std::size_t i = 4; i <= size && table.Members.size() < MemberCountMax; ++i) {
        if (i == size || data[i] == 0) {
            table.Members.push_back({name, 0, 0});
            name.clear();
        } else {
            name += static_cast<char>(data[i]);
        }
    }
    if (!ValidateMemberTable(table).empty()) return;
    std::set<std::string> files = {AsWindowsOpensIt(ProgramFile)};
    for (const MemberEntry& member : table.Members) {
        if (AsWindowsOpensIt(member.Name) != UpperAscii(member.Name) || !files.insert(UpperAscii(member.Name)).second ||
            member.Name.find_first_of("\\/:") != std::string::npos) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckNamedTable(data, size);
    // The tail is copied to a buffer of its exact size so that the sanitizer
    // catches any read before its start or past its end.
    std::vector<std::uint8_t> tail(data, data + size);
    MemberTable table;
    if (!ParseMemberTable(tail.data(), tail.size(), tail.size(), table).empty()) {
        return 0;
    }
    if (!ValidateMemberTable(table).empty()) {
        std::abort();
    }
    // Written again and read back, the table gives the same bytes.
    const std::vector<std::uint8_t> written = SerializeMemberTable(table);
    MemberTable again;
    if (!ParseMemberTable(written.data(), written.size(), written.size(), again).empty() ||
        SerializeMemberTable(again) != written || again.Members.size() != table.Members.size()) {
        std::abort();
    }
    return 0;
}

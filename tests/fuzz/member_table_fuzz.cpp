// Arbitrary file tails through the member table reader: it must never read
// outside the tail, and whatever it accepts must survive a write and a
// second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "archive/member_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The tail is copied to a buffer of its exact size so that the sanitizer
    // catches any read before its start or past its end.
    std::vector<std::uint8_t> tail(data, data + size);
    MemberTable table;
    if (ParseMemberTable(tail.data(), tail.size(), tail.size(), table)) return 0;
    // Written again and read back, the table gives the same bytes.
    const std::vector<std::uint8_t> written = SerializeMemberTable(table);
    MemberTable again;
    if (ParseMemberTable(written.data(), written.size(), written.size(), again) ||
        SerializeMemberTable(again) != written || again.Members.size() != table.Members.size())
        std::abort();
    return 0;
}

// The member table in files as gvdist reads and writes them: kept apart
// from the parser, so setup.exe (which reads its own file through the
// system) carries none of it.
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "archive/member_table.h"
#include "util/little_endian.h"

namespace {

void AppendInt32(std::vector<std::uint8_t>& out, std::int32_t value) {
    std::uint8_t bytes[4];
    WriteInt32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace

Fault ReadMemberTableFile(const std::string& path, MemberTable& table) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        return "cannot open " + path;
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        return "cannot find the size of " + path;
    }
    const long length = std::ftell(file.get());
    if (length < 0) {
        return "cannot find the size of " + path;
    }
    const std::uint64_t fileSize = static_cast<std::uint64_t>(length);
    std::vector<std::uint8_t> tail(MemberTableTailSize(fileSize));
    if (std::fseek(file.get(), length - static_cast<long>(tail.size()), SEEK_SET) != 0 ||
        std::fread(tail.data(), 1, tail.size(), file.get()) != tail.size()) {
        return "cannot read the end of " + path;
    }
    return ParseMemberTable(tail.data(), tail.size(), fileSize, table);
}

std::vector<std::uint8_t> SerializeMemberTable(const MemberTable& table) {
    if (table.Members.size() > MemberCountMax) {
        throw std::invalid_argument("a member table holds at most 255 entries");
    }
    std::vector<std::uint8_t> out;
    out.reserve(table.Members.size() * MemberEntrySize + MemberTrailerSize);
    for (const MemberEntry& member : table.Members) {
        if (member.Name.size() > MemberNameMax) {
            throw std::invalid_argument("a member name of " + std::to_string(member.Name.size()) +
                                        " bytes is longer than 19");
        }
        out.push_back(static_cast<std::uint8_t>(member.Name.size()));
        out.insert(out.end(), member.Name.begin(), member.Name.end());
        out.insert(out.end(), MemberNameMax - member.Name.size(), 0);
        AppendInt32(out, member.Offset);
        AppendInt32(out, member.Size);
    }
    out.push_back(static_cast<std::uint8_t>(table.Members.size()));
    AppendInt32(out, table.DecodedTotal);
    return out;
}

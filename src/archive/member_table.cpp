#include "archive/member_table.h"

#include <algorithm>

#include "archive/naming.h"
#include "setup/product.h"
#include "util/little_endian.h"

namespace {

// Two upper-case hex digits, without the printf family the setup leaves out.
std::string Hex2(unsigned char c) {
    const char digits[] = "0123456789ABCDEF";
    return {digits[c >> 4], digits[c & 0xF]};
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Windows opens a device, not a file, for these names whatever extension
// follows them; it also ignores trailing spaces and dots of the base name.
bool IsDeviceName(const std::string& name) {
    std::string base = UpperAscii(name.substr(0, name.find('.')));
    while (!base.empty() && (base.back() == ' ' || base.back() == '.')) {
        base.pop_back();
    }
    if (base == "CON" || base == "NUL" || base == "AUX" || base == "PRN") {
        return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

std::string Describe(std::size_t index, const std::string& name) {
    return "member " + std::to_string(index + 1) + " (\"" + PrintableName(name) + "\")";
}

}  // namespace

// Names come from an untrusted file: show them on one line, whatever they hold.
std::string PrintableName(const std::string& name) {
    std::string shown;
    for (const char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (IsControl(c) || c >= 0x80 || c == '"' || c == '\\') {
            shown += "\\x" + Hex2(c);
        } else {
            shown += ch;
        }
    }
    return shown;
}

Fault CheckMemberName(const std::string& name) {
    if (name.empty()) {
        return "name is empty";
    }
    if (name.size() > MemberNameMax) {
        return "name is " + std::to_string(name.size()) + " bytes long, more than " + std::to_string(MemberNameMax);
    }
    for (const char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '/' || c == ':') {
            return std::string("name contains '") + ch + "'";
        }
        if (IsControl(c)) {
            return "name contains the control character 0x" + Hex2(c);
        }
        // Whether two names with other bytes are one file depends on the
        // code page of the machine that installs (in a DBCS code page a
        // byte may be half a letter): the case-blind comparisons of names
        // hold for ASCII names only.
        if (c >= 0x80) {
            return "name contains the non-ASCII byte 0x" + Hex2(c);
        }
    }
    if (name == "." || name == "..") {
        return "name is a directory reference";
    }
    if (IsDeviceName(name)) {
        return "name is a device name";
    }
    // Windows drops them when it opens the file, so the name on disk would
    // not be the one the keep and help rules looked at.
    if (name.back() == '.' || name.back() == ' ') {
        return "name ends in a dot or a space";
    }
    return {};
}

Fault CheckAliasNames(const std::vector<MemberEntry>& members) {
    const auto longName = std::find_if(members.begin(), members.end(),
                                       [](const MemberEntry& member) { return !IsShortName(member.Name); });
    if (longName == members.end()) return {};
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (HasAliasForm(members[i].Name)) {
            const std::size_t other = static_cast<std::size_t>(longName - members.begin());
            return Describe(i, members[i].Name) + ": name has the form of a short alias, which " +
                   Describe(other, longName->Name) + " may have";
        }
    }
    return {};
}

Fault ValidateMemberTable(const MemberTable& table) {
    if (table.DecodedTotal < 0) {
        return "DecodedTotal " + std::to_string(table.DecodedTotal) + " is negative";
    }
    if (table.Members.size() > MemberCountMax) {
        return std::to_string(table.Members.size()) + " members, more than " + std::to_string(MemberCountMax);
    }
    // Windows file names ignore the case of letters: two names that differ
    // only in case are one file, and a member of the program's name would
    // overwrite the program file while the members are read out of it.
    // Members follow one another: one that reached back over an earlier one
    // would let a short archive fill the disk with the same bytes again.
    std::int64_t previousEnd = 0;
    for (std::size_t i = 0; i < table.Members.size(); ++i) {
        const MemberEntry& member = table.Members[i];
        if (const Fault nameFault = CheckMemberName(member.Name)) {
            return Describe(i, member.Name) + ": " + nameFault.Message();
        }
        const std::string upper = UpperAscii(member.Name);
        if (upper == UpperAscii(ProgramFile)) {
            return Describe(i, member.Name) + ": name is the program file's";
        }
        for (std::size_t earlier = 0; earlier < i; ++earlier) {
            if (UpperAscii(table.Members[earlier].Name) == upper) {
                return Describe(i, member.Name) + ": name is the same file as member " + std::to_string(earlier + 1) +
                       "'s";
            }
        }
        if (member.Offset < 0) {
            return Describe(i, member.Name) + ": offset " + std::to_string(member.Offset) + " is negative";
        }
        if (member.Size < 0) {
            return Describe(i, member.Name) + ": size " + std::to_string(member.Size) + " is negative";
        }
        const std::int64_t end = static_cast<std::int64_t>(member.Offset) + member.Size;
        if (end > table.DecodedTotal) {
            return Describe(i, member.Name) + ": ends at " + std::to_string(end) + ", past DecodedTotal " +
                   std::to_string(table.DecodedTotal);
        }
        if (member.Offset < previousEnd) {  // never for the first: the program file is what lies before it
            return Describe(i, member.Name) + ": starts at " + std::to_string(member.Offset) + ", inside " +
                   Describe(i - 1, table.Members[i - 1].Name) + ", which ends at " + std::to_string(previousEnd);
        }
        previousEnd = end;
    }
    return CheckAliasNames(table.Members);
}

std::size_t MemberTableTailSize(std::uint64_t fileSize) {
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(fileSize, MemberTrailerSize + MemberCountMax * MemberEntrySize));
}

Fault ParseMemberTable(const std::uint8_t* tail, std::size_t tailSize, std::uint64_t fileSize, MemberTable& table) {
    if (tailSize > fileSize) {
        return "the table's bytes are more than the file holds";
    }
    if (fileSize < MemberTrailerSize) {
        return "the file holds " + std::to_string(fileSize) + " bytes, too few for a member table";
    }
    if (tailSize < MemberTrailerSize) {
        return "only " + std::to_string(tailSize) + " bytes of the table were read";
    }
    const std::uint8_t* trailer = tail + tailSize - MemberTrailerSize;
    const std::size_t count = trailer[0];
    const std::uint64_t needed = MemberTrailerSize + MemberEntrySize * count;
    if (needed > fileSize) {
        return "the table's " + std::to_string(count) + " entries need " + std::to_string(needed) +
               " bytes, but the file holds only " + std::to_string(fileSize);
    }
    if (needed > tailSize) {
        return "the table's " + std::to_string(count) + " entries need " + std::to_string(needed) +
               " bytes, but only " + std::to_string(tailSize) + " were read";
    }
    table.DecodedTotal = ReadInt32(trailer + 1);
    table.Members.clear();
    const std::uint8_t* entry = trailer - MemberEntrySize * count;
    for (std::size_t i = 0; i < count; ++i, entry += MemberEntrySize) {
        const std::size_t length = entry[0];
        if (length > MemberNameMax) {
            return "member " + std::to_string(i + 1) + ": name length " + std::to_string(length) + " is more than " +
                   std::to_string(MemberNameMax);
        }
        MemberEntry member;
        member.Name.assign(reinterpret_cast<const char*>(entry + 1), length);
        member.Offset = ReadInt32(entry + 1 + MemberNameMax);
        member.Size = ReadInt32(entry + 1 + MemberNameMax + 4);
        table.Members.push_back(member);
    }
    return ValidateMemberTable(table);
}

std::int32_t ProgramLength(const std::vector<MemberEntry>& members, std::int32_t decodedTotal) {
    return members.empty() ? decodedTotal : members.front().Offset;
}

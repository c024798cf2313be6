// The member table that gvdist appends to setup.exe. Found from the end of
// the file; all integers little-endian. With L the file's length and n the
// entry count:
//   L-5-28n  n entries of 28 bytes: name length (1), name (19, only the
//            first `length` bytes count), offset (4, signed), size (4, signed)
//   L-5      n, unsigned byte
//   L-4      DecodedTotal, signed: the length of the decoded stream
// Bytes [0, first offset) of the decoded stream are the program file; each
// member is the stream's bytes [offset, offset + size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "util/fault.h"

constexpr std::size_t MemberEntrySize = 28;
constexpr std::size_t MemberNameMax = 19;
constexpr std::size_t MemberTrailerSize = 5;
constexpr std::size_t MemberCountMax = 255;

struct MemberEntry {
    std::string Name;
    std::int32_t Offset = 0;
    std::int32_t Size = 0;
};

struct MemberTable {
    std::vector<MemberEntry> Members;
    std::int32_t DecodedTotal = 0;
};

// Bytes [0, ProgramLength) of the decoded stream are the program file: up
// to the first member's offset, or the whole stream without members.
std::int32_t ProgramLength(const std::vector<MemberEntry>& members, std::int32_t decodedTotal);

// How many bytes from the end of a file of `fileSize` bytes always hold
// its whole table.
std::size_t MemberTableTailSize(std::uint64_t fileSize);

// Parses the table from the last `tailSize` bytes of a file of `fileSize`
// bytes (MemberTableTailSize is always enough) and validates it. On a fault
// `table` is unspecified.
Fault ParseMemberTable(const std::uint8_t* tail, std::size_t tailSize, std::uint64_t fileSize, MemberTable& table);

// Reads and validates the table at the end of the file `path` (gvdist's
// reader; the setup reads its own file through the system).
Fault ReadMemberTableFile(const std::string& path, MemberTable& table);

// The rules every table must pass: safe names, offsets and sizes not
// negative and inside DecodedTotal, each member after the one before.
Fault ValidateMemberTable(const MemberTable& table);

// `name` on one line whatever it holds: control, non-ASCII, quote and
// backslash bytes as \xHH.
std::string PrintableName(const std::string& name);

// Why `name` cannot be a member's file name, if it cannot.
Fault CheckMemberName(const std::string& name);

// Windows gives a long name a short alias ("LONGFI~1.TXT"), and a member
// named like one would land in the other member's file. A member name of
// that form is refused beside any member whose name is long.
Fault CheckAliasNames(const std::vector<MemberEntry>& members);

// The bytes to append to setup.exe: entries, count, DecodedTotal.
std::vector<std::uint8_t> SerializeMemberTable(const MemberTable& table);

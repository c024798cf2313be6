#include "archive/member_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Parse(const Bytes& file, MemberTable& table) {
    return ParseMemberTable(file.data(), file.size(), file.size(), table).Message();
}

MemberEntry Named(const std::string& name) { return {name, 0, 0}; }

TEST(MemberTableTest, WritesAndReadsTheExactLayout) {
    Bytes expected = {2, 'A', 'B'};
    expected.resize(20, 0);
    expected.insert(expected.end(), {0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0x01, 0x00, 0x00, 0x7F});
    EXPECT_EQ(SerializeMemberTable(MemberTable{{{"AB", 0x01020304, -2}}, 0x7F000001}), expected);

    // The largest table behind an executable, read from a file: the tail
    // read covers it all, and name bytes past the length byte are leftovers
    // that do not count.
    std::vector<MemberEntry> many;
    for (std::int32_t i = 0; i < 255; ++i) many.push_back({"M" + std::to_string(i), i * 0x7F0000, i * 0x7F01});
    const Bytes largest = SerializeMemberTable(MemberTable{many, 0x7FFFFFFF});
    Bytes file = largest;
    file.insert(file.begin(), 3000, 0xCC);
    file[file.size() - 5 - 2 * MemberEntrySize + 1 + 4] = 'X';  // just past "M253"
    const std::string path = (std::filesystem::temp_directory_path() / "gv-member-table-255.bin").string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    MemberTable read;
    ASSERT_EQ(ReadMemberTableFile(path, read).Message(), "");
    EXPECT_EQ(SerializeMemberTable(read), largest);
    std::filesystem::remove(path);

    EXPECT_THROW(SerializeMemberTable({{Named("12345678901234567890")}, 0}), std::invalid_argument);
    EXPECT_THROW(SerializeMemberTable({std::vector(256, Named("A")), 0}), std::invalid_argument);
}

// The member table is checked before anything is written: each rule, on the
// table and again through the reader.
TEST(MemberTableTest, ValidationRules) {
    // The table, and part of the message ("" for a valid table).
    const std::pair<MemberTable, const char*> rows[] = {
        {{{Named("1234567890123456789"), Named("COM0"), Named("LPT"), Named("...X")}, 10}, ""},
        {{{{"A", 0, 50}, {"B", 50, 50}, {"END", 0x7FFFFFFE, 1}, {"EMPTY~1", 0x7FFFFFFF, 0}}, 0x7FFFFFFF}, ""},
        {{{{"A", 0, 80}, {"B", 50, 50}}, 100}, "member 2 (\"B\"): starts at 50, inside member 1 (\"A\")"},
        {{{}, 77}, ""},
        {{{Named("")}, 10}, "member 1 (\"\"): name is empty"},
        {{{Named("12345678901234567890")}, 10}, "more than 19"},
        {{{Named("A"), Named("..\\EVIL.EXE")}, 10}, "member 2 (\"..\\x5CEVIL.EXE\"): name contains '\\'"},
        {{{Named("sub/file")}, 10}, "name contains '/'"},
        {{{Named("C:")}, 10}, "name contains ':'"},
        {{{Named("LINE\nBREAK")}, 10}, "(\"LINE\\x0ABREAK\"): name contains the control character 0x0A"},
        {{{Named("DEL\x7F")}, 10}, "control character 0x7F"},
        // Member names are ASCII only.
        {{{Named("\xC4.txt")}, 10}, "(\"\\xC4.txt\"): name contains the non-ASCII byte 0xC4"},
        {{{Named("..")}, 10}, "directory reference"},
        {{{Named("con")}, 10}, "device name"},
        {{{Named("com9.log")}, 10}, "device name"},
        {{{Named("NUL .TXT")}, 10}, "device name"},
        {{{Named("FONTS.LIB.")}, 10}, "member 1 (\"FONTS.LIB.\"): name ends in a dot or a space"},
        {{{Named("X.HLP ")}, 10}, "ends in a dot or a space"},
        {{{Named("A"), Named("gLyPhVaNe.eXe")}, 10}, "member 2 (\"gLyPhVaNe.eXe\"): name is the program file's"},
        {{{Named("R.ME"), Named("B"), Named("r.me")}, 10}, "3 (\"r.me\"): name is the same file as member 1's"},
        // A short alias is ~ and digits ending an 8.3 name's base; refused beside a name that is not 8.3.
        {{{Named("B~1.TXT"), Named("A"), Named("b.txt.txt")}, 10}, "(\"B~1.TXT\"): name has the form of a short alias"},
        {{{Named("LONG NAME"), Named("GLYP~SOY.EXE"), Named("A~.T"), Named("X~1.TEXT"), Named("XYZABC~12")}, 10}, ""},
        {{{{"A.TXT", -1, 1}}, 10}, "member 1 (\"A.TXT\"): offset -1 is negative"},
        {{{{"A.TXT", 0, -5}}, 10}, "size -5 is negative"},
        {{{}, -1}, "DecodedTotal -1 is negative"},
        {{{{"A.TXT", 5, 6}}, 10}, "member 1 (\"A.TXT\"): ends at 11, past DecodedTotal 10"},
        {{{{"BIG", 0x7FFFFFFF, 0x7FFFFFFF}}, 0x7FFFFFFF}, "ends at 4294967294, past"},
    };
    for (const auto& [input, expected] : rows) {
        SCOPED_TRACE(expected);
        const std::string fault = ValidateMemberTable(input).Message();
        EXPECT_EQ(fault.empty(), *expected == '\0') << fault;
        EXPECT_NE(fault.find(expected), std::string::npos) << fault;
        if (input.Members.empty() || input.Members[0].Name.size() <= MemberNameMax) {
            MemberTable read;
            EXPECT_EQ(Parse(SerializeMemberTable(input), read), fault);
        }
    }
}

TEST(MemberTableTest, ReaderRejectsBytesThatDoNotFit) {
    const Bytes good = SerializeMemberTable(MemberTable{{Named("A"), Named("B"), Named("C")}, 10});
    MemberTable read;
    Bytes file = good;
    file[file.size() - 5] = 4;
    EXPECT_EQ(Parse(file, read), "the table's 4 entries need 117 bytes, but the file holds only 89");
    file = good;
    file[0] = 20;
    EXPECT_EQ(Parse(file, read), "member 1: name length 20 is more than 19");
    EXPECT_NE(Parse(Bytes(4, 0), read), "");
    EXPECT_TRUE(ParseMemberTable(good.data() + 10, good.size() - 10, 10000, read));  // short tail of a longer file
}

}  // namespace

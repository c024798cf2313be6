#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/member_table.h"

namespace {

MemberTable SampleTable() {
    MemberTable table;
    table.Members = {{"UnInstal.Exe", 1000, 200}, {"GLYPH.HLP", 1200, 0}, {"USER.LIB", 1200, 34}};
    table.DecodedTotal = 1234;
    return table;
}

std::string Parse(const std::vector<std::uint8_t>& file, MemberTable& table) {
    return ParseMemberTable(file.data(), file.size(), file.size(), table);
}

void PutInt32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
    }
}

TEST(MemberTableTest, SerializesTheExactLayout) {
    MemberTable table;
    table.Members = {{"AB", 0x01020304, -2}};
    table.DecodedTotal = 0x7F000001;
    const std::vector<std::uint8_t> bytes = SerializeMemberTable(table);
    std::vector<std::uint8_t> expected = {2, 'A', 'B'};
    expected.resize(20, 0);  // unused name bytes are zero
    const std::vector<std::uint8_t> tail = {0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF,
                                            1,    0x01, 0x00, 0x00, 0x7F};
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(bytes, expected);
}

TEST(MemberTableTest, RoundTripsBehindAnExecutable) {
    std::vector<std::uint8_t> file(3000, 0xCC);
    const std::vector<std::uint8_t> table = SerializeMemberTable(SampleTable());
    file.insert(file.end(), table.begin(), table.end());
    ASSERT_EQ(file.size(), 3000 + 3 * MemberEntrySize + MemberTrailerSize);

    MemberTable read;
    ASSERT_EQ(Parse(file, read), "");
    ASSERT_EQ(read.Members.size(), 3u);
    EXPECT_EQ(read.DecodedTotal, 1234);
    EXPECT_EQ(read.Members[0].Name, "UnInstal.Exe");
    EXPECT_EQ(read.Members[1].Offset, 1200);
    EXPECT_EQ(read.Members[1].Size, 0);
    EXPECT_EQ(read.Members[2].Name, "USER.LIB");
    EXPECT_EQ(read.Members[2].Size, 34);

    // Only the tail is needed: the caller passes the last bytes and the size.
    const std::size_t tailSize = 200;
    MemberTable fromTail;
    ASSERT_EQ(ParseMemberTable(file.data() + file.size() - tailSize, tailSize, file.size(), fromTail), "");
    EXPECT_EQ(fromTail.Members.size(), 3u);
}

TEST(MemberTableTest, IgnoresNameBytesPastTheLength) {
    std::vector<std::uint8_t> file = SerializeMemberTable(SampleTable());
    // Leftovers of a longer name behind "GLYPH.HLP" (9 bytes) do not count.
    file[MemberEntrySize + 1 + 9] = 'X';
    file[MemberEntrySize + 19] = '\\';
    MemberTable read;
    ASSERT_EQ(Parse(file, read), "");
    EXPECT_EQ(read.Members[1].Name, "GLYPH.HLP");
}

TEST(MemberTableTest, EmptyTableAndStricterChecksThatAreNotMade) {
    MemberTable empty;
    empty.DecodedTotal = 77;
    MemberTable read;
    ASSERT_EQ(Parse(SerializeMemberTable(empty), read), "");
    EXPECT_TRUE(read.Members.empty());
    EXPECT_EQ(read.DecodedTotal, 77);

    // Overlaps, gaps and any order are data of the build, not faults.
    MemberTable odd;
    odd.Members = {{"B", 50, 50}, {"A", 0, 80}, {"C", 100, 0}, {"D", 10, 5}};
    odd.DecodedTotal = 100;
    EXPECT_EQ(ValidateMemberTable(odd), "");
    EXPECT_EQ(Parse(SerializeMemberTable(odd), read), "");
}

TEST(MemberTableTest, ReadsTheEndOfAFile) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "gv_member_table_test.exe").string();
    {
        std::ofstream file(path, std::ios::binary);
        const std::string image(5000, 'M');
        file.write(image.data(), static_cast<std::streamsize>(image.size()));
        const std::vector<std::uint8_t> table = SerializeMemberTable(SampleTable());
        file.write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size()));
    }
    MemberTable read;
    EXPECT_EQ(ReadMemberTableFile(path, read), "");
    EXPECT_EQ(read.Members.size(), 3u);
    EXPECT_EQ(read.DecodedTotal, 1234);
    std::filesystem::remove(path);
    EXPECT_NE(ReadMemberTableFile(path, read), "");
}

struct NameRule {
    std::string Name;
    const char* Fault;  // part of the message, or "" for an accepted name
};

TEST(MemberTableTest, NameRules) {
    const NameRule rules[] = {
        {"README.TXT", ""},
        {"a", ""},
        {"1234567890123456789", ""},
        {"CONFIG.SYS", ""},
        {"COM0", ""},
        {"COM10", ""},
        {"LPT", ""},
        {"NULL.TXT", ""},
        {"...", ""},
        {"\xE4rger.txt", ""},
        {"", "empty"},
        {"12345678901234567890", "more than 19"},
        {"..\\EVIL.EXE", "'\\'"},
        {"sub/file", "'/'"},
        {"A:B.TXT", "':'"},
        {"C:", "':'"},
        {std::string("A\0B", 3), "control character 0x00"},
        {"TAB\tX", "control character 0x09"},
        {"BELL\x1F", "control character 0x1F"},
        {"DEL\x7F", "control character 0x7F"},
        {".", "directory reference"},
        {"..", "directory reference"},
        {"CON", "device"},
        {"con", "device"},
        {"Nul", "device"},
        {"nul.txt", "device"},
        {"AUX.DAT", "device"},
        {"prn", "device"},
        {"COM1", "device"},
        {"com9.log", "device"},
        {"LPT1", "device"},
        {"lpt9", "device"},
        {"NUL .TXT", "device"},
        {"CON.", "device"},
    };
    for (const NameRule& rule : rules) {
        SCOPED_TRACE(rule.Name);
        const std::string fault = CheckMemberName(rule.Name);
        if (*rule.Fault == '\0') {
            EXPECT_EQ(fault, "");
        } else {
            EXPECT_NE(fault.find(rule.Fault), std::string::npos) << fault;
        }
    }
}

TEST(MemberTableTest, TableRulesNameTheEntry) {
    const struct {
        std::vector<MemberEntry> Members;
        std::int32_t DecodedTotal;
        const char* Message;
    } cases[] = {
        {{{"A.TXT", 0, 1}, {"B.TXT", 1, 1}, {"A:B.TXT", 2, 1}}, 10, "member 3 (\"A:B.TXT\"): name contains ':'"},
        {{{"A.TXT", -1, 1}}, 10, "member 1 (\"A.TXT\"): offset -1 is negative"},
        {{{"A.TXT", 0, -5}}, 10, "member 1 (\"A.TXT\"): size -5 is negative"},
        {{{"A.TXT", 5, 6}}, 10, "member 1 (\"A.TXT\"): ends at 11, past DecodedTotal 10"},
        {{}, -1, "DecodedTotal -1 is negative"},
        // offset + size wraps to a negative number in 32 bits.
        {{{"BIG", 0x7FFFFFFF, 0x7FFFFFFF}}, 0x7FFFFFFF, "ends at 4294967294, past DecodedTotal 2147483647"},
        {{{"BIG", 1, 0x7FFFFFFF}}, 0x7FFFFFFF, "ends at 2147483648"},
        {{{"LINE\nBREAK", 0, 1}}, 10, "member 1 (\"LINE\\x0ABREAK\"): name contains the control character 0x0A"},
    };
    for (const auto& c : cases) {
        MemberTable table;
        table.Members = c.Members;
        table.DecodedTotal = c.DecodedTotal;
        SCOPED_TRACE(c.Message);
        const std::string fault = ValidateMemberTable(table);
        EXPECT_NE(fault.find(c.Message), std::string::npos) << fault;
        // The reader applies the same rules.
        MemberTable read;
        EXPECT_EQ(Parse(SerializeMemberTable(table), read), fault);
    }

    MemberTable edge;
    edge.Members = {{"END", 0x7FFFFFFE, 1}, {"EMPTY", 0x7FFFFFFF, 0}};
    edge.DecodedTotal = 0x7FFFFFFF;
    EXPECT_EQ(ValidateMemberTable(edge), "");
}

TEST(MemberTableTest, RejectsCountsAndLengthsThatDoNotFit) {
    std::vector<std::uint8_t> file = SerializeMemberTable(SampleTable());
    MemberTable read;

    std::vector<std::uint8_t> tooMany = file;
    tooMany[tooMany.size() - 5] = 4;  // 4 entries need 117 bytes; 89 are there
    EXPECT_NE(Parse(tooMany, read).find("the file holds only 89"), std::string::npos) << Parse(tooMany, read);

    std::vector<std::uint8_t> maxCount(10, 0);
    maxCount[5] = 255;
    EXPECT_NE(Parse(maxCount, read).find("255 entries need 7145 bytes"), std::string::npos);

    // A tail shorter than the entries it announces, from a longer file.
    EXPECT_NE(ParseMemberTable(file.data() + 10, file.size() - 10, 10000, read), "");

    for (std::size_t size = 0; size < MemberTrailerSize; ++size) {
        EXPECT_NE(ParseMemberTable(file.data(), size, size, read), "") << size;
    }

    std::vector<std::uint8_t> longName = file;
    longName[0] = 20;
    EXPECT_EQ(Parse(longName, read), "member 1: name length 20 is more than 19");

    std::vector<std::uint8_t> negative = file;
    PutInt32(negative, negative.size() - 4, -1234);
    EXPECT_EQ(Parse(negative, read), "DecodedTotal -1234 is negative");
}

TEST(MemberTableTest, RefusesToWriteWhatCannotBeRead) {
    MemberTable table;
    table.Members = {{"12345678901234567890", 0, 0}};
    EXPECT_THROW(SerializeMemberTable(table), std::invalid_argument);
    table.Members.assign(256, MemberEntry{"A", 0, 0});
    EXPECT_THROW(SerializeMemberTable(table), std::invalid_argument);
}

}  // namespace

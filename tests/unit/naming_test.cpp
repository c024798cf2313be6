#include <gtest/gtest.h>

#include <stdexcept>

#include "archive/naming.h"

namespace {

struct NameCase {
    const char* Name;
    const char* Extension;
    bool Kept;
    bool Help;
};

const NameCase NameCases[] = {
    {"GLYPH.HLP", ".HLP", false, true},
    {"glyph.hlp", ".hlp", false, true},
    {"Glyph.Hlp", ".Hlp", false, true},
    {"USER.LIB", ".LIB", true, false},
    {"user.lib", ".lib", true, false},
    {"LAYOUT.DTP", ".DTP", true, false},
    {"layout.dTp", ".dTp", true, false},
    {"README", "", false, false},
    {"archive.tar.lib", ".lib", true, false},
    {"LIB", "", false, false},
    {"X.LIBX", ".LIBX", false, false},
    {"X.HL", ".HL", false, false},
    {"name.", ".", false, false},
    {"dir.hlp\\file", "", false, false},
    {"C.HLP:stream", "", false, false},
    {"C:\\dir\\A.HLP", ".HLP", false, true},
};

TEST(NamingTest, ExtensionAndPlacementRules) {
    for (const NameCase& c : NameCases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ExtensionOf(c.Name), c.Extension);
        EXPECT_EQ(IsKeptOnReinstall(c.Name), c.Kept);
        EXPECT_EQ(IsHelpFile(c.Name), c.Help);
    }
}

TEST(NamingTest, UpperAsciiChangesOnlyLatinLetters) {
    EXPECT_EQ(UpperAscii("abc.XyZ-09_"), "ABC.XYZ-09_");
    // Bytes of the ANSI code page above 0x7F stay as they are.
    EXPECT_EQ(UpperAscii("\xE4\xF6z"), "\xE4\xF6Z");
    EXPECT_EQ(UpperAscii(""), "");
}

TEST(NamingTest, ReplaceExtension) {
    const struct {
        const char* Name;
        const char* Extension;
        const char* Expected;
    } cases[] = {
        {"Glyphvan.001", ".002", "Glyphvan.002"},
        {"Glyphvan", ".002", "Glyphvan.002"},
        {"a.b.c", ".d", "a.b.d"},
        {"name.", ".x", "name.x"},
        {"dir.d\\file", ".x", "dir.d\\file.x"},
        {"A.TXT", "", "A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ReplaceExtension(c.Name, c.Extension), c.Expected);
    }
}

TEST(NamingTest, PartFileNames) {
    EXPECT_EQ(PartFileName("Glyphvan.001", 1), "Glyphvan.001");
    EXPECT_EQ(PartFileName("Glyphvan.001", 2), "Glyphvan.002");
    EXPECT_EQ(PartFileName("Glyphvan.001", 3), "Glyphvan.003");
    EXPECT_EQ(PartFileName("Glyphvan.001", 4), "Glyphvan.004");
    EXPECT_EQ(PartFileName("DISK", 3), "DISK.003");
    EXPECT_THROW(PartFileName("Glyphvan.001", 0), std::out_of_range);
    EXPECT_THROW(PartFileName("Glyphvan.001", 5), std::out_of_range);
}

}  // namespace

#include "archive/naming.h"

#include <gtest/gtest.h>

namespace {

TEST(NamingTest, ExtensionKeepAndHelpRules) {
    const struct {
        const char *Name, *Extension;
        bool KeptOnReinstall, Help;
    } rows[] = {
        {"GLYPH.HLP", ".HLP", false, true},       {"Glyph.hlp", ".hlp", false, true},
        {"USER.LIB", ".LIB", true, false},        {"layout.dTp", ".dTp", true, false},
        {"archive.tar.lib", ".lib", true, false}, {"README", "", false, false},
        {"X.LIBX", ".LIBX", false, false},        {"dir.hlp\\file", "", false, false},
        {"C.LIB:stream", "", false, false},       {"C:\\dir\\A.HLP", ".HLP", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(ExtensionOf(row.Name), row.Extension);
        EXPECT_EQ(IsKeptOnReinstall(row.Name), row.KeptOnReinstall);
        EXPECT_EQ(IsHelpFile(row.Name), row.Help);
    }
    EXPECT_EQ(UpperAscii("abc.XyZ-09_\xE4"), "ABC.XYZ-09_\xE4");
}

TEST(NamingTest, PartNamesReplaceTheExtension) {
    EXPECT_EQ(PartFileName("Glyphvan.001", 4), "Glyphvan.004");
    EXPECT_EQ(PartFileName("Glyphvan.001", 0), "");
    EXPECT_EQ(PartFileName("Glyphvan.001", 5), "");
}

}  // namespace

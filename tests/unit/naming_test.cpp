#include "archive/naming.h"

#include <gtest/gtest.h>

#include <tuple>

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
    for (const auto& row : rows)
        EXPECT_EQ(std::tuple(ExtensionOf(row.Name), IsKeptOnReinstall(row.Name), IsHelpFile(row.Name)),
                  std::tuple(std::string(row.Extension), row.KeptOnReinstall, row.Help))
            << row.Name;
    EXPECT_EQ(UpperAscii("abc.XyZ-09_\xE4"), "ABC.XYZ-09_\xE4");
}

TEST(NamingTest, PartNamesReplaceTheExtension) {
    EXPECT_EQ(PartFileName("Glyphvan.001", 4), "Glyphvan.004");
    EXPECT_EQ(PartFileName("Glyphvan.001", 0), "");
    EXPECT_EQ(PartFileName("Glyphvan.001", 5), "");
}

}  // namespace

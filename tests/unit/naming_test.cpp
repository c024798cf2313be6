#include "archive/naming.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(NamingTest, ExtensionKeepAndHelpRules) {
    // the name, its extension, whether it is kept on a reinstall, whether it is help
    const std::tuple<const char*, const char*, bool, bool> rows[] = {
        {"GLYPH.HLP", ".HLP", false, true},       {"Glyph.hlp", ".hlp", false, true},
        {"USER.LIB", ".LIB", true, false},        {"layout.dTp", ".dTp", true, false},
        {"archive.tar.lib", ".lib", true, false}, {"README", "", false, false},
        {"X.LIBX", ".LIBX", false, false},        {"dir.hlp\\file", "", false, false},
        {"C.LIB:stream", "", false, false},       {"C:\\dir\\A.HLP", ".HLP", false, true},
    };
    for (const auto& [name, extension, kept, help] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ExtensionOf(name), extension);
        EXPECT_EQ(IsKeptOnReinstall(name), kept);
        EXPECT_EQ(IsHelpFile(name), help);
    }
    EXPECT_EQ(UpperAscii("abc.XyZ-09_\xE4"), "ABC.XYZ-09_\xE4");
}

TEST(NamingTest, PartNamesReplaceTheExtension) {
    EXPECT_EQ(PartFileName("Glyphvan.001", 4), "Glyphvan.004");
    EXPECT_EQ(PartFileName("Glyphvan.001", 0), "");
    EXPECT_EQ(PartFileName("Glyphvan.001", 5), "");
}

}  // namespace

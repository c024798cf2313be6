#include "ui/destination.h"

#include <gtest/gtest.h>

namespace {

TEST(DestinationForm, NeedsAnUpperCaseDriveLetterColonAndNoPattern) {
    for (const char* text : {"C:\\PROGRAM FILES\\GLYPHVANE", "C:", "Z:X"})
        EXPECT_TRUE(DestinationFormValid(text)) << text;
    // '@' and '[' sit just outside 'A' to 'Z'. A wildcard destination is refused.
    for (const char* text : {"", "C", "c:\\glyphvane", "1:\\GV", "\\\\SERVER\\SHARE", "CC:\\GV", "@:\\GV", "[:\\GV",
                             "\xC4:\\GV", "C:\\GV\\*.*", "C:\\GV?", "C:*"})
        EXPECT_FALSE(DestinationFormValid(text)) << text;
}

}  // namespace

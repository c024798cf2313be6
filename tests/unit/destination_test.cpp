#include "ui/destination.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DestinationForm, NeedsAnUpperCaseDriveLetterAndAColon) {
  struct Case {
    const char* text;
    bool valid;
  };
  const Case cases[] = {
      {"C:\\PROGRAM FILES\\GLYPHVANE", true},
      {"C:", true},
      {"Z:X", true},
      {"A:\\", true},
      {"", false},
      {"C", false},
      {"c:\\glyphvane", false},
      {"1:\\GV", false},
      {"\\\\SERVER\\SHARE", false},
      {"CC:\\GV", false},
      {":\\GV", false},
      {"@:\\GV", false},  // the character before 'A'
      {"[:\\GV", false},  // the character after 'Z'
      {"\xC4:\\GV", false},
      // A pattern names no single directory to install into.
      {"C:\\GV\\*.*", false},
      {"C:\\GV?", false},
      {"C:*", false},
  };
  for (const Case& c : cases) EXPECT_EQ(DestinationFormValid(c.text), c.valid) << c.text;
}

TEST(DefaultDestination, StoredPreferenceWinsAsStored) {
  EXPECT_EQ(DefaultDestination("D:\\APPS\\GV", "C:\\Program Files"), "D:\\APPS\\GV");
  EXPECT_EQ(DefaultDestination("d:\\apps\\gv\\", ""), "d:\\apps\\gv\\");
}

TEST(DefaultDestination, WithoutPreferenceTheProductGoesUnderProgramFiles) {
  EXPECT_EQ(DefaultDestination("", "C:\\Program Files"), "C:\\Program Files\\Glyphvane");
  EXPECT_EQ(DefaultDestination("", "E:\\"), "E:\\Glyphvane");
  EXPECT_EQ(DefaultDestination("", FallbackProgramFilesDir), "C:\\Program Files\\Glyphvane");
}

}  // namespace

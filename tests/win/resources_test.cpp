// Reads the setup's resources back out of this executable, which links the
// same resource script, and checks them field by field.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ResourceBytes(const char* type, const char* name) {
  HRSRC found = FindResourceA(nullptr, name, type);
  const auto* data =
      found ? static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)))
            : nullptr;
  return data ? Bytes(data, data + SizeofResource(nullptr, found)) : Bytes();
}

// Reads little-endian fields one after the other.
struct Reader {
  const Bytes& b;
  std::size_t pos = 0;
  std::uint32_t Field(int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | b.at(pos + i);
    pos += size;
    return v;
  }
  std::vector<std::uint32_t> Fields(std::initializer_list<int> sizes) {
    std::vector<std::uint32_t> v;
    for (int size : sizes) v.push_back(Field(size));
    return v;
  }
  std::string String() {  // UTF-16, ASCII only here
    std::string s;
    for (std::uint32_t c = Field(2); c != 0; c = Field(2)) s.push_back(char(c));
    return s;
  }
};
using Words = std::vector<std::uint32_t>;
constexpr std::uint32_t Word(short v) { return std::uint16_t(v); }

constexpr std::uint32_t DefaultButton = 0x50010001, Button = 0x50010000, ButtonNoTab = 0x50000000,
                        Text = 0x50020000, Frame = 0x50000007, Label = 0x50010804;
constexpr std::uint16_t Btn = 0x80, Edit = 0x81, Static = 0x82, NoId = 0xFFFF;

struct Control {
  std::uint16_t id, atom;
  const char* text;
  short x, y, cx, cy;
  std::uint32_t style;
};
struct Template {
  const char* name;
  const char* caption;
  std::array<short, 4> box;  // x, y, cx, cy
  std::vector<Control> controls;
};

// clang-format off
const Template Templates[] = {
    {"MAIN", "Installation", {6, 19, 282, 111},
     {{1, Btn, "OK", 84, 82, 53, 14, DefaultButton},
      {2, Btn, "Cancel", 144, 82, 53, 14, Button},
      {104, Edit, "C:\\GLYPHVAN", 20, 53, 232, 13, 0x50810008},
      {NoId, Static,
       "Please enter the drive and directory folder where you would like Glyphvane to be located. "
       "To accept the default drive and directory simply press ENTER.",
       23, 11, 236, 33, Text}}},
    {"LICENSE", "License Agreement", {1, 1, 267, 208},
     {{1, Btn, "I Agree", 158, 191, 50, 14, DefaultButton},
      {2, Btn, "Exit", 211, 191, 50, 14, Button},
      {101, Edit,
       "You must agree to the terms of the above License Agreement to install and use Glyphvane. "
       "If you do not agree, click on the Exit button.",
       10, 169, 246, 18, Label},
      {102, Edit, "IMPORTANT: Please read the following License Agreement", 8, 6, 222, 18, Label}}},
    {"GROUP", "DIALOG_1", {6, 15, 184, 95},
     {{1, Btn, "OK", 50, 73, 39, 14, DefaultButton},
      {2, Btn, "Cancel", 93, 73, 41, 14, Button},
      {102, Edit, "", 11, 44, 162, 12, 0x50810000},
      {101, Static,
       "Please enter the name of the program group that you would like Glyphvane to use. To "
       "accept the default, simply press ENTER.",
       12, 9, 160, 25, Text}}},
    {"IPROGRESS", "Progress", {6, 49, 194, 78},
     {{2, Btn, "Cancel", 68, 55, 57, 14, ButtonNoTab},
      {101, Static, "frame", 15, 25, 164, 12, Frame},
      {NoId, Static, "Installing the Glyphvane files.", 16, 9, 160, 8, Text}}},
    {"PROGRESS", "Progress", {6, 49, 194, 84},
     {{2, Btn, "Cancel", 68, 60, 57, 14, ButtonNoTab},
      {101, Static, "frame", 15, 25, 164, 12, Frame},
      {NoId, Static, "Uncompressing the Glyphvane files:", 16, 9, 160, 8, Text}}},
};
// clang-format on

TEST(DialogTemplates, MatchTheResourceScriptControlByControl) {
  for (const Template& want : Templates) {
    SCOPED_TRACE(want.name);
    const Bytes bytes = ResourceBytes(MAKEINTRESOURCEA(5), want.name);
    ASSERT_GT(bytes.size(), 4u);
    Reader r{bytes};
    // A classic template: style, no extended style, control count, place and
    // size, no menu, no class; then caption, point size and face.
    const std::uint32_t count = want.controls.size();
    const auto [x, y, cx, cy] = want.box;
    EXPECT_EQ(r.Fields({4, 4, 2, 2, 2, 2, 2, 2, 2}),
              Words({0x90C800C0u, 0, count, Word(x), Word(y), Word(cx), Word(cy), 0, 0}));
    EXPECT_EQ(r.String(), want.caption);
    EXPECT_EQ(r.Field(2), 8u);
    EXPECT_EQ(r.String(), "MS Sans Serif");
    for (const Control& c : want.controls) {
      SCOPED_TRACE(c.id);
      r.pos = (r.pos + 3) & ~std::size_t(3);
      // Style, extended style, place and size, id, then the class as an atom.
      EXPECT_EQ(
          r.Fields({4, 4, 2, 2, 2, 2, 2, 2, 2}),
          Words({c.style, 0, Word(c.x), Word(c.y), Word(c.cx), Word(c.cy), c.id, 0xFFFF, c.atom}));
      EXPECT_EQ(r.String(), c.text);
      r.pos += (r.Field(2) + 1) & ~1u;  // creation data, skipped
    }
  }
}

// The common 16-colour set as blue, green, red, 0.
const std::uint8_t StandardPalette[64] = {
    0,   0,   0,   0, 0,   0, 191, 0, 0,   191, 0, 0, 0,   191, 191, 0,
    191, 0,   0,   0, 191, 0, 191, 0, 191, 191, 0, 0, 192, 192, 192, 0,
    128, 128, 128, 0, 0,   0, 255, 0, 0,   255, 0, 0, 0,   255, 255, 0,
    255, 0,   0,   0, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 0};

// Header size, width, height, planes, bits, no compression; the palette.
void ExpectFourBitHeader(const Bytes& dib, std::uint32_t width, std::uint32_t height) {
  EXPECT_EQ(Reader{dib}.Fields({4, 4, 4, 2, 2, 4}), Words({40, width, height, 1, 4, 0}));
  EXPECT_EQ(std::memcmp(dib.data() + 40, StandardPalette, 64), 0);
}

TEST(Pictures, LogoIsAFourBitEmbossingAndIconOne32By32ImageWithMask) {
  const Bytes logo = ResourceBytes(MAKEINTRESOURCEA(2), "logo");
  ASSERT_EQ(logo.size(), 6968u);
  ExpectFourBitHeader(logo, 204, 66);
  std::set<int> used;  // rows of 104 bytes, the last two padding
  for (int row = 0; row < 66; ++row) {
    for (int x = 0; x < 204; ++x)
      used.insert((logo[104 + row * 104 + x / 2] >> (x % 2 ? 0 : 4)) & 15);
  }
  EXPECT_EQ(used, (std::set<int>{7, 8, 15}));  // light grey field, dark grey and white

  // Type icon, one image: 32 by 32, 16 colours, a reserved byte, planes and
  // bits, 744 bytes, icon resource 1.
  const Bytes group = ResourceBytes(MAKEINTRESOURCEA(14), "MAINICON");
  ASSERT_EQ(group.size(), 20u);
  EXPECT_EQ((Reader{group, 2}.Fields({2, 2, 1, 1, 1, 1, 2, 2, 4, 2})),
            Words({1, 1, 32, 32, 16, 0, 1, 4, 744, 1}));
  const Bytes icon = ResourceBytes(MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(1));
  ASSERT_EQ(icon.size(), 744u);
  ExpectFourBitHeader(icon, 32, 64);       // the height counts image and mask
  const std::size_t mask = 40 + 64 + 512;  // corners transparent, centre solid
  EXPECT_EQ(icon[mask] & 0x80, 0x80);
  EXPECT_EQ(icon[mask + 16 * 4 + 2], 0x00);
}

}  // namespace

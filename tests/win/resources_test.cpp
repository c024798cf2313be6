// Reads the setup's resources back out of this executable, which links the
// same resource script, and checks them field by field.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t DialogStyle = 0x90C800C0;
constexpr std::uint16_t ButtonAtom = 0x80, EditAtom = 0x81, StaticAtom = 0x82;
constexpr std::uint32_t DefaultButton = 0x50010001, Button = 0x50010000, ButtonNoTab = 0x50000000,
                        UpperCaseField = 0x50810008, PlainField = 0x50810000,
                        LabelField = 0x50010804, Text = 0x50020000, Frame = 0x50000007;
constexpr std::uint16_t NoId = 0xFFFF;

struct TControl {
  std::uint16_t id;
  std::uint16_t classAtom;
  std::string text;
  short x, y, cx, cy;
  std::uint32_t style;
  std::uint32_t exStyle;
};

struct TTemplate {
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  bool hasMenu = false;
  bool hasClass = false;
  std::string caption;
  std::uint16_t pointSize = 0;
  std::string face;
  std::vector<TControl> controls;
};

std::vector<std::uint8_t> ResourceBytes(const char* type, const char* name) {
  HRSRC found = FindResourceA(nullptr, name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(loaded));
  if (!data) return {};
  return std::vector<std::uint8_t>(data, data + SizeofResource(nullptr, found));
}

// A reader of the little-endian words of a classic dialog template.
class TTemplateReader {
 public:
  explicit TTemplateReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::uint16_t Word() {
    if (pos_ + 2 > bytes_.size()) throw std::out_of_range("template ends early");
    const std::uint16_t w = std::uint16_t(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return w;
  }
  std::uint32_t Dword() {
    const std::uint32_t low = Word();
    return low | (std::uint32_t(Word()) << 16);
  }
  short Short() { return short(Word()); }
  // Zero-terminated UTF-16 text; the templates hold ASCII only.
  std::string String() {
    std::string s;
    for (std::uint16_t c = Word(); c != 0; c = Word()) s.push_back(char(c));
    return s;
  }
  void AlignToDword() { pos_ = (pos_ + 3) & ~std::size_t(3); }
  bool AtEnd() const { return pos_ == bytes_.size(); }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_ = 0;
};

TTemplate ParseTemplate(const std::vector<std::uint8_t>& bytes) {
  TTemplateReader r(bytes);
  TTemplate t;
  t.style = r.Dword();
  t.exStyle = r.Dword();
  const std::uint16_t count = r.Word();
  t.x = r.Short();
  t.y = r.Short();
  t.cx = r.Short();
  t.cy = r.Short();
  t.hasMenu = r.Word() != 0;
  t.hasClass = r.Word() != 0;
  t.caption = r.String();
  if (t.style & DS_SETFONT) {
    t.pointSize = r.Word();
    t.face = r.String();
  }
  for (std::uint16_t i = 0; i < count; ++i) {
    r.AlignToDword();
    TControl c{};
    c.style = r.Dword();
    c.exStyle = r.Dword();
    c.x = r.Short();
    c.y = r.Short();
    c.cx = r.Short();
    c.cy = r.Short();
    c.id = r.Word();
    const std::uint16_t classMark = r.Word();
    if (classMark != 0xFFFF) throw std::runtime_error("control class by name, not atom");
    c.classAtom = r.Word();
    c.text = r.String();
    const std::uint16_t extra = r.Word();
    for (std::uint16_t k = 0; k < (extra + 1) / 2; ++k) r.Word();
    t.controls.push_back(c);
  }
  return t;
}

struct TExpectedTemplate {
  const char* name;
  const char* caption;
  short x, y, cx, cy;
  std::vector<TControl> controls;
};

const std::vector<TExpectedTemplate>& ExpectedTemplates() {
  static const std::vector<TExpectedTemplate> templates = {
      {"MAIN", "Installation", 6, 19, 282, 111,
       {{1, ButtonAtom, "OK", 84, 82, 53, 14, DefaultButton, 0},
        {2, ButtonAtom, "Cancel", 144, 82, 53, 14, Button, 0},
        {104, EditAtom, "", 20, 53, 232, 13, UpperCaseField, 0},
        {NoId, StaticAtom,
         "Please enter the drive and directory folder where you would like Glyphvane to be "
         "located. To accept the default drive and directory simply press ENTER.",
         23, 11, 236, 33, Text, 0}}},
      {"LICENSE", "License Agreement", 1, 1, 267, 208,
       {{1, ButtonAtom, "I Agree", 158, 191, 50, 14, DefaultButton, 0},
        {2, ButtonAtom, "Exit", 211, 191, 50, 14, Button, 0},
        {101, EditAtom,
         "You must agree to the terms of the above License Agreement to install and use "
         "Glyphvane. If you do not agree, click on the Exit button.",
         10, 169, 246, 18, LabelField, 0},
        {102, EditAtom, "IMPORTANT: Please read the following License Agreement", 8, 6, 222, 18,
         LabelField, 0}}},
      {"GROUP", "DIALOG_1", 6, 15, 184, 95,
       {{1, ButtonAtom, "OK", 50, 73, 39, 14, DefaultButton, 0},
        {2, ButtonAtom, "Cancel", 93, 73, 41, 14, Button, 0},
        {102, EditAtom, "", 11, 44, 162, 12, PlainField, 0},
        {101, StaticAtom,
         "Please enter the name of the program group that you would like Glyphvane to use. To "
         "accept the default, simply press ENTER.",
         12, 9, 160, 25, Text, 0}}},
      {"IPROGRESS", "Progress", 6, 49, 194, 78,
       {{2, ButtonAtom, "Cancel", 68, 55, 57, 14, ButtonNoTab, 0},
        {101, StaticAtom, "frame", 15, 25, 164, 12, Frame, 0},
        {NoId, StaticAtom, "Installing the Glyphvane files.", 16, 9, 160, 8, Text, 0}}},
      {"PROGRESS", "Progress", 6, 49, 194, 84,
       {{2, ButtonAtom, "Cancel", 68, 60, 57, 14, ButtonNoTab, 0},
        {101, StaticAtom, "frame", 15, 25, 164, 12, Frame, 0},
        {NoId, StaticAtom, "Uncompressing the Glyphvane files:", 16, 9, 160, 8, Text, 0}}},
  };
  return templates;
}

TEST(DialogTemplates, MatchTheLayoutTheDialogsRelyOn) {
  for (const TExpectedTemplate& want : ExpectedTemplates()) {
    SCOPED_TRACE(want.name);
    const std::vector<std::uint8_t> bytes = ResourceBytes(MAKEINTRESOURCEA(5), want.name);
    ASSERT_FALSE(bytes.empty());
    // An extended template starts with version 1 and signature 0xFFFF.
    ASSERT_FALSE(bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF);
    const TTemplate got = ParseTemplate(bytes);
    EXPECT_EQ(got.style, DialogStyle);
    EXPECT_EQ(got.exStyle, 0u);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_FALSE(got.hasMenu);
    EXPECT_FALSE(got.hasClass);
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.pointSize, 8);
    EXPECT_EQ(got.face, "MS Sans Serif");
    ASSERT_EQ(got.controls.size(), want.controls.size());
    for (std::size_t i = 0; i < want.controls.size(); ++i) {
      const TControl& g = got.controls[i];
      const TControl& w = want.controls[i];
      SCOPED_TRACE("control " + std::to_string(i));
      EXPECT_EQ(g.id, w.id);
      EXPECT_EQ(g.classAtom, w.classAtom);
      // The destination field's sample path is replaced at run time.
      if (!(w.classAtom == EditAtom && w.id == 104)) {
        EXPECT_EQ(g.text, w.text);
      }
      EXPECT_EQ(g.x, w.x);
      EXPECT_EQ(g.y, w.y);
      EXPECT_EQ(g.cx, w.cx);
      EXPECT_EQ(g.cy, w.cy);
      EXPECT_EQ(g.style, w.style) << std::hex << g.style;
      EXPECT_EQ(g.exStyle, w.exStyle);
    }
  }
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::set<WORD>*>(found)->insert(language);
  return TRUE;
}

std::set<WORD> LanguagesOf(LPCSTR type, LPCSTR name) {
  std::set<WORD> languages;
  EnumResourceLanguagesA(nullptr, type, name, CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

TEST(Resources, AreLanguageNeutralExceptTheIcon) {
  const std::set<WORD> neutral = {MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)};
  const std::set<WORD> english = {1033};
  for (const char* name : {"MAIN", "LICENSE", "IPROGRESS", "PROGRESS", "GROUP"}) {
    EXPECT_EQ(LanguagesOf(MAKEINTRESOURCEA(5), name), neutral) << name;
  }
  EXPECT_EQ(LanguagesOf(MAKEINTRESOURCEA(2), "LOGO"), neutral);
  EXPECT_EQ(LanguagesOf(MAKEINTRESOURCEA(14), "MAINICON"), english);
  EXPECT_EQ(LanguagesOf(MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(1)), english);
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
         (std::uint32_t(b[at + 3]) << 24);
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint16_t(b[at] | (b[at + 1] << 8));
}

// The common 16-colour set as blue, green, red, 0.
const std::uint8_t StandardPalette[64] = {
    0, 0, 0, 0,       0, 0, 191, 0,     0, 191, 0, 0,     0, 191, 191, 0,
    191, 0, 0, 0,     191, 0, 191, 0,   191, 191, 0, 0,   192, 192, 192, 0,
    128, 128, 128, 0, 0, 0, 255, 0,     0, 255, 0, 0,     0, 255, 255, 0,
    255, 0, 0, 0,     255, 0, 255, 0,   255, 255, 0, 0,   255, 255, 255, 0};

void ExpectFourBitHeader(const std::vector<std::uint8_t>& dib, int width, int height) {
  EXPECT_EQ(Le32(dib, 0), 40u);
  EXPECT_EQ(std::int32_t(Le32(dib, 4)), width);
  EXPECT_EQ(std::int32_t(Le32(dib, 8)), height);
  EXPECT_EQ(Le16(dib, 12), 1);
  EXPECT_EQ(Le16(dib, 14), 4);
  EXPECT_EQ(Le32(dib, 16), 0u);  // BI_RGB, uncompressed
  EXPECT_EQ(std::memcmp(dib.data() + 40, StandardPalette, 64), 0);
}

TEST(Logo, IsAnEmbossedFourBitPictureOf204By66) {
  const std::vector<std::uint8_t> dib = ResourceBytes(MAKEINTRESOURCEA(2), "logo");
  ASSERT_EQ(dib.size(), 6968u);
  ExpectFourBitHeader(dib, 204, 66);
  // Rows of 104 bytes; the last two bytes of each are padding.
  std::set<int> used;
  std::size_t lightGrey = 0;
  for (int row = 0; row < 66; ++row) {
    for (int x = 0; x < 204; ++x) {
      const std::uint8_t pair = dib[104 + std::size_t(row) * 104 + std::size_t(x) / 2];
      const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
      used.insert(index);
      if (index == 7) ++lightGrey;
    }
  }
  EXPECT_EQ(used, (std::set<int>{7, 8, 15}));  // light grey field, dark grey and white
  EXPECT_GT(lightGrey, 204u * 66u / 2);
}

TEST(Icon, IsOne32By32SixteenColourImageWithMask) {
  const std::vector<std::uint8_t> group = ResourceBytes(MAKEINTRESOURCEA(14), "MAINICON");
  ASSERT_EQ(group.size(), 6u + 14u);
  EXPECT_EQ(Le16(group, 2), 1);  // icons
  EXPECT_EQ(Le16(group, 4), 1);  // one image
  EXPECT_EQ(group[6], 32);
  EXPECT_EQ(group[7], 32);
  EXPECT_EQ(group[8], 16);
  EXPECT_EQ(Le16(group, 12), 4);
  EXPECT_EQ(Le32(group, 14), 744u);
  EXPECT_EQ(Le16(group, 18), 1);  // icon resource 1

  const std::vector<std::uint8_t> image = ResourceBytes(MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(1));
  ASSERT_EQ(image.size(), 744u);
  ExpectFourBitHeader(image, 32, 64);  // the height counts image and mask
  // The mask leaves the corners transparent and the centre solid.
  const std::size_t mask = 40 + 64 + 512;
  EXPECT_EQ(image[mask] & 0x80, 0x80);
  EXPECT_EQ(image[mask + 16 * 4 + 2] , 0x00);
}

TEST(Manifest, IsResourceOneOfTypeTwentyFour) {
  const std::vector<std::uint8_t> manifest = ResourceBytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
  ASSERT_FALSE(manifest.empty());
  const std::string text(manifest.begin(), manifest.end());
  EXPECT_NE(text.find("<assembly"), std::string::npos);
  EXPECT_NE(text.find("requestedExecutionLevel"), std::string::npos);
}

}  // namespace

#include "ui/agreement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitAtCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

TEST(AgreementText, HasTheFormTheFieldIsLaidOutFor) {
  const std::string text = AgreementText;
  EXPECT_EQ(text.size(), 4611u);
  EXPECT_TRUE(std::all_of(text.begin(), text.end(),
                          [](char c) { return c > 0 && static_cast<unsigned char>(c) < 128; }));
  // Line breaks only as CR LF pairs: a lone CR or LF would show as a glyph.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 15);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 15);

  const std::vector<std::string> lines = SplitAtCrLf(text);
  ASSERT_EQ(lines.size(), 16u);
  std::size_t empty = 0, longest = 0;
  for (const std::string& line : lines) {
    if (line.empty()) ++empty;
    longest = std::max(longest, line.size());
  }
  EXPECT_EQ(empty, 6u);
  EXPECT_EQ(longest, 1779u);
  EXPECT_FALSE(lines.front().empty());
  EXPECT_FALSE(lines.back().empty());
  // Empty lines only separate text, never follow each other.
  for (std::size_t i = 1; i < lines.size(); ++i)
    EXPECT_FALSE(lines[i].empty() && lines[i - 1].empty()) << "line " << i;
}

TEST(AgreementText, OpensWithANoticeASeparatorAndTheHeading) {
  const std::vector<std::string> lines = SplitAtCrLf(AgreementText);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_NE(lines[0].find("Glyphvane"), std::string::npos);
  ASSERT_FALSE(lines[1].empty());
  EXPECT_EQ(lines[1].find_first_not_of('-'), std::string::npos) << lines[1];
  EXPECT_NE(lines[3].find("AGREEMENT"), std::string::npos);
  EXPECT_NE(std::strstr(AgreementText, "Tallowmere"), nullptr);
}

}  // namespace

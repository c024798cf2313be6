#include "ui/agreement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(AgreementText, IsAsciiParagraphsJoinedByCrLf) {
  const std::string text = AgreementText;
  EXPECT_EQ(text.size(), 4611u);
  EXPECT_TRUE(std::all_of(text.begin(), text.end(),
                          [](char c) { return c > 0 && static_cast<unsigned char>(c) < 128; }));
  std::vector<std::string> lines;
  for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 2) {
    end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
  }
  // A lone CR or LF would show as a glyph in the field.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 15);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 15);
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string()), 6);
  EXPECT_FALSE(lines.front().empty() || lines.back().empty());
  for (std::size_t i = 1; i < lines.size(); ++i)
    EXPECT_FALSE(lines[i].empty() && lines[i - 1].empty()) << "line " << i;
  EXPECT_EQ(lines[1].find_first_not_of('-'), std::string::npos) << lines[1];
}

}  // namespace

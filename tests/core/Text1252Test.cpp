#include "core/Text1252.h"

#include <gtest/gtest.h>

namespace voxmire {
namespace {

TEST(Text1252, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Text1252, ConvertsTheCodePagesOwnCharacters) {
  struct Case {
    std::string cp1252;
    std::string utf8;
  };
  const Case cases[] = {
      {"\x80", "\xE2\x82\xAC"},            // euro sign
      {"\x93quoted\x94", "\xE2\x80\x9Cquoted\xE2\x80\x9D"},
      {"caf\xE9", "caf\xC3\xA9"},           // Latin-1 range
      {"\x9F", "\xC5\xB8"},                 // Y with diaeresis
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
  }
}

TEST(Text1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD" "b"), "a?b");  // a CJK character
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x8E\xB5"), "?");       // an emoji
  EXPECT_EQ(Utf8ToCp1252("x\xFF\xC3"), "x??");             // broken UTF-8
  EXPECT_FALSE(FitsCp1252("\xE4\xB8\xAD"));
  EXPECT_TRUE(FitsCp1252("caf\xC3\xA9 \xE2\x82\xAC"));
}

}  // namespace
}  // namespace voxmire

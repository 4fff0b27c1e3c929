#include <gtest/gtest.h>

#include "core/Text1252.h"

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
      {"\x80", "\xE2\x82\xAC"},  // euro sign
      {"\x93quoted\x94", "\xE2\x80\x9Cquoted\xE2\x80\x9D"},
      {"caf\xE9", "caf\xC3\xA9"},  // Latin-1 range
      {"\x9F", "\xC5\xB8"},        // Y with diaeresis
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
  }
}

TEST(Text1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD"
                         "b"),
            "a?b");                                  // a CJK character
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x8E\xB5"), "?");  // an emoji
  EXPECT_EQ(Utf8ToCp1252("x\xFF\xC3"), "x??");       // broken UTF-8
  EXPECT_FALSE(FitsCp1252("\xE4\xB8\xAD"));
  EXPECT_TRUE(FitsCp1252("caf\xC3\xA9 \xE2\x82\xAC"));
}

// Overlong forms would let a checked name turn into another one ('/' or NUL
// after conversion); surrogates and code points past U+10FFFF are no
// characters. None of them fits, and none converts to what it pretends.
TEST(Text1252, RefusesOverlongFormsAndSurrogates) {
  for (const std::string bad :
       {"\xC0\xAF", "\xC0\x80", "\xC1\xBF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xED\xA0\x80",
        "\xED\xBF\xBF", "\xF4\x90\x80\x80"}) {
    EXPECT_FALSE(FitsCp1252(bad));
    const std::string converted = Utf8ToCp1252("a" + bad + "b");
    EXPECT_EQ(converted.find('/'), std::string::npos);
    EXPECT_EQ(converted.find('\0'), std::string::npos);
    EXPECT_EQ(converted, "a" + std::string(bad.size(), '?') + "b");
  }
  // The shortest forms at each boundary still decode.
  EXPECT_EQ(Utf8ToCp1252("\xC2\xA0\xE0\xA0\x80"), "\xA0?");
  EXPECT_TRUE(FitsCp1252("\xC2\xA0"));
}

}  // namespace
}  // namespace voxmire

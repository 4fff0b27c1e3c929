#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "workarea/RowCountEntry.h"

namespace voxmire {
namespace {

using Kind = RowCountEntry::Kind;

TEST(RowCountEntryTest, NumbersRoundHalfToEvenWithinSixteenBits) {
  const std::pair<const char*, int> counts[] = {
      {"3", 3},         {"2.5", 2},          {"3.5", 4},    {"0.5", 0},   {"-2.5", -2},
      {"2.51", 3},      {" \t7 ", 7},        {"+4", 4},     {"-3", -3},   {".5", 0},
      {"-.6", -1},      {"5.", 5},           {"2.5E1", 25}, {"25e-1", 2}, {"1e-400", 0},
      {"32767", 32767}, {"-32768.5", -32768}};
  for (auto [text, count] : counts) {
    RowCountEntry entry = ParseRowCountEntry(text);
    EXPECT_EQ(entry.Result, Kind::Count) << '"' << text << '"';
    EXPECT_EQ(entry.Count, count) << '"' << text << '"';
    EXPECT_TRUE(IsNumericText(text)) << '"' << text << '"';
  }
  for (const char* text : {"32767.5", "40000", "-32769", "1e400", "-1e400"}) {
    EXPECT_EQ(ParseRowCountEntry(text).Result, Kind::OutOfRange) << text;
  }
}

TEST(RowCountEntryTest, TextThatIsNotANumberIsRefused) {
  for (const char* text :
       {"", "   ", "abc", ".", "-", "1e", "e5", "1.2.3", "12abc", "1 2", "0x10", "1,5", "+-1"}) {
    EXPECT_EQ(ParseRowCountEntry(text).Result, Kind::NotNumeric) << '"' << text << '"';
    EXPECT_FALSE(IsNumericText(text)) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace voxmire

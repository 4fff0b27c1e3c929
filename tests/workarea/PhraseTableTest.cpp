#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>

#include "workarea/PhraseTable.h"

namespace voxmire {
namespace {

TEST(PhraseTableTest, CreateAddAndDeleteRows) {
  for (int created : {3, 1, 0, -3}) {
    SCOPED_TRACE(created);
    PhraseTable table;
    EXPECT_EQ(CreateButtonCaption(table.CreateMode()), "Create Rows...");
    table.CreateRows(created);
    EXPECT_EQ(table.Count(), std::max(created, 0));
    // Even a count that creates nothing switches the button for good.
    EXPECT_EQ(CreateButtonCaption(table.CreateMode()), "Add New Row...");
    ASSERT_TRUE(table.AddRow());
    table.SetCell(table.Count(), PhraseCell::Sound, "bottom");
    EXPECT_TRUE(table.RemoveLastRow());
    EXPECT_EQ(table.Count(), std::max(created, 0));
    while (table.RemoveLastRow()) {
    }
    EXPECT_FALSE(table.RemoveLastRow());
    EXPECT_EQ(table.CreateMode(), CreateButtonMode::AddNewRow);
    // A row created again starts empty, not with the deleted texts.
    ASSERT_TRUE(table.AddRow());
    EXPECT_EQ(table.Row(1), PhraseRow{});
  }
}

TEST(PhraseTableTest, RowsAreCreatedOnlyWithoutGapsUpToSixteenBits) {
  PhraseTable table;
  table.CreateRows(2);
  for (int row : {-1, 0, 1, 2, 4}) EXPECT_FALSE(table.CreateRow(row)) << row;
  EXPECT_TRUE(table.CreateRow(3));
  table.CreateRows(PhraseTable::kMaxRows + 5);
  EXPECT_EQ(table.Count(), 32767);
  EXPECT_FALSE(table.AddRow());
  EXPECT_THROW(table.Row(32768), std::out_of_range);
}

TEST(PhraseTableTest, CellsAreSetAloneAndOnlyTypedAbbrevsAreLimited) {
  const std::string nineteen(19, 'a');
  PhraseTable table;
  table.CreateRows(2);
  table.SetCell(1, PhraseCell::Sound, std::string(300, 's'));
  table.SetCell(1, PhraseCell::String, std::string(300, 't'));
  table.SetCell(1, PhraseCell::Abbrev, nineteen + "b");
  EXPECT_EQ(table.Row(1), (PhraseRow{std::string(300, 's'), std::string(300, 't'), nineteen}));
  table.SetCell(1, PhraseCell::String, "");
  EXPECT_EQ(table.Row(1).String, "");
  EXPECT_EQ(table.Row(2), PhraseRow{});
  table.SetCellUnclamped(2, PhraseCell::Abbrev, "Turn the safety off.");
  EXPECT_EQ(table.Row(2).Abbrev, "Turn the safety off.");

  // A copy is a table of its own.
  PhraseTable copy = table;
  copy.SetCell(1, PhraseCell::Abbrev, "changed");
  EXPECT_EQ(table.Row(1).Abbrev, nineteen);
  EXPECT_EQ(copy.Row(2).Abbrev, "Turn the safety off.");
}

}  // namespace
}  // namespace voxmire

namespace voxmire {
namespace {

TEST(PhraseTableTest, TypedTimesAreSecondsTheGameCanUseOrElseRefusedWithTheReason) {
  struct Case {
    const char* typed;
    std::optional<double> seconds;
    const char* problem;  // part of the reason; empty when taken
  };
  for (const Case& c : {
           Case{"0.96", 0.96, ""},
           Case{" 1,4 ", 1.4, ""},  // a decimal comma as many keyboards type it
           Case{"10", 10.0, ""},
           Case{"0.05", 0.05, ""},
           Case{".5", 0.5, ""},
           Case{"", std::nullopt, ""},  // empty: follow the sound
           Case{"  ", std::nullopt, ""},
           Case{"0.049", std::nullopt, "0.049 s is outside"},
           Case{"0", std::nullopt, "0 s is outside the times the game can use"},
           Case{"10.01", std::nullopt, "between 0.05 and 10 seconds"},
           Case{"-1", std::nullopt, "\"-1\" is not a time"},
           Case{"1.2.3", std::nullopt, "is not a time"},
           Case{"1 s", std::nullopt, "is not a time"},
           Case{".", std::nullopt, "is not a time"},
           Case{"abc", std::nullopt, "such as 0.96"},
       }) {
    SCOPED_TRACE(c.typed);
    const TimeEntry entry = ParseTimeEntry(c.typed);
    EXPECT_EQ(entry.Seconds, c.seconds);
    EXPECT_EQ(entry.Ok(), *c.problem == '\0');
    EXPECT_NE(entry.Problem.find(c.problem), std::string::npos) << entry.Problem;
  }
  EXPECT_EQ(TimeText(0.955), "0.95");  // as typed: binary 0.955 is a little less
  EXPECT_EQ(FixedDecimals(1.4, 6), "1.400000");
}

TEST(PhraseTableTest, ATimeHoldsForTheSoundItWasSetFor) {
  PhraseTable table;
  table.CreateRows(2);
  table.SetTime(2, 0.5);  // set for no sound at all
  EXPECT_EQ(table.Time(2), 0.5);
  table.SetCell(1, PhraseCell::Sound, "Sound'P.P.a'");
  table.SetTime(1, 1.25);
  table.SetMature(1, true);
  table.SetCell(1, PhraseCell::String, "text");  // other cells leave it be
  EXPECT_EQ(table.Time(1), 1.25);
  table.SetCell(1, PhraseCell::Sound, "Sound'P.P.b'");
  EXPECT_EQ(table.Time(1), std::nullopt);
  table.SetCell(1, PhraseCell::Sound, "Sound'P.P.a'");
  EXPECT_EQ(table.Time(1), std::nullopt);  // gone for good, not waiting for the old sound
  EXPECT_TRUE(table.Row(1).Mature);
  table.SetTime(1, std::nullopt);
  table.SetMature(2, false);
  EXPECT_EQ(table.Row(2), (PhraseRow{"", "", "", FixedTime{0.5, ""}, false}));
}

}  // namespace
}  // namespace voxmire

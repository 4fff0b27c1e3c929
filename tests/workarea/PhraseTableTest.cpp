#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Copies share their rows until either side changes one; a copy must never
// see the other's edits, whichever block of rows they fall in.
TEST(PhraseTableTest, ACopyKeepsItsRowsWhateverTheOriginalDoesAndTheOtherWayRound) {
  PhraseTable table;
  table.CreateRows(700);  // rows in three blocks, the last part full
  for (int k : {1, 256, 257, 512, 700}) table.SetCell(k, PhraseCell::String, std::to_string(k));
  PhraseTable copy = table;
  EXPECT_EQ(copy, table);

  copy.SetCell(1, PhraseCell::String, "copy's");
  copy.SetMature(257, true);
  table.SetCell(700, PhraseCell::Sound, "table's");
  table.SetTime(512, 1.5);
  EXPECT_EQ(table.Cell(1, PhraseCell::String), "1");
  EXPECT_FALSE(table.Row(257).Mature);
  EXPECT_EQ(copy.Cell(700, PhraseCell::Sound), "");
  EXPECT_EQ(copy.Time(512), std::nullopt);
  EXPECT_EQ(copy.Cell(256, PhraseCell::String), "256");  // untouched rows of a changed block
  EXPECT_NE(copy, table);

  // The same edits on both sides: equal again, though nothing is shared now.
  table.SetCell(1, PhraseCell::String, "copy's");
  table.SetMature(257, true);
  copy.SetCell(700, PhraseCell::Sound, "table's");
  copy.SetTime(512, 1.5);
  EXPECT_EQ(copy, table);

  // A row deleted in the copy and made again starts empty there, and is
  // still the original's own.
  ASSERT_TRUE(copy.RemoveLastRow());
  ASSERT_TRUE(copy.AddRow());
  EXPECT_EQ(copy.Row(700), PhraseRow{});
  EXPECT_EQ(table.Cell(700, PhraseCell::Sound), "table's");
  // Deleted down into an earlier block and grown again: nothing comes back.
  for (int k = 700; k > 250; --k) ASSERT_TRUE(copy.RemoveLastRow());
  copy.CreateRows(700);
  EXPECT_EQ(copy.Cell(256, PhraseCell::String), "");
  EXPECT_EQ(copy.Cell(250, PhraseCell::String), "");
  EXPECT_EQ(table.Cell(256, PhraseCell::String), "256");

  PhraseTable moved = std::move(copy);
  EXPECT_EQ(moved.Count(), 700);
  EXPECT_EQ(moved.Cell(1, PhraseCell::String), "copy's");
}

// How a reader of a saved table fills one: row after row, texts as they
// stand, up to the limit.
TEST(PhraseTableTest, RowsAreAppendedAsReadUpToTheLimit) {
  const std::string longAbbrev = "Turn the safety off.";  // past what typing keeps
  PhraseTable read;
  for (int k = 1; k <= PhraseTable::kMaxRows; ++k) {
    PhraseRowView row;
    if (k == 300) row = {"Sound'P.P.a'", "Three hundred", longAbbrev, 0.75, true};
    if (k == 301) row.Abbrev = "x";
    ASSERT_TRUE(read.AppendRow(row)) << k;
  }
  EXPECT_FALSE(read.AppendRow({"Sound'P.P.b'", "", ""}));
  EXPECT_EQ(read.Count(), PhraseTable::kMaxRows);
  EXPECT_EQ(read.CreateMode(), CreateButtonMode::CreateRows);  // the reader says which
  read.SetAddNewRowMode();

  PhraseTable made;
  made.CreateRows(PhraseTable::kMaxRows);
  made.SetCell(300, PhraseCell::Sound, "Sound'P.P.a'");
  made.SetCell(300, PhraseCell::String, "Three hundred");
  made.SetCellUnclamped(300, PhraseCell::Abbrev, longAbbrev);
  made.SetTime(300, 0.75);
  made.SetMature(300, true);
  made.SetCell(301, PhraseCell::Abbrev, "x");
  EXPECT_EQ(read, made);
  EXPECT_EQ(read.Row(300), (PhraseRow{"Sound'P.P.a'", "Three hundred", longAbbrev,
                                      FixedTime{0.75, "Sound'P.P.a'"}, true}));
  EXPECT_EQ(read.Row(302), PhraseRow{});
  EXPECT_EQ(read.Row(PhraseTable::kMaxRows), PhraseRow{});
}

// A block of rows keeps its texts in one store: whatever is written over
// what, longer or shorter, from a text of the table itself or not, and
// however often, each cell reads what was last put in it, copies taken on
// the way keep theirs, and the store doesn't grow with the edits.
TEST(PhraseTableTest, EditsInOneBlockKeepEveryCellAndCopyApart) {
  PhraseTable table;
  table.CreateRows(300);  // the first block full, a second begun
  std::vector<PhraseRow> expected(301);
  std::mt19937 random(7);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const auto expectedCell = [&](int k, PhraseCell cell) -> std::string& {
    PhraseRow& row = expected[static_cast<std::size_t>(k)];
    return cell == PhraseCell::Sound    ? row.Sound
           : cell == PhraseCell::String ? row.String
                                        : row.Abbrev;
  };
  std::vector<std::pair<PhraseTable, std::vector<PhraseRow>>> copies;
  std::size_t live = 0;
  for (int edit = 0; edit < 20000; ++edit) {
    const int k = 1 + pick(300);
    const auto cell = static_cast<PhraseCell>(pick(3));
    std::string text;
    switch (pick(4)) {
      case 0:  // another cell of the table, read through the table itself
      case 1: {
        const int from = 1 + pick(300);
        const auto fromCell = static_cast<PhraseCell>(pick(3));
        const std::string_view source = table.Cell(from, fromCell);
        const std::string_view part = source.substr(pick(static_cast<int>(source.size()) + 1));
        text = std::string(part);
        table.SetCellUnclamped(k, cell, part);
        break;
      }
      case 2:
        text = std::string(static_cast<std::size_t>(pick(90)), static_cast<char>('a' + pick(26)));
        table.SetCellUnclamped(k, cell, text);
        break;
      default:
        table.SetCellUnclamped(k, cell, "");
    }
    if (cell == PhraseCell::Sound && expectedCell(k, cell) != text) {
      expected[static_cast<std::size_t>(k)].Time.reset();
    }
    expectedCell(k, cell) = text;
    if (pick(50) == 0) {
      table.SetTime(k, 0.5 + pick(10));
      expected[static_cast<std::size_t>(k)].Time =
          FixedTime{*table.Time(k), expectedCell(k, PhraseCell::Sound)};
    }
    if (edit % 2500 == 0) copies.emplace_back(table, expected);
  }
  for (int k = 1; k <= 300; ++k) {
    ASSERT_EQ(table.Row(k), expected[static_cast<std::size_t>(k)]) << "row " << k;
    for (const PhraseCell cell : {PhraseCell::Sound, PhraseCell::String, PhraseCell::Abbrev}) {
      live += table.Cell(k, cell).size();
    }
  }
  for (const auto& [copy, rows] : copies) {
    for (int k = 1; k <= 300; ++k) ASSERT_EQ(copy.Row(k), rows[static_cast<std::size_t>(k)]) << k;
  }
  // Stale texts are let go once they outweigh the live ones.
  EXPECT_LE(table.StoredTextBytes(), 2 * live + 2 * 90);
}

}  // namespace
}  // namespace voxmire

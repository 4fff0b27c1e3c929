#include <gtest/gtest.h>

#include <algorithm>
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

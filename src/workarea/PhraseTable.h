#pragma once
// The work area's tables: four growable phrase tables, the seven fixed team
// orders and the four team-leader sounds. Plain data; the page shows it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace voxmire {

// A phrase's time (how long the game waits before the next phrase of a
// sequence), set by hand, by a preset or by an imported class rather than
// measured from the sound. It holds only while the Sound is the one it was
// set for: once anything changes the Sound (a page, a drop, a recording),
// the time follows the new sound's length again, with no one having to
// remember to clear it.
struct FixedTime {
  double Seconds = 0;
  std::string ForSound;

  bool operator==(const FixedTime&) const = default;
};

// The fixed time that holds for `sound`, if any.
inline std::optional<double> FixedSeconds(const std::optional<FixedTime>& time,
                                          std::string_view sound) {
  if (time && time->ForSound == sound) return time->Seconds;
  return std::nullopt;
}

// One phrase: the sound the game plays, the text it shows, and the optional
// abbreviation its menu uses. Time counts for acknowledgements only, Mature
// for taunts only (the game skips a flagged taunt for players who turned
// mature language off).
struct PhraseRow {
  std::string Sound;
  std::string String;
  std::string Abbrev;
  std::optional<FixedTime> Time = std::nullopt;
  bool Mature = false;

  bool operator==(const PhraseRow&) const = default;
};

// A row of a growable table as the table keeps it. The texts are views of
// the table's own storage and hold until the table next changes; Time is
// the row's fixed time, which a table keeps only for the Sound it was set
// for.
struct PhraseRowView {
  std::string_view Sound;
  std::string_view String;
  std::string_view Abbrev;
  std::optional<double> Time = std::nullopt;
  bool Mature = false;

  bool operator==(const PhraseRowView&) const = default;
  // The same texts and flag, and the same time holding for the Sound.
  bool operator==(const PhraseRow& row) const;
};

// `row` seen as a table keeps it.
inline PhraseRowView ViewOf(const PhraseRow& row) {
  return {row.Sound, row.String, row.Abbrev, FixedSeconds(row.Time, row.Sound), row.Mature};
}

// The range of times a user may type, in seconds: below it the next phrase
// would cut the first off at once, above it the voice hangs.
inline constexpr double kMinTime = 0.05;
inline constexpr double kMaxTime = 10.0;

struct TimeEntry {
  std::optional<double> Seconds;  // nothing: the entry was empty (follow the sound)
  std::string Problem;            // why the text is refused; empty when it is taken
  bool Ok() const { return Problem.empty(); }
};
// A typed time: seconds with '.' or ',' as the decimal mark, within
// kMinTime..kMaxTime; an empty (or blank) text means "follow the sound".
TimeEntry ParseTimeEntry(std::string_view text);
// A time as a cell shows it: two decimals ("0.96").
std::string TimeText(double seconds);
// `value` with `decimals` digits after a '.', whatever the locale.
std::string FixedDecimals(double value, int decimals);

enum class PhraseCell { Sound, String, Abbrev };

// Only Sound cells take text dragged from the voice window.
constexpr bool CellAcceptsDrop(PhraseCell cell) { return cell == PhraseCell::Sound; }

// The create button of a growable table first asks how many rows to create;
// once it has, each press adds one row. There is no way back.
enum class CreateButtonMode { CreateRows, AddNewRow };

inline constexpr std::string_view kCreateRowsCaption = "Create Rows...";
inline constexpr std::string_view kAddNewRowCaption = "Add New Row...";
inline constexpr std::string_view kDeleteRowCaption = "Delete bottom row";
inline constexpr std::string_view kDeleteRowErrorTitle = "Error deleting row";
inline constexpr std::string_view kDeleteRowErrorText =
    "Error deleting row. Make sure there are rows left to delete.";

std::string_view CreateButtonCaption(CreateButtonMode mode);

// A growable table: rows numbered from 1 without gaps.
class PhraseTable {
 public:
  // A copy shares the rows it was copied from until either table changes
  // them, so that copying the largest table costs a few hundred pointers.
  // Copies may be read on another thread while this one edits its own:
  // shared rows are never written, an edit copies them first.
  PhraseTable() = default;
  PhraseTable(const PhraseTable&) = default;
  PhraseTable& operator=(const PhraseTable&) = default;
  PhraseTable(PhraseTable&& other) noexcept;
  PhraseTable& operator=(PhraseTable&& other) noexcept;

  // Row numbers are 16-bit signed on the page, so no table grows past this.
  static constexpr int kMaxRows = 32767;
  // Abbreviations stay short for the game's menu: typing stops at 19 characters.
  static constexpr std::size_t kAbbrevLimit = 19;

  // The first kAbbrevLimit characters of `abbrev`: what an Abbrev cell keeps.
  static constexpr std::string_view ClampAbbrev(std::string_view abbrev) {
    return abbrev.substr(0, kAbbrevLimit);
  }

  int Count() const { return count_; }
  bool Empty() const { return count_ == 0; }

  // Row k, 1 <= k <= Count(); throws std::out_of_range otherwise.
  PhraseRowView Row(int k) const;

  // Creates row i with empty cells. Fails (false, nothing changes) unless
  // i == Count() + 1 <= kMaxRows: rows exist without gaps, and an existing
  // row is never created again.
  bool CreateRow(int i);
  // Adds row Count() + 1; false when the table is full.
  bool AddRow() { return CreateRow(Count() + 1); }
  // The "Create Rows..." press with a whole number already checked for the
  // 16-bit range: creates the missing rows of 1..n (none for n <= 0) and
  // switches the create button to adding single rows, even for n <= 0.
  void CreateRows(int n);
  // Removes row Count() with its texts; false when the table is empty.
  bool RemoveLastRow();

  // What the user types into a cell of row k (1-based; throws
  // std::out_of_range otherwise). An Abbrev is clamped to kAbbrevLimit
  // characters.
  void SetCell(int k, PhraseCell cell, std::string_view text);
  // Text the program itself writes (the stock presets): the limit only
  // guards typing, and one stock abbreviation ("Turn the safety off.") is
  // longer than it.
  void SetCellUnclamped(int k, PhraseCell cell, std::string_view text);
  // Holds until the table next changes.
  std::string_view Cell(int k, PhraseCell cell) const;

  // Row k's fixed time, set for its current Sound; nothing lets the time
  // follow the sound.
  void SetTime(int k, std::optional<double> seconds);
  std::optional<double> Time(int k) const { return Row(k).Time; }
  void SetMature(int k, bool mature);
  // For a reader of a saved table: `row` as a new last row, its texts as
  // they stand (no clamping). False, with nothing added, when the table is full.
  bool AppendRow(const PhraseRowView& row);

  // The bytes the rows' texts take in memory, stale ones not yet let go
  // included: never more than twice what the cells show.
  std::size_t StoredTextBytes() const;

  // Same rows with the same texts, and the same create button mode.
  bool operator==(const PhraseTable& other) const;

  CreateButtonMode CreateMode() const { return mode_; }
  void SetAddNewRowMode() { mode_ = CreateButtonMode::AddNewRow; }

 private:
  // Rows are kept in chunks of this many, each shared by the copies of the
  // table until one of them changes a row of it. A chunk keeps all its
  // rows' texts in one string, so that a table read from a file is a few
  // hundred allocations rather than one for each text.
  static constexpr int kChunkRows = 256;
  struct StoredRow {
    // Where each cell's text lies in the chunk's text, by PhraseCell.
    std::array<std::uint32_t, 3> At{};
    std::array<std::uint32_t, 3> Size{};
    std::optional<double> Time;
    bool Mature = false;
  };
  struct Chunk {
    std::array<StoredRow, kChunkRows> Rows{};
    std::string Text;
    // Bytes of Text that no cell shows any more; they go when the chunk is
    // copied, or once they outweigh the rest.
    std::size_t Unused = 0;

    Chunk() = default;
    Chunk(const Chunk& other);
    Chunk& operator=(const Chunk&) = delete;

    std::string_view CellText(const StoredRow& row, PhraseCell cell) const;
    PhraseRowView View(const StoredRow& row) const;
    // `text` is no view of Text, which this may move.
    void Put(StoredRow& row, PhraseCell cell, std::string_view text);
    void Clear(StoredRow& row);
    // The texts `rows` show, read from Text, back to back in row order;
    // `rows` (Rows or a copy of them) are set to point into it.
    std::string KeptText(std::array<StoredRow, kChunkRows>& rows) const;
    // Rewrites Text with only what the rows show.
    void Compact();
    // Compacts once stale bytes outweigh the rest.
    void Settle();
  };

  // Row k, for writing, with its chunk: made, or copied when shared.
  std::pair<Chunk*, StoredRow*> Writable(int k);

  // Chunk c holds rows c * kChunkRows + 1 onwards; rows past Count() are
  // empty. A chunk whose rows are all empty is not made: "Create Rows..."
  // may ask for 32767 rows at once, and then most of them stay empty.
  std::vector<std::shared_ptr<Chunk>> chunks_;
  int count_ = 0;
  CreateButtonMode mode_ = CreateButtonMode::CreateRows;
};

// The tabs of the work area, left to right.
enum class WorkAreaTab { Acknowledgements, FriendlyFire, Taunts, Orders, Others, Names, Tools };
inline constexpr std::array<std::string_view, 7> kTabCaptions = {
    "Acknowledgements", "Friendly Fire", "Taunts", "Orders", "Others", "Names", "Tools"};
constexpr std::string_view TabCaption(WorkAreaTab tab) {
  return kTabCaptions[static_cast<std::size_t>(tab)];
}

// The seven team orders in page order, with the number the game knows each by.
struct OrderSlot {
  std::string_view Label;
  int Number;
};
inline constexpr std::array<OrderSlot, 7> kOrderSlots = {{{"Defend", 0},
                                                          {"Hold Position", 1},
                                                          {"Assault Base", 2},
                                                          {"Cover me", 3},
                                                          {"Engage", 4},
                                                          {"Take Their Flag", 10},
                                                          {"Search and Destroy", 11}}};

// The team leaders in the game's index order 0..3.
inline constexpr std::array<std::string_view, 4> kLeaderLabels = {"Red Leader", "Blue Leader",
                                                                  "Green Leader", "Gold Leader"};

struct WorkAreaTables {
  PhraseTable Acks;
  PhraseTable FFire;
  PhraseTable Taunts;
  PhraseTable Others;
  // Indexed like kOrderSlots. The Abbrev fields here have no length limit.
  std::array<PhraseRow, 7> Orders;
  // Indexed like kLeaderLabels: sounds only.
  std::array<std::string, 4> Names;
  // The leaders' fixed times, each holding while Names[i] is its ForSound.
  std::array<std::optional<FixedTime>, 4> NameTimes;

  bool operator==(const WorkAreaTables&) const = default;
};

// The growable table shown on `tab`, or nullptr for Orders, Names and Tools.
PhraseTable* RowTable(WorkAreaTables& tables, WorkAreaTab tab);
const PhraseTable* RowTable(const WorkAreaTables& tables, WorkAreaTab tab);

}  // namespace voxmire

#pragma once
// The lines the recording window walks: every row of the four growable
// tables, the seven orders and the four leader names, in the work area's tab
// order, each with the prompt to read out and the sound name a take of it
// gets in the pack.
#include <string>
#include <string_view>
#include <vector>

#include "workarea/PhraseTable.h"

namespace voxmire {

struct RecordLine {
  WorkAreaTab Tab = WorkAreaTab::Acknowledgements;
  // Where the line is on its tab: the row number (from 1) of a growable
  // table, else the position in kOrderSlots or kLeaderLabels (from 0).
  int Slot = 0;
  // The game's index: the row number less one, the order's number, or the
  // leader's index.
  int Index = 0;
  std::string Prompt;     // the String to read out; a leader shows "Red Leader"
  std::string Key;        // names the line in the project's takes: "ack 0"
  std::string SoundName;  // "ack_0_got_it", "order_2_attack", "name_red_leader"
  bool HasSound = false;  // the row's Sound cell holds something

  bool operator==(const RecordLine&) const = default;
};

// Every line of the tables, in tab order.
std::vector<RecordLine> RecordLines(const WorkAreaTables& tables);

// The line's Sound cell as the tables hold it now, until they next change.
std::string_view LineSound(const WorkAreaTables& tables, const RecordLine& line);
// Sets the line's Sound cell. False when the line is no longer there (its
// row was deleted meanwhile).
bool SetLineSound(WorkAreaTables& tables, const RecordLine& line, std::string_view sound);

// "Acknowledgements, row 1" or "Orders: Assault Base" or "Names: Red Leader".
std::string LinePlace(const RecordLine& line);

// The sound name for a line: the tab's prefix, the game's index (not for
// leaders) and the words of its prompt, lower case, made into a name the
// game can hold: "ack_0_got_it". Text is Windows-1252.
std::string LineSoundName(WorkAreaTab tab, int index, std::string_view prompt);

}  // namespace voxmire

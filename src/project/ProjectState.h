#pragma once
// Everything the user has decided for the voice pack being made. One
// instance lives from start-up to exit; the pack's project file
// (Packs/<Name>.voxmire) keeps it between runs. Texts are Windows-1252.
#include <optional>
#include <string>
#include <vector>

#include "workarea/PhraseTable.h"

namespace voxmire {

// The recordings made of one line in the recording window, kept as they
// were recorded in Packs/<Name>/Takes.
struct LineTakes {
  std::string Line;                // the line: "ack 0", "order 10", "name 2"
  std::vector<std::string> Files;  // its takes' file names, oldest first
  std::string Used;                // the take the pack's sound was made from; empty for none
  std::string Sound;               // the pack's sound made from the line's takes

  bool operator==(const LineTakes&) const = default;
};

struct ProjectState {
  // The information page.
  std::string VoicePackName;
  std::string AuthorName;
  std::string AuthorURL;
  std::string ProductName;
  std::string ProductURL;
  std::string UTDir;
  std::string UTSystemDir;
  std::string UTSoundsDir;
  std::string ReadmeLocation;
  // The sound directory chooser.
  std::string SoundDir;  // always ends in the path separator
  std::string SoundDrive;
  // The base voice page: the chosen option's stored key ("Male1", ...,
  // "BlankFemale"; empty until chosen) and the values it stands for.
  std::string BaseVoice;
  std::string BaseVoicePackage;
  std::string VoiceGender;
  std::string BaseVoiceClass;
  bool BlankBase = false;

  // The sound page's package list: the pack's own sound names, sorted.
  std::vector<std::string> Sounds;
  // Those of Sounds that were converted on their way into the pack's folder
  // (the others are the user's files copied unchanged), sorted.
  std::vector<std::string> ConvertedSounds;
  // The recording window's takes, one entry per line that has any.
  std::vector<LineTakes> Takes;
  // The script head as the user edited it on the script page; nothing while
  // it is the template's expansion.
  std::optional<std::string> ScriptHead;
  // The work area: four growable tables, the orders and the leader names.
  WorkAreaTables Tables;
  // The int file page's description; nothing until the user has confirmed
  // one (the page then proposes "<name> by <author>").
  std::optional<std::string> Description;
  // The compile page's "Generate UMod file".
  bool GenerateUmod = false;

  bool operator==(const ProjectState&) const = default;
};

}  // namespace voxmire

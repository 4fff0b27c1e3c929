#pragma once
// Reading an existing voice class (.uc) back into the pack's state, so that a
// pack made earlier, by hand or by this program, can be changed and rebuilt.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "project/ProjectState.h"

namespace voxmire {

struct ClassImport {
  // The class name, the base voice its parent stands for, the sounds it
  // imports and the sound directory, the work area's tables, the author and
  // product lines of our own comment block, and the int file's description.
  ProjectState state;
  // Sound files of the #exec AUDIO IMPORT lines that don't exist here, once
  // each: relative ones as the path we looked at, absolute ones as written.
  std::vector<std::string> missingSoundFiles;
  // Defaults the wizard has no place for ("bSomething", "OrderSound(7)",
  // "AckSound(40000)", an entry past numAcks...), once each as first written.
  std::vector<std::string> unplacedProperties;
  // Other things the user should know before going on: sounds the rebuilt
  // script would look for elsewhere, a block cut short. One sentence each.
  std::vector<std::string> notes;
  // The parent class when it is none of the game's voices that the program
  // knows, nor one of its other classes (a mod's own voice base, say): no
  // base voice is chosen, and the user says which one the pack builds on.
  std::string unknownParent;
  // The class text before its "defaultproperties" line, line ends as in the
  // file. When it differs from the template's expansion for the imported
  // sounds, the user (or a hand-written class) changed the head, and it
  // belongs in state.ScriptHead so that a rebuild keeps it.
  std::string head;
  // Why nothing could be imported (a class that is no voice, say); empty on
  // success. When set, the rest is left empty.
  std::string error;

  bool Ok() const { return error.empty(); }
};

// Imports the class `ucBytes` (Windows-1252 text); `intBytes` is its int
// file, when there is one, for the description. A sound whose name the sound
// page could not have made (IsGameSoundName) refuses the class, naming the
// line. Relative sound paths are
// resolved as the game's compiler does: against the parent of `ucFolder`,
// the folder that holds the class.
ClassImport ImportVoiceClass(std::string_view ucBytes, std::optional<std::string_view> intBytes,
                             const std::filesystem::path& ucFolder);

// Reads the class at `ucPath` and imports it, with the int file found beside
// it (<Name>.int) or where the game keeps it (<game>/System/<Package>.int for
// a class in <game>/<Package>/Classes).
ClassImport ImportVoiceClassFile(const std::filesystem::path& ucPath);

}  // namespace voxmire

// Importing an arbitrary class and int file. Whatever is read must be a
// pack the wizard can hold, and writing it out again and importing that must
// give the same work back.
#include <cstdlib>
#include <set>

#include "FuzzInput.h"
#include "output/DefaultProperties.h"
#include "project/ClassImport.h"
#include "project/PackName.h"
#include "project/ScriptHead.h"
#include "sounds/PackSounds.h"
#include "workarea/GameVoice.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace voxmire;
  const auto parts = fuzz::Parts(data, size, 2);
  // A folder that doesn't exist: sound files are looked for, never found.
  const ClassImport first = ImportVoiceClass(parts[0], parts[1], "/nonexistent/Pkg/Classes");
  if (!first.Ok()) {
    Check(first.state.VoicePackName.empty() && first.unplacedProperties.empty());
    return 0;
  }
  Check(IsValidPackName(first.state.VoicePackName));
  for (const std::string& sound : first.state.Sounds) Check(IsGameSoundName(sound));
  Check(parts[0].compare(0, first.head.size(), first.head) == 0);
  const WorkAreaTables& tables = first.state.Tables;
  for (const PhraseTable* table : {&tables.Acks, &tables.FFire, &tables.Taunts, &tables.Others}) {
    Check(table->Count() <= PhraseTable::kMaxRows);
  }
  std::set<std::string> seen;
  for (const std::string& key : first.unplacedProperties) Check(seen.insert(Lowered(key)).second);

  // A pack the generator takes, built again over the same parent, is the
  // same pack to the game.
  std::string parent = ParentClassOf(first.head);
  if (GameClassDefaults(parent) == nullptr) parent = "SomeOtherPack";
  const VoiceDefaults& base = BaseDefaults(parent);
  NoSoundLengths none;
  const DefaultPropertiesBlock block =
      BuildDefaultProperties(tables, first.state, std::tm{}, base, none);
  if (!block.Ok()) return 0;
  const std::string script =
      "class " + first.state.VoicePackName + " extends " + parent + ";\r\n" + block.Text;
  const ClassImport second = ImportVoiceClass(script, std::nullopt, "/nonexistent/Pkg/Classes");
  Check(second.Ok());
  Check(PackDefaults(second.state.Tables, base, none) == PackDefaults(tables, base, none));
  Check(second.unplacedProperties.empty());
  Check(second.state.AuthorName == first.state.AuthorName);
  return 0;
}

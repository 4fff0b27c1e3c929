#include "sounds/Library.h"

#include <algorithm>
#include <array>

#include "core/Files.h"
#include "sounds/PackSounds.h"
#include "sounds/SoundList.h"

namespace voxmire {
namespace {

struct StockLibrary {
  Library library;
  std::string_view choice;   // the drop-down text and the .vpl file's name
  std::string_view package;  // the game's sound package
};

// In the order the choice's text is compared with them.
constexpr std::array<StockLibrary, 5> kStock = {{
    {Library::MaleOne, "MaleOne", "Male1Voice"},
    {Library::MaleTwo, "MaleTwo", "Male2Voice"},
    {Library::FemaleOne, "FemaleOne", "Female1Voice"},
    {Library::FemaleTwo, "FemaleTwo", "Female2Voice"},
    {Library::Boss, "Boss", "BossVoice"},
}};

// The drop-down's order differs from the comparison order.
constexpr std::array<Library, 5> kChoiceOrder = {Library::MaleOne, Library::MaleTwo, Library::Boss,
                                                 Library::FemaleOne, Library::FemaleTwo};

const StockLibrary& Stock(Library library) {
  for (const StockLibrary& stock : kStock) {
    if (stock.library == library) return stock;
  }
  return kStock.front();  // unreachable: Own is handled by every caller
}

std::string OwnPrefix(const ProjectState& state) {
  return "Sound'" + state.VoicePackName + "." + state.VoicePackName + ".";
}

}  // namespace

std::vector<std::string> LibraryChoices(const ProjectState& state) {
  std::vector<std::string> choices{state.VoicePackName};
  for (Library library : kChoiceOrder) choices.emplace_back(Stock(library).choice);
  return choices;
}

std::optional<Library> StockLibraryForPackage(std::string_view package) {
  for (const StockLibrary& stock : kStock) {
    if (package.size() == stock.package.size() &&
        std::equal(package.begin(), package.end(), stock.package.begin(), [](char a, char b) {
          const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
          return lower(a) == lower(b);
        })) {
      return stock.library;
    }
  }
  return std::nullopt;
}

std::filesystem::path LibraryFile(Library library, const Places& places) {
  if (library == Library::Own) return SoundListPath(places);
  return Join(places.LibraryFolder(), std::string(Stock(library).choice) + ".vpl");
}

std::string LibraryEntry(Library library, std::string_view line, const ProjectState& state) {
  std::string entry;
  if (library == Library::Own) {
    entry = OwnPrefix(state);
  } else {
    entry = "Sound'";
    entry += Stock(library).package;
    entry += ".(All).";
  }
  entry += line;
  entry += "'";
  return entry;
}

std::optional<Library> LibraryForChoice(std::string_view choiceText, const ProjectState& state) {
  std::optional<Library> match;
  for (const StockLibrary& stock : kStock) {
    if (choiceText == stock.choice) match = stock.library;
  }
  if (choiceText == state.VoicePackName) match = Library::Own;
  return match;
}

std::optional<std::vector<std::string>> EntriesForChoice(std::string_view choiceText,
                                                         const ProjectState& state,
                                                         const Places& places) {
  // Only the last match is read: an earlier one's list would be replaced anyway.
  const std::optional<Library> library = LibraryForChoice(choiceText, state);
  if (!library) return std::nullopt;
  std::vector<std::string> entries;
  for (const std::string& line : ReadTextLines(LibraryFile(*library, places))) {
    entries.push_back(LibraryEntry(*library, line, state));
  }
  return entries;
}

std::optional<std::string> OwnSoundPath(std::string_view entry, const ProjectState& state,
                                        const Places& places) {
  const std::string prefix = OwnPrefix(state);
  if (entry.size() < prefix.size() + 1 || !entry.starts_with(prefix)) return std::nullopt;
  const std::string_view name = entry.substr(prefix.size(), entry.size() - prefix.size() - 1);
  const std::filesystem::path copy = PackSoundFile(places, state.VoicePackName, name);
  std::error_code ec;
  if (!name.empty() && std::filesystem::is_regular_file(copy, ec)) return PathText(copy);
  return SoundFileText(state.SoundDir, name);
}

}  // namespace voxmire

#include "record/Takes.h"

#include <algorithm>
#include <system_error>

#include "core/Files.h"
#include "record/TakeRecorder.h"
#include "sounds/Convert.h"
#include "sounds/Library.h"
#include "sounds/PackSounds.h"
#include "sounds/SoundList.h"

namespace voxmire {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTakeMark = "_take";
constexpr std::string_view kWav = ".wav";

LineTakes& TakesOf(ProjectState& state, std::string_view lineKey) {
  for (LineTakes& line : state.Takes) {
    if (line.Line == lineKey) return line;
  }
  LineTakes& added = state.Takes.emplace_back();
  added.Line = std::string(lineKey);
  return added;
}

bool Holds(const std::vector<std::string>& sounds, std::string_view name) {
  return std::any_of(sounds.begin(), sounds.end(),
                     [&](const std::string& s) { return SameSoundName(s, name); });
}

}  // namespace

int TakeNumber(std::string_view file) {
  if (file.size() < kWav.size() || file.substr(file.size() - kWav.size()) != kWav) return 0;
  file.remove_suffix(kWav.size());
  const std::size_t mark = file.rfind(kTakeMark);
  if (mark == std::string_view::npos) return 0;
  const std::string_view digits = file.substr(mark + kTakeMark.size());
  if (digits.empty() || digits.size() > 6 ||
      digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return 0;
  }
  return std::stoi(std::string(digits));
}

namespace {

// Puts `name` into the pack's sounds, sorted as the package list is, and
// marks it as converted.
void AddConvertedSound(ProjectState& state, const std::string& name) {
  if (std::find(state.Sounds.begin(), state.Sounds.end(), name) == state.Sounds.end()) {
    InsertSorted(state.Sounds, name);
  }
  std::vector<std::string>& marks = state.ConvertedSounds;
  const auto at = std::lower_bound(marks.begin(), marks.end(), name);
  if (at == marks.end() || *at != name) marks.insert(at, name);
}

TakeResult Failed(std::string problem) {
  TakeResult result;
  result.Problem = std::move(problem);
  return result;
}

}  // namespace

const LineTakes* FindTakes(const ProjectState& state, std::string_view lineKey) {
  for (const LineTakes& line : state.Takes) {
    if (line.Line == lineKey) return &line;
  }
  return nullptr;
}

std::optional<fs::path> TakeFile(const Places& places, const ProjectState& state,
                                 std::string_view file) {
  if (file.empty() || file == "." || file == ".." ||
      file.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos) {
    return std::nullopt;
  }
  return Join(PackTakesDir(places, state.VoicePackName), file);
}

std::string NextTakeName(const fs::path& takesDir, const RecordLine& line, const LineTakes* takes) {
  int number = 1;
  if (takes != nullptr) {
    for (const std::string& file : takes->Files) number = std::max(number, TakeNumber(file) + 1);
  }
  for (;; ++number) {
    std::string name =
        line.SoundName + std::string(kTakeMark) + std::to_string(number) + std::string(kWav);
    std::error_code ec;
    if (!fs::exists(Join(takesDir, name), ec) && !ec) return name;
  }
}

std::string PackSoundNameFor(const ProjectState& state, const RecordLine& line) {
  if (const LineTakes* takes = FindTakes(state, line.Key);
      takes != nullptr && !takes->Sound.empty()) {
    return takes->Sound;
  }
  if (!Holds(state.Sounds, line.SoundName)) return line.SoundName;
  for (int n = 2;; ++n) {
    const std::string suffix = "_" + std::to_string(n);
    // Still a name the game holds: at most 63 characters.
    std::string name = line.SoundName.substr(0, 63 - suffix.size()) + suffix;
    if (!Holds(state.Sounds, name)) return name;
  }
}

std::string TakeWavBytes(std::span<const std::int16_t> samples) {
  return MonoWavBytes(samples, TakeRecorder::kRate);
}

TakeResult KeepTake(ProjectState& state, const Places& places, const RecordLine& line,
                    std::span<const std::int16_t> samples, bool evenLoudness) {
  const fs::path dir = PackTakesDir(places, state.VoicePackName);
  if (!PrepareWritableDir(dir)) {
    return Failed("The folder " + PathText(dir) + " can't be written, so the take was not kept.");
  }
  const std::string name = NextTakeName(dir, line, FindTakes(state, line.Key));
  if (!WriteFileAtomic(Join(dir, name), TakeWavBytes(samples))) {
    return Failed("The take could not be written to " + PathText(dir) + "; the disk may be full.");
  }
  TakesOf(state, line.Key).Files.push_back(name);
  return UseTake(state, places, line, name, evenLoudness);
}

TakeResult UseTake(ProjectState& state, const Places& places, const RecordLine& line,
                   const std::string& file, bool evenLoudness) {
  const auto take = TakeFile(places, state, file);
  if (!take) return Failed("The take \"" + file + "\" is not a file of the pack's Takes folder.");
  const fs::path soundsDir = PackSoundsDir(places, state.VoicePackName);
  if (!PrepareWritableDir(soundsDir)) {
    return Failed("The folder " + PathText(soundsDir) + " can't be written.");
  }
  const std::string sound = PackSoundNameFor(state, line);
  const PrepareResult made = PrepareSound(*take, PackSoundFile(places, state.VoicePackName, sound),
                                          ConvertOptions{evenLoudness, true});
  TakeResult result;
  result.Take = file;
  result.Sound = sound;
  if (made.outcome != PrepareOutcome::Converted && made.outcome != PrepareOutcome::Copied) {
    result.Problem = "The pack's sound could not be made from " + file + ": " + made.reason + ".";
    return result;
  }
  LineTakes& takes = TakesOf(state, line.Key);
  takes.Used = file;
  takes.Sound = sound;
  AddConvertedSound(state, sound);
  SetLineSound(state.Tables, line, LibraryEntry(Library::Own, sound, state));
  // The script's import statements are made from the sound list.
  if (!WriteSoundList(places, state.Sounds)) {
    result.Problem = "The sound list " + PathText(SoundListPath(places)) +
                     " could not be written; the sound is made, but the script won't import "
                     "it until the list is written.";
    return result;
  }
  result.Ok = true;
  return result;
}

bool DeleteTake(ProjectState& state, const Places& places, std::string_view lineKey,
                const std::string& file, std::string& problem) {
  auto line = std::find_if(state.Takes.begin(), state.Takes.end(),
                           [&](const LineTakes& t) { return t.Line == lineKey; });
  if (line == state.Takes.end()) return true;
  const auto at = std::find(line->Files.begin(), line->Files.end(), file);
  if (at == line->Files.end()) return true;
  if (const auto path = TakeFile(places, state, file)) {
    std::error_code ec;
    fs::remove(*path, ec);
    if (ec) {
      problem = "The take " + PathText(*path) + " could not be deleted: " + ec.message() + ".";
      return false;
    }
  }
  line->Files.erase(at);
  if (line->Used == file) line->Used.clear();
  // The entry stays while it names the pack's sound, so that a new take
  // makes the same sound again.
  if (line->Files.empty() && line->Sound.empty()) state.Takes.erase(line);
  return true;
}

}  // namespace voxmire

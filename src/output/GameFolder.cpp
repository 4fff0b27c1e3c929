#include "output/GameFolder.h"

#include <algorithm>
#include <array>

#include "core/Ascii.h"
#include "core/Files.h"
#include "output/CompileSequence.h"
#include "sounds/SoundList.h"

namespace voxmire {
namespace fs = std::filesystem;

namespace {

// The packages that come with the game and the classes a voice pack's name
// would shadow: a pack of that name would replace or rebuild the game's own.
constexpr std::array<std::string_view, 30> kStockNames = {"Core",
                                                          "Engine",
                                                          "Editor",
                                                          "Botpack",
                                                          "UnrealShare",
                                                          "UnrealI",
                                                          "UTMenu",
                                                          "UMenu",
                                                          "UWindow",
                                                          "UBrowser",
                                                          "UTBrowser",
                                                          "IpDrv",
                                                          "IpServer",
                                                          "UWeb",
                                                          "Fire",
                                                          "UTServerAdmin",
                                                          "Male1Voice",
                                                          "Male2Voice",
                                                          "Female1Voice",
                                                          "Female2Voice",
                                                          "BossVoice",
                                                          "VoicePack",
                                                          "ChallengeVoicePack",
                                                          "VoiceMale",
                                                          "VoiceFemale",
                                                          "VoiceBoss",
                                                          "VoiceMaleOne",
                                                          "VoiceMaleTwo",
                                                          "VoiceFemaleOne",
                                                          "VoiceFemaleTwo"};

constexpr std::array<std::string_view, 3> kVoiceMetaClasses = {
    "BotPack.VoiceMale", "BotPack.VoiceFemale", "BotPack.VoiceBoss"};

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool StartsNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameNoCase(s.substr(0, prefix.size()), prefix);
}

// The value of `key` in "(Name=A.B,Class=Class,MetaClass=...,Description="x, y")",
// commas inside quotes kept.
std::optional<std::string> Field(std::string_view object, std::string_view key) {
  std::string_view body = object;
  if (!body.empty() && body.front() == '(') body.remove_prefix(1);
  if (!body.empty() && body.back() == ')') body.remove_suffix(1);
  std::size_t start = 0;
  bool quoted = false;
  for (std::size_t i = 0; i <= body.size(); ++i) {
    if (i < body.size() && body[i] == '"') quoted = !quoted;
    if (i < body.size() && (body[i] != ',' || quoted)) continue;
    const std::string_view part = body.substr(start, i - start);
    const auto eq = part.find('=');
    if (eq != std::string_view::npos && SameNoCase(part.substr(0, eq), key)) {
      return std::string(part.substr(eq + 1));
    }
    start = i + 1;
  }
  return std::nullopt;
}

// The files in `dir` whose names equal `fileName`, letter case ignored.
std::vector<fs::path> FilesNamed(const fs::path& dir, std::string_view fileName) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (SameNoCase(it->path().filename().string(), fileName)) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool IsPlain(const fs::directory_entry& entry, fs::file_type type) {
  std::error_code ec;
  return entry.symlink_status(ec).type() == type;
}

// The first entry of `dir` (by name) that `ours` doesn't accept; `dir`
// itself when it can't be listed, as what can't be looked at can't be
// taken for ours.
template <typename Ours>
std::optional<fs::path> FirstForeign(const fs::path& dir, const Ours& ours) {
  std::optional<fs::path> first;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (!ours(*it) && (!first || it->path() < *first)) first = it->path();
  }
  if (ec) return dir;
  return first;
}

// The first thing in <game>/<name> that no compile of the pack put there:
// it may hold Classes/<name>.uc and Sounds/*.wav, nothing else. The folder
// of another mod of that name would otherwise be compiled into the pack.
std::optional<fs::path> ForeignInPackFolder(const fs::path& packDir, std::string_view name) {
  std::error_code ec;
  // Anything but a folder there is for the compile to report: it can't make one.
  if (!fs::is_directory(fs::symlink_status(packDir, ec))) return std::nullopt;
  if (auto foreign = FirstForeign(packDir, [](const fs::directory_entry& e) {
        const fs::path entry = e.path().filename();
        return (entry == "Classes" || entry == "Sounds") && IsPlain(e, fs::file_type::directory);
      })) {
    return foreign;
  }
  const fs::path script = FsPath(std::string(name) + ".uc");
  const auto classes = [&](const fs::directory_entry& e) {
    return e.path().filename() == script && IsPlain(e, fs::file_type::regular);
  };
  const auto sounds = [](const fs::directory_entry& e) {
    const std::string entry = e.path().filename().string();
    return entry.front() != '.' && IsWavFileName(entry) && IsPlain(e, fs::file_type::regular);
  };
  if (fs::is_directory(packDir / "Classes", ec)) {
    if (auto foreign = FirstForeign(packDir / "Classes", classes)) return foreign;
  }
  if (fs::is_directory(packDir / "Sounds", ec)) {
    if (auto foreign = FirstForeign(packDir / "Sounds", sounds)) return foreign;
  }
  return std::nullopt;
}

}  // namespace

bool IsVoicePackIntFile(std::string_view intText, std::string_view name) {
  int objects = 0;
  bool voice = false;
  for (const auto& line : SplitLines(intText)) {
    const std::string_view view(line);
    if (!StartsNoCase(view, "Object=")) continue;
    ++objects;
    const std::string_view object = view.substr(7);
    const auto objectName = Field(object, "Name");
    const auto metaClass = Field(object, "MetaClass");
    voice = objectName && metaClass &&
            SameNoCase(*objectName, std::string(name) + "." + std::string(name)) &&
            std::any_of(kVoiceMetaClasses.begin(), kVoiceMetaClasses.end(),
                        [&](std::string_view m) { return SameNoCase(*metaClass, m); });
  }
  return objects == 1 && voice;
}

std::optional<std::string> FindNameClash(const fs::path& utDir, const fs::path& home,
                                         std::string_view name) {
  for (const auto stock : kStockNames) {
    if (SameNoCase(name, stock)) {
      return std::string(stock) + ", one of the game's own packages or classes";
    }
  }
  std::vector<fs::path> folders = {utDir / "System", utDir / "Sounds", utDir / "Textures",
                                   utDir / "Music"};
  if (!home.empty()) folders.push_back(PreferenceDirectory(home));

  // An earlier build of this very pack may be rebuilt: its int file, and the
  // compiled package beside it, are the pack's own.
  bool earlierBuild = false, otherInt = false;
  std::optional<fs::path> firstInt;
  for (const auto& dir : folders) {
    for (const auto& file : FilesNamed(dir, std::string(name) + ".int")) {
      const auto text = ReadFileBytes(file);
      if (text && IsVoicePackIntFile(*text, name)) {
        earlierBuild = true;
      } else if (!otherInt) {
        otherInt = true;
        firstInt = file;
      }
    }
  }
  if (otherInt) return PathText(*firstInt);
  if (const auto foreign = ForeignInPackFolder(Join(utDir, name), name)) {
    return PathText(*foreign);
  }
  for (const auto& dir : folders) {
    for (const char* extension : {".u", ".uax", ".utx", ".umx"}) {
      const bool ours = earlierBuild && std::string_view(extension) == ".u";
      if (ours) continue;
      const auto files = FilesNamed(dir, std::string(name) + extension);
      if (!files.empty()) return PathText(files.front());
    }
  }
  return std::nullopt;
}

std::vector<std::string> GameFolderProblems(const fs::path& utDir, const fs::path& home,
                                            bool machineIs64Bit) {
  std::vector<std::string> problems;
  const fs::path system = utDir / "System";
  std::error_code ec;
  if (!fs::is_directory(system, ec)) {
    problems.push_back("It has no System folder (" + PathText(system) + ").");
  }
  const CompilerLocation compiler = LocateCompiler(utDir, system, machineIs64Bit);
  if (compiler.program.empty()) problems.push_back(compiler.problem);
  const SettingsLocation settings = LocateSettingsFile(system, home);
  if (settings.file.empty()) {
    std::string looked;
    for (const auto& p : settings.lookedFor) looked += (looked.empty() ? "" : ", ") + PathText(p);
    problems.push_back("Its settings file is missing. Looked for: " + looked + ".");
  }
  return problems;
}

}  // namespace voxmire

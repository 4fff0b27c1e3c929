#include "game/GameSounds.h"

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>

#include "core/Ascii.h"
#include "core/Files.h"
#include "output/CompileSequence.h"
#include "sounds/Library.h"
#include "sounds/SoundList.h"

namespace voxmire {
namespace fs = std::filesystem;
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// Characters that can't be part of a name in a reference: they would end
// the reference or the line it is written on.
bool NameCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u <= 0x20 || u == 0x7F) return false;
  return std::string_view("'\"\\/,;={}").find(c) == std::string_view::npos;
}

// The paths the game ships with, for a settings file that names none.
constexpr std::string_view kDefaultPaths[] = {"../System/*.u", "../Maps/*.unr", "../Textures/*.utx",
                                              "../Sounds/*.uax", "../Music/*.umx"};

std::optional<PackagePath> ResolvePath(std::string_view value, const fs::path& systemDir) {
  std::string text(value);
  std::replace(text.begin(), text.end(), '\\', '/');
  const auto slash = text.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : text.substr(0, slash);
  const std::string pattern = slash == std::string::npos ? text : text.substr(slash + 1);
  const auto star = pattern.find('*');
  if (star == std::string::npos || pattern.find('*', star + 1) != std::string::npos) {
    return std::nullopt;
  }
  PackagePath path;
  const fs::path folder = FsPath(dir);
  path.Dir = (folder.is_absolute() ? folder : systemDir / folder).lexically_normal();
  if (!path.Dir.empty() && path.Dir.filename().empty()) path.Dir = path.Dir.parent_path();
  path.Prefix = pattern.substr(0, star);
  path.Suffix = pattern.substr(star + 1);
  return path;
}

// Where a cell sits, for the refusal message.
struct CellPlace {
  std::string Where;  // row 3 on the "Taunts" tab
  std::string_view Sound;
};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::vector<CellPlace> SoundCellsInWritingOrder(const WorkAreaTables& tables) {
  std::vector<CellPlace> cells;
  const std::string names = " on the " + Quoted(TabCaption(WorkAreaTab::Names)) + " tab";
  for (std::size_t i = 0; i < tables.Names.size(); ++i) {
    cells.push_back({"the " + Quoted(kLeaderLabels[i]) + names, tables.Names[i]});
  }
  const auto addTable = [&](WorkAreaTab tab) {
    const PhraseTable& table = *RowTable(tables, tab);
    for (int k = 1; k <= table.Count(); ++k) {
      cells.push_back({"row " + std::to_string(k) + " on the " + Quoted(TabCaption(tab)) + " tab",
                       table.Cell(k, PhraseCell::Sound)});
    }
  };
  addTable(WorkAreaTab::Acknowledgements);
  addTable(WorkAreaTab::FriendlyFire);
  addTable(WorkAreaTab::Taunts);
  const std::string orders = " order on the " + Quoted(TabCaption(WorkAreaTab::Orders)) + " tab";
  for (std::size_t i = 0; i < tables.Orders.size(); ++i) {
    cells.push_back({"the " + Quoted(kOrderSlots[i].Label) + orders, tables.Orders[i].Sound});
  }
  addTable(WorkAreaTab::Others);
  return cells;
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return SameName(n, name); });
}

class ReferenceChecker {
 public:
  ReferenceChecker(const ProjectState& state, const SoundCheckPlaces& places,
                   std::optional<std::string_view> head)
      : state_(state), places_(places), finder_(GamePackagePaths(state, places.home)) {
    if (head) {
      own_ = OwnSoundImports(*head, state.VoicePackName);
      return;
    }
    for (const std::string& name :
         state.Sounds.empty() ? ReadTextLines(SoundListPath(places.program)) : state.Sounds) {
      own_.push_back({{}, name, state.VoicePackName, state.VoicePackName});
    }
  }

  // Why `reference` names no sound the game will find; empty when it does.
  std::string Problem(const SoundReference& reference) {
    const std::string& pack = state_.VoicePackName;
    if (!pack.empty() && SameName(reference.Package, pack)) return OwnProblem(reference);

    if (const PackageIndex* index = finder_.Index(reference.Package)) {
      const std::string file = PathText(*finder_.Find(reference.Package));
      if (!index->Ok()) return "the package " + file + " can't be read: " + index->Error;
      if (FindSound(*index, reference) != nullptr) return {};
      std::string problem = reference.Package + " has no sound named " + reference.Name;
      if (!reference.Group.empty()) problem += " in group " + reference.Group;
      return problem + " (" + file + ")";
    }

    if (const auto library = StockLibraryForPackage(reference.Package)) {
      const fs::path file = LibraryFile(*library, places_.program);
      std::error_code ec;
      if (fs::is_regular_file(file, ec)) {
        const bool groupOk = reference.Group.empty() || SameName(reference.Group, "(All)");
        if (groupOk && Contains(ReadTextLines(file), reference.Name)) return {};
        std::string problem = reference.Package + " has no sound named " + reference.Name;
        if (!groupOk) problem += " in group " + reference.Group;
        return problem + " (the game directory has no " + reference.Package +
               " package; the stock library " + PathText(file) + " was searched)";
      }
    }

    const std::string folders = finder_.FolderList();
    if (folders.empty()) {
      return "no package " + reference.Package + " (no game directory is chosen to look in)";
    }
    return "no package " + reference.Package + " in " + folders;
  }

 private:
  std::string OwnProblem(const SoundReference& reference) const {
    const std::string& pack = state_.VoicePackName;
    const auto inGroup = [&](const AudioImport& sound) {
      return reference.Group.empty() || SameName(sound.group, reference.Group);
    };
    if (!reference.Group.empty() && !own_.empty() &&
        !std::any_of(own_.begin(), own_.end(), inGroup)) {
      std::vector<std::string> groups;
      for (const AudioImport& sound : own_) {
        if (!Contains(groups, sound.group)) groups.push_back(sound.group);
      }
      std::string problem = pack + " has no group " + reference.Group + "; the pack's own sounds ";
      problem += groups.size() == 1 ? "are in group " : "are in the groups ";
      for (std::size_t i = 0; i < groups.size(); ++i) {
        if (i > 0) problem += ", ";
        problem += groups[i].empty() ? "(none)" : groups[i];
      }
      return problem;
    }
    for (const AudioImport& sound : own_) {
      if (inGroup(sound) && SameName(sound.name, reference.Name)) return {};
    }
    std::string problem = pack + " has no sound named " + reference.Name;
    if (!reference.Group.empty()) problem += " in group " + reference.Group;
    return problem + " among the pack's own sounds";
  }

  const ProjectState& state_;
  const SoundCheckPlaces& places_;
  PackageFinder finder_;
  std::vector<AudioImport> own_;
};

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool IsNoSound(std::string_view text) { return text.empty() || SameName(text, "None"); }

std::optional<SoundReference> ParseSoundReference(std::string_view text) {
  constexpr std::string_view kOpen = "Sound'";
  std::string_view inner = text;
  if (StartsWithIgnoringCase(text, kOpen)) {
    if (text.size() < kOpen.size() + 1 || text.back() != '\'') return std::nullopt;
    inner = text.substr(kOpen.size(), text.size() - kOpen.size() - 1);
  }
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const auto dot = inner.find('.', start);
    parts.push_back(inner.substr(start, dot == std::string_view::npos ? dot : dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  if (parts.size() < 2) return std::nullopt;
  for (std::string_view part : parts) {
    if (part.empty() || !std::all_of(part.begin(), part.end(), NameCharacter)) return std::nullopt;
  }
  SoundReference reference;
  reference.Package = parts.front();
  reference.Name = parts.back();
  for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
    if (i > 1) reference.Group += '.';
    reference.Group += parts[i];
  }
  return reference;
}

std::vector<PackagePath> PackagePathsFromSettings(std::string_view settingsText,
                                                  const fs::path& systemDir) {
  std::vector<PackagePath> paths;
  bool inSystem = false;
  for (const std::string& raw : SplitLines(settingsText)) {
    const std::string_view line = Trim(raw);
    if (line.starts_with('[')) {
      inSystem = SameName(line, "[Core.System]");
      continue;
    }
    const auto equals = line.find('=');
    if (!inSystem || equals == std::string_view::npos) continue;
    if (!SameName(Trim(line.substr(0, equals)), "Paths")) continue;
    if (auto path = ResolvePath(Trim(line.substr(equals + 1)), systemDir)) {
      paths.push_back(std::move(*path));
    }
  }
  if (paths.empty()) {
    for (std::string_view value : kDefaultPaths) paths.push_back(*ResolvePath(value, systemDir));
  }
  return paths;
}

std::vector<PackagePath> GamePackagePaths(const ProjectState& state, const fs::path& home) {
  if (state.UTSystemDir.empty()) return {};
  const fs::path systemDir = FsPath(state.UTSystemDir);
  const SettingsLocation settings = LocateSettingsFile(systemDir, home);
  std::string text;
  if (!settings.file.empty()) text = ReadFileBytes(settings.file).value_or(std::string());
  return PackagePathsFromSettings(text, systemDir);
}

PackageFinder::PackageFinder(std::vector<PackagePath> paths)
    : paths_(std::move(paths)), listings_(paths_.size()) {}

PackageFinder::~PackageFinder() = default;

const std::map<std::string, std::string>* PackageFinder::Listing(std::size_t pathIndex) {
  auto& listing = listings_[pathIndex];
  if (!listing) {
    listing.emplace();
    std::error_code ec;
    for (fs::directory_iterator it(paths_[pathIndex].Dir, ec), end; !ec && it != end;
         it.increment(ec)) {
      std::error_code typeError;
      if (!it->is_regular_file(typeError)) continue;
      const std::string name = PathText(it->path().filename());
      // Of names equal but for case, the same one however the folder lists them.
      const auto [entry, added] = listing->emplace(Lower(name), name);
      if (!added && name < entry->second) entry->second = name;
    }
  }
  return &*listing;
}

std::optional<fs::path> PackageFinder::Find(std::string_view package) {
  if (package.empty()) return std::nullopt;
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    const PackagePath& path = paths_[i];
    const auto* listing = Listing(i);
    const auto found = listing->find(Lower(path.Prefix + std::string(package) + path.Suffix));
    if (found != listing->end()) return Join(path.Dir, found->second);
  }
  return std::nullopt;
}

std::vector<fs::path> PackageFinder::Candidates(std::string_view package) const {
  std::vector<fs::path> candidates;
  for (const PackagePath& path : paths_) {
    candidates.push_back(Join(path.Dir, path.Prefix + std::string(package) + path.Suffix));
  }
  return candidates;
}

std::string PackageFinder::FolderList() const {
  std::string list;
  std::set<fs::path> seen;
  for (const PackagePath& path : paths_) {
    if (!seen.insert(path.Dir).second) continue;
    if (!list.empty()) list += ", ";
    list += PathText(path.Dir);
  }
  return list;
}

const PackageIndex* PackageFinder::Index(std::string_view package) {
  const std::string key = Lower(package);
  if (auto cached = indexes_.find(key); cached != indexes_.end()) return cached->second.get();
  std::unique_ptr<PackageIndex> index;
  if (const auto file = Find(package)) {
    index = std::make_unique<PackageIndex>(ReadPackageIndexFile(*file));
  }
  return indexes_.emplace(key, std::move(index)).first->second.get();
}

std::vector<FoundPackage> PackageFinder::SoundPackages() {
  std::vector<FoundPackage> packages;
  std::set<std::string> seen;
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    const PackagePath& path = paths_[i];
    if (!SameName(path.Suffix, ".uax")) continue;
    const std::string prefix = Lower(path.Prefix);
    const std::string suffix = Lower(path.Suffix);
    for (const auto& [lower, name] : *Listing(i)) {
      if (lower.size() <= prefix.size() + suffix.size() || !lower.starts_with(prefix) ||
          !lower.ends_with(suffix)) {
        continue;
      }
      std::string package = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
      if (!seen.insert(Lower(package)).second) continue;
      packages.push_back({std::move(package), Join(path.Dir, name)});
    }
  }
  std::stable_sort(
      packages.begin(), packages.end(),
      [](const FoundPackage& a, const FoundPackage& b) { return SoundNameLess(a.Name, b.Name); });
  return packages;
}

const PackageObject* FindSound(const PackageIndex& index, const SoundReference& reference) {
  for (const PackageObject& object : index.Objects) {
    if (!object.IsSound() || !SameName(object.Name, reference.Name)) continue;
    if (reference.Group.empty() || SameName(object.Group, reference.Group)) return &object;
  }
  return nullptr;
}

GameSound ExtractGameSound(PackageFinder& finder, const SoundReference& reference) {
  GameSound sound;
  const auto file = finder.Find(reference.Package);
  if (!file) {
    sound.Result = GameSound::Kind::NoPackage;
    // Name the sound package file the game would have read first.
    const std::vector<fs::path> candidates = finder.Candidates(reference.Package);
    const auto uax = std::find_if(candidates.begin(), candidates.end(), [](const fs::path& p) {
      return SameName(PathText(p.extension()), ".uax");
    });
    sound.File = uax != candidates.end() ? PathText(*uax)
                 : candidates.empty()    ? reference.Package + ".uax"
                                         : PathText(candidates.front());
    return sound;
  }
  sound.File = PathText(*file);
  FileSource source(*file);
  const PackageIndex index = ReadPackageIndex(source);
  if (!index.Ok()) {
    sound.Result = GameSound::Kind::Unreadable;
    sound.Error = index.Error;
    return sound;
  }
  const PackageObject* object = FindSound(index, reference);
  if (object == nullptr) {
    sound.Result = GameSound::Kind::NoSuchSound;
    return sound;
  }
  SoundData data = ReadSoundData(source, index, *object);
  if (!data.Ok()) {
    sound.Result = GameSound::Kind::Unreadable;
    sound.Error = data.Error;
  } else if (data.Bytes.empty()) {
    sound.Result = GameSound::Kind::NoData;
  } else {
    sound.Bytes = std::move(data.Bytes);
  }
  return sound;
}

std::vector<std::string> PackageSoundReferences(std::string_view package,
                                                const PackageIndex& index) {
  std::vector<std::string> references;
  for (const PackageObject& object : index.Objects) {
    if (!object.IsSound()) continue;
    std::string reference = "Sound'" + std::string(package) + ".";
    if (!object.Group.empty()) reference += object.Group + ".";
    references.push_back(reference + object.Name + "'");
  }
  return references;
}

std::vector<AudioImport> OwnSoundImports(std::string_view head, std::string_view packName) {
  std::vector<AudioImport> own;
  for (AudioImport& sound : AudioImportsOf(head)) {
    if (sound.package.empty() || SameName(sound.package, packName)) own.push_back(std::move(sound));
  }
  return own;
}

std::string CheckSoundReferences(const WorkAreaTables& tables, const ProjectState& state,
                                 const SoundCheckPlaces& places,
                                 std::optional<std::string_view> head) {
  std::optional<ReferenceChecker> checker;  // made on the first reference: no cost for none
  for (const CellPlace& cell : SoundCellsInWritingOrder(tables)) {
    const std::string_view text = cell.Sound;
    if (IsNoSound(text)) continue;
    const auto reference = ParseSoundReference(text);
    if (!reference) {
      return "The Sound of " + cell.Where + ", " + Quoted(text) +
             ", is not a sound reference. Please write it as Sound'Package.Group.Name', "
             "drag it from the voice window, or leave the cell empty.";
    }
    if (!checker) checker.emplace(state, places, head);
    if (std::string problem = checker->Problem(*reference); !problem.empty()) {
      return "The Sound of " + cell.Where + ", " + std::string(text) +
             ", names no sound the game can find: " + problem +
             ". The game would store it as None and the line would be silent.";
    }
  }
  return {};
}

}  // namespace voxmire

#include "Folders.h"

#include <algorithm>

#include "core/Files.h"
#include "output/CompileSequence.h"
#include "output/Release.h"
#include "output/ScriptTemplate.h"
#include "project/ProjectFile.h"
#include "sounds/SoundList.h"

namespace voxmire {

namespace fs = std::filesystem;

namespace {

// The same place, whether or not it exists yet.
bool SamePlace(const fs::path& a, const fs::path& b) {
  std::error_code ec1, ec2;
  const fs::path ca = fs::weakly_canonical(a, ec1), cb = fs::weakly_canonical(b, ec2);
  return !ec1 && !ec2 ? ca == cb : a.lexically_normal() == b.lexically_normal();
}

// Inside `base`, and not `base` itself.
bool IsUnder(const fs::path& path, const fs::path& base) {
  const fs::path rel = path.lexically_normal().lexically_relative(base.lexically_normal());
  return !rel.empty() && rel != "." && *rel.begin() != "..";
}

bool SameBytes(const fs::path& a, const fs::path& b) {
  const auto x = ReadFileBytes(a);
  const auto y = ReadFileBytes(b);
  return x && y && *x == *y;
}

// What the program wrote beside itself besides its settings and projects:
// the sound list, the generated script and int file, the compile's logs,
// journal and settings backup, and the scratch file of the script page.
bool IsGeneratedFile(const fs::path& file) {
  const std::string name = file.filename().string();
  const std::string ext = file.extension().string();
  return name == kSoundListFileName || name == "_script.txt" || name == kCompileJournalName ||
         name == kSettingsBackupName || ext == ".uc" || ext == ".int" ||
         (name.rfind("ucc-make-", 0) == 0 && ext == ".log");
}

}  // namespace

fs::path XdgHome(const char* value, const fs::path& home, std::string_view fallback) {
  if (value != nullptr && *value != '\0' && fs::path(value).is_absolute()) return value;
  return home / fallback;
}

bool IsPortable(const fs::path& programDir) {
  const Places beside = Places::InOneFolder(programDir);
  return Exists(programDir / kPortableMarker) || Exists(beside.PrefsIni()) ||
         Exists(beside.StepsIni()) || IsFolder(ProjectFolder(beside));
}

Places ChoosePlaces(const Surroundings& around) {
  if (IsPortable(around.programDir)) return Places::InOneFolder(around.programDir);
  Places places;
  places.config = around.configHome / kFolderName;
  places.data = around.dataHome / kFolderName;
  places.state = around.stateHome / kFolderName;
  const fs::path share = around.programDir.parent_path() / "share" / kFolderName;
  places.share = IsFolder(share) ? share : around.programDir;
  return places;
}

std::string MakeFolders(const Places& places) {
  for (const fs::path& dir : {places.config, places.data, places.state}) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !IsFolder(dir)) {
      return "Voxmire can't make its folder " + PathText(dir) + ": " +
             (ec ? ec.message() : std::string("something else is in the way")) +
             ".\rSettings and voice packs can't be kept until it can.";
    }
  }
  return {};
}

std::vector<fs::path> EarlierInstallFolders(const Places& places, const fs::path& home) {
  std::vector<fs::path> folders{places.share};
  const fs::path byDefault = home / ".local" / "share" / kFolderName;
  if (!SamePlace(byDefault, places.share)) folders.push_back(byDefault);
  return folders;
}

std::optional<EarlierInstall> FindEarlierInstall(const fs::path& folder, const Places& places) {
  // The earlier program still there would start without its files.
  if (!IsFolder(folder) || Exists(folder / "voxmire")) return std::nullopt;
  EarlierInstall earlier{folder, {}};
  const auto add = [&](const fs::path& from, const fs::path& to) {
    if (!SamePlace(from, to)) earlier.files.push_back({from, to});
  };

  const Places old = Places::InOneFolder(folder);
  for (const fs::path& settings : {old.PrefsIni(), old.StepsIni()}) {
    if (IsFile(settings)) add(settings, places.config / settings.filename());
  }
  // A template that differs from the one shipped is the user's own.
  const fs::path userTemplate = Join(folder, kTemplateFileName);
  if (IsFile(userTemplate) && !SamePlace(folder, places.share) &&
      !SameBytes(userTemplate, Join(places.share, kTemplateFileName))) {
    add(userTemplate, Join(places.config, kTemplateFileName));
  }
  for (std::string_view name : {kProjectFolderName, kReleaseFolderName}) {
    const fs::path from = Join(folder, name);
    if (!IsFolder(from) || SamePlace(from, Join(places.data, name))) continue;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
      if (IsFile(it->path())) add(it->path(), places.data / it->path().lexically_relative(folder));
    }
  }
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsFile(it->path()) && IsGeneratedFile(it->path())) {
      add(it->path(), places.state / it->path().filename());
    }
  }
  if (earlier.files.empty()) return std::nullopt;
  return earlier;
}

namespace {

// The copies made so far, taken back when the move can't be finished.
class Copies {
 public:
  ~Copies() {
    if (kept_) return;
    std::error_code ec;
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) fs::remove(*it, ec);
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) fs::remove(*it, ec);
  }

  // Makes the folders up to `dir` that are not there yet.
  bool MakeFolder(const fs::path& dir, std::string& why) {
    std::vector<fs::path> missing;
    for (fs::path at = dir; !at.empty() && !Exists(at); at = at.parent_path()) {
      missing.push_back(at);
      if (at == at.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
      std::error_code ec;
      if (!fs::create_directory(*it, ec)) {
        why = PathText(*it) +
              " can't be made: " + (ec ? ec.message() : std::string("something is in the way"));
        return false;
      }
      folders_.push_back(*it);
    }
    return true;
  }

  bool Copy(const FileMove& move, std::string& why) {
    if (!MakeFolder(move.to.parent_path(), why)) return false;
    std::error_code ec;
    fs::copy_file(move.from, move.to, ec);
    if (ec) {
      why = "copying " + PathText(move.from) + " to " + PathText(move.to) +
            " failed: " + ec.message();
      return false;
    }
    files_.push_back(move.to);
    if (!SameBytes(move.from, move.to)) {
      why = "the copy " + PathText(move.to) + " does not match " + PathText(move.from);
      return false;
    }
    return true;
  }

  void Keep() { kept_ = true; }

 private:
  std::vector<fs::path> files_;
  std::vector<fs::path> folders_;
  bool kept_ = false;
};

std::string Refusal(const fs::path& folder, const std::string& why) {
  return "Voxmire found the settings and voice packs of an earlier installation in " +
         PathText(folder) + ", but could not move them into the folders it uses now: " + why +
         ".\rNothing was moved: they are all still there, and Voxmire tries again at its next "
         "start.";
}

}  // namespace

MoveReport MoveEarlierInstall(const EarlierInstall& earlier, const Places& places) {
  // A file already at the destination is in the way, unless it is the same:
  // then an earlier move got that far.
  std::vector<const FileMove*> toCopy;
  for (const FileMove& move : earlier.files) {
    if (!Exists(move.to)) {
      toCopy.push_back(&move);
    } else if (!SameBytes(move.from, move.to)) {
      return {false, Refusal(earlier.folder, PathText(move.to) +
                                                 " is there already and differs "
                                                 "from " +
                                                 PathText(move.from))};
    }
  }
  {
    Copies copies;
    for (const FileMove* move : toCopy) {
      std::string why;
      if (!copies.Copy(*move, why)) return {false, Refusal(earlier.folder, why)};
    }
    copies.Keep();
  }

  // Every file has a checked copy: the earlier ones can go.
  std::vector<std::string> stuck;
  std::vector<fs::path> emptied;
  for (const FileMove& move : earlier.files) {
    std::error_code ec;
    if (!fs::remove(move.from, ec) && ec) stuck.push_back(PathText(move.from));
    for (fs::path dir = move.from.parent_path(); IsUnder(dir, earlier.folder);
         dir = dir.parent_path()) {
      emptied.push_back(dir);
    }
  }
  // Folders left empty go too, the deepest first.
  std::sort(emptied.begin(), emptied.end(), [](const fs::path& a, const fs::path& b) {
    return std::distance(a.begin(), a.end()) > std::distance(b.begin(), b.end());
  });
  for (const fs::path& dir : emptied) {
    std::error_code ec;
    fs::remove(dir, ec);  // fails, as it should, while something is left in it
  }

  std::string text =
      "Voxmire now keeps its files where your desktop keeps them. What an "
      "earlier installation kept in " +
      PathText(earlier.folder) + " was moved:";
  const auto any = [&](const fs::path& base) {
    return std::any_of(earlier.files.begin(), earlier.files.end(),
                       [&](const FileMove& m) { return IsUnder(m.to, base); });
  };
  if (any(places.config)) text += "\r   settings: " + PathText(places.config);
  if (any(ProjectFolder(places))) text += "\r   voice packs: " + PathText(ProjectFolder(places));
  if (any(Join(places.data, kReleaseFolderName))) {
    text += "\r   release archives: " + PathText(Join(places.data, kReleaseFolderName));
  }
  if (any(places.state)) text += "\r   generated files and logs: " + PathText(places.state);
  if (!stuck.empty()) {
    text += "\rThese could not be removed from there, and their copies are in place:";
    for (const std::string& file : stuck) text += "\r   " + file;
  }
  return {true, text};
}

}  // namespace voxmire

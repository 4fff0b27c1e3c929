#include "output/Release.h"

#include <sys/stat.h>

#include <cstdio>
#include <system_error>

#include "core/Files.h"
#include "core/Text1252.h"
#include "output/Umod.h"
#include "output/Zip.h"

namespace voxmire {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPackageMark = "  -  The Script file";
constexpr std::string_view kIntFileMark = "  -  Your int file";

// One file of the pack, under its name in each archive.
struct Piece {
  std::string zipName;   // UTF-8, '/'
  std::string umodName;  // Windows-1252, '\'
  std::string bytes;
  std::time_t modified = 0;
};

// The pack's name becomes file names here and in the archives; the
// information page allows only letters, digits and underscores, and so do we.
bool IsPlainName(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    const bool ok =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::time_t Modified(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mtime : 0;
}

std::string CharacterName(unsigned char c) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", c);
  if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) return std::string("character ") + hex;
  return "\"" + std::string(1, static_cast<char>(c)) + "\"";
}

std::string JoinWithCr(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    if (!text.empty()) text += '\r';
    text += line;
  }
  return text;
}

// The readme as an archive member, or why it can't be one.
struct Readme {
  std::optional<Piece> piece;
  std::string refusal;      // why neither archive can carry it, if so
  std::string umodRefusal;  // why the umod can't carry it, if so
};

// The first character of a file name that would take its entry out of its
// folder when an archive is unpacked: a separator of either system (many
// extractors read "\" as one), a drive or stream colon, a control character.
std::optional<unsigned char> UnsafeInEntryName(std::string_view name) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '\\' || c == '/' || c == ':') return byte;
  }
  return std::nullopt;
}

Readme ReadReadme(const std::string& location, std::vector<std::string>& lines) {
  Readme readme;
  if (location.empty()) return readme;
  const fs::path path = FsPath(location);
  const auto bytes = ReadFileBytes(path);
  if (!bytes) {
    lines.push_back("The readme file " + location +
                    " could not be read; the release files were made without it.");
    return readme;
  }
  const std::u8string u8 = path.filename().u8string();
  const std::string utf8(u8.begin(), u8.end());
  readme.piece = Piece{"Help/" + utf8, {}, *bytes, Modified(path)};
  const std::string cp1252 = Utf8ToCp1252(utf8);
  if (const auto bad = UnsafeInEntryName(utf8)) {
    readme.refusal =
        "the readme's file name holds " + CharacterName(*bad) + "; rename the file without it";
  } else if (!FitsCp1252(utf8)) {
    readme.umodRefusal = "the readme's file name has characters outside Windows-1252";
  } else if (const auto bad = UnfitForEntryName(cp1252)) {
    readme.umodRefusal =
        "the readme's file name holds " + CharacterName(*bad) + "; rename the file without it";
  } else {
    readme.piece->umodName = "Help\\" + cp1252;
  }
  return readme;
}

// Why the manifests can't be written, or nothing.
std::string ManifestRefusal(const UmodManifest& manifest) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"the author name", &manifest.developer},
      {"the author URL", &manifest.developerUrl},
      {"the product URL", &manifest.productUrl},
  };
  for (const auto& [what, text] : fields) {
    if (const auto bad = UnfitForManifest(*text)) {
      return std::string(what) + " holds " + CharacterName(*bad) +
             ", which the game's installer can't take";
    }
  }
  return {};
}

std::optional<std::string> UmodBytes(const ProjectState& state, const std::vector<Piece>& pieces,
                                     std::string& refusal) {
  UmodManifest manifest;
  manifest.product = state.VoicePackName;
  manifest.productUrl = state.ProductURL;
  manifest.developer = state.AuthorName;
  manifest.developerUrl = state.AuthorURL;
  for (const auto& piece : pieces) {
    manifest.files.emplace_back(piece.umodName, piece.bytes.size());
    if (piece.zipName.starts_with("Help/")) manifest.readme = piece.umodName;
  }
  refusal = ManifestRefusal(manifest);
  if (!refusal.empty()) return std::nullopt;

  const std::string manifestInt = ManifestInt(manifest);
  std::vector<UmodEntry> entries{
      {std::string(kManifestIniName), ManifestIni(manifest, manifestInt.size()),
       kUmodManifestFlags},
      {std::string(kManifestIntName), manifestInt, kUmodManifestFlags},
  };
  for (const auto& piece : pieces) entries.push_back({piece.umodName, piece.bytes, 0});
  auto bytes = BuildUmod(entries);
  if (!bytes) refusal = "the files are too large for the format (4 GB at most)";
  return bytes;
}

}  // namespace

ReleaseOutcome WriteReleaseFiles(const ProjectState& state, const Places& places,
                                 const fs::path& compiledPackage, const fs::path& installedInt) {
  ReleaseOutcome outcome;
  const std::string& name = state.VoicePackName;
  if (!IsPlainName(name)) {
    outcome.error = "No release files were made: \"" + name + "\" can't name a file.";
    return outcome;
  }

  std::vector<Piece> pieces;
  for (const auto& [path, ext] : {std::pair{compiledPackage, ".u"}, {installedInt, ".int"}}) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) {
      outcome.error = "Could not read " + PathText(path) + "; no release files were made.";
      return outcome;
    }
    pieces.push_back(
        {"System/" + name + ext, "System\\" + name + ext, std::move(*bytes), Modified(path)});
  }
  Readme readme = ReadReadme(state.ReadmeLocation, outcome.lines);
  if (readme.piece) pieces.push_back(std::move(*readme.piece));

  const fs::path folder = places.data / kReleaseFolderName;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder)) {
    outcome.error = "The folder " + PathText(folder) + " could not be made" +
                    (ec ? ": " + ec.message() : std::string()) + ". No release files were made.";
    return outcome;
  }

  std::vector<std::string> errors;
  const auto write = [&](const fs::path& file, const std::string& bytes, const char* what) {
    if (WriteFileAtomic(file, bytes)) {
      outcome.lines.push_back(PathText(file) + "  -  " + what);
    } else {
      errors.push_back("Could not write " + PathText(file.filename()) + " in the folder " +
                       PathText(folder) + ".");
    }
  };

  std::vector<ZipMember> members;
  for (const auto& piece : pieces) members.push_back({piece.zipName, piece.bytes, piece.modified});
  std::string zipError;
  if (!readme.refusal.empty()) {
    errors.push_back(name + ".zip was not made: " + readme.refusal + ".");
  } else if (const auto zip = BuildZip(members, zipError)) {
    write(Join(folder, name + ".zip"), *zip, "To share: unzips into the game folder");
  } else {
    errors.push_back("Could not make " + name + ".zip: " + zipError + ".");
  }

  const fs::path umodFile = Join(folder, name + ".umod");
  if (state.GenerateUmod) {
    std::string refusal = !readme.refusal.empty() ? readme.refusal : readme.umodRefusal;
    std::optional<std::string> umod;
    if (refusal.empty()) umod = UmodBytes(state, pieces, refusal);
    if (umod) {
      write(umodFile, *umod, "To share: the game's installer");
    } else {
      errors.push_back(name + ".umod was not made: " + refusal + ".");
    }
  } else if (fs::exists(umodFile, ec)) {
    // Left alone, as the user may want it, but it must not pass for this build.
    outcome.lines.push_back(PathText(umodFile) +
                            " is left from an earlier compile: it doesn't hold this build");
  }

  outcome.error = JoinWithCr(errors);
  return outcome;
}

std::optional<CompiledFiles> CompiledFilesFromReport(std::string_view report) {
  std::optional<fs::path> package, intFile;
  std::size_t start = 0;
  while (start <= report.size()) {
    std::size_t end = report.find('\r', start);
    if (end == std::string_view::npos) end = report.size();
    const std::string_view line = report.substr(start, end - start);
    for (auto [mark, found] : {std::pair{kPackageMark, &package}, {kIntFileMark, &intFile}}) {
      if (line.size() > mark.size() && line.ends_with(mark) && !*found) {
        *found = FsPath(line.substr(0, line.size() - mark.size()));
      }
    }
    start = end + 1;
  }
  if (!package || !intFile) return std::nullopt;
  return CompiledFiles{*package, *intFile};
}

ReleaseOutcome WriteReleaseAfterCompile(const ProjectState& state, const Places& places,
                                        std::string_view report) {
  const auto files = CompiledFilesFromReport(report);
  if (!files) {
    return {{}, "The compile's report names no compiled package; no release files were made."};
  }
  return WriteReleaseFiles(state, places, files->package, files->intFile);
}

}  // namespace voxmire

#pragma once
// The files a compiled pack is shared as, made in the program's Release
// folder after every successful compile: <Name>.zip, laid out like the
// game's folder, and on request <Name>.umod, the game's own installer.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Places.h"
#include "project/ProjectState.h"

namespace voxmire {

inline constexpr std::string_view kReleaseFolderName = "Release";

struct ReleaseOutcome {
  // For the compile report: one line per file written, and what was left
  // out. Windows-1252.
  std::vector<std::string> lines;
  // What could not be done, for a critical message (lines separated by CR);
  // empty when everything asked for was written.
  std::string error;
};

// Writes Release/<Name>.zip and, when the pack asks for it, Release/<Name>.umod
// from the compiled package, the installed int file and the readme the
// information page names (left out, with a line saying so, when it can't be
// read). Each file replaces an earlier one only once it is complete.
ReleaseOutcome WriteReleaseFiles(const ProjectState& state, const Places& places,
                                 const std::filesystem::path& compiledPackage,
                                 const std::filesystem::path& installedInt);

// The compiled package and the installed int file that a successful
// compile's report names, or nothing when it names either not.
struct CompiledFiles {
  std::filesystem::path package;
  std::filesystem::path intFile;
};
std::optional<CompiledFiles> CompiledFilesFromReport(std::string_view report);

// The release files for a successful compile, found from its report.
ReleaseOutcome WriteReleaseAfterCompile(const ProjectState& state, const Places& places,
                                        std::string_view report);

}  // namespace voxmire

#pragma once
// File helpers shared by the core: paths built from 8-bit text, whole-file
// reads, atomic whole-file writes.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace voxmire {

// A path from Windows-1252 text (what ProjectState and the settings files
// hold). The file system's own names are UTF-8.
std::filesystem::path FsPath(std::string_view cp1252);

// The Windows-1252 text of a path, for ProjectState and the files we write.
std::string PathText(const std::filesystem::path& path);

// `dir` joined with `name` by the platform's separator.
std::filesystem::path Join(const std::filesystem::path& dir, std::string_view cp1252Name);

// Questions about a path that never throw: one that can't be answered (a
// folder that can't be searched, say) is a no.
bool IsFile(const std::filesystem::path& path);
bool IsFolder(const std::filesystem::path& path);
// Anything at all at `path`, a link that leads nowhere included.
bool Exists(const std::filesystem::path& path);

// The whole file as bytes, or nothing when it can't be read whole (`ec`
// then says why).
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::error_code& ec);
// The same into `bytes`, whose memory is used again: a reader of large files
// keeps one buffer rather than fresh pages for each (false: `ec` says why).
// `spare`: room for that many bytes more after the file's.
bool ReadFileInto(const std::filesystem::path& path, std::string& bytes, std::error_code& ec,
                  std::size_t spare = 0);

// Replaces the file's contents with `bytes`: written to a temporary file in
// the same directory and renamed over the target, so a crash never leaves
// half a file. Returns false (and leaves the target alone) on any failure.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                     std::error_code& ec);

// True when a new file can be made in the folder `dir`, found by making one
// that has no name (nothing is left behind). File permissions alone don't
// tell: root passes them all, a read-only disk or a locked folder doesn't.
bool CanCreateFilesIn(const std::filesystem::path& dir, std::error_code& ec);

// The temporary files beside `path` that a WriteFileAtomic of it left when
// the program was killed before the rename.
std::vector<std::filesystem::path> LeftoverTempFiles(const std::filesystem::path& path);

// The lines of a text file as a line-by-line reader sees them: split at
// CR LF, LF or CR; a last line without an ending still counts, and an empty
// file has no lines.
std::vector<std::string> SplitLines(std::string_view bytes);

}  // namespace voxmire

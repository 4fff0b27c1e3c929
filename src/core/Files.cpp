#include "Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "Text1252.h"

namespace voxmire {

namespace {

// A temporary file of WriteFileAtomic is named this and a number.
std::string TempPrefix(const std::filesystem::path& path) {
  return "." + path.filename().string() + ".tmp";
}

}  // namespace

std::filesystem::path FsPath(std::string_view cp1252) {
  const std::string utf8 = Cp1252ToUtf8(cp1252);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathText(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return Utf8ToCp1252(std::string(u8.begin(), u8.end()));
}

std::filesystem::path Join(const std::filesystem::path& dir, std::string_view cp1252Name) {
  return dir / FsPath(cp1252Name);
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
  std::error_code ec;
  return ReadFileBytes(path, ec);
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::error_code& ec) {
  std::string bytes;
  if (!ReadFileInto(path, bytes, ec)) return std::nullopt;
  return bytes;
}

bool ReadFileInto(const std::filesystem::path& path, std::string& bytes, std::error_code& ec,
                  std::size_t spare) {
  ec.clear();
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    ec.assign(errno, std::generic_category());
    return false;
  }
  // Room for it all where the size is known, so that megabytes aren't copied
  // as the text grows.
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    bytes.reserve(static_cast<std::size_t>(info.st_size) + spare);
  }
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) {
      bytes.append(chunk, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      // A read cut short must never pass for the whole file: a backup or a
      // restore of the game's settings would be made from it.
      ec.assign(errno, std::generic_category());
      ::close(fd);
      bytes.clear();
      return false;
    }
  }
  ::close(fd);
  return true;
}

bool IsFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

bool IsFolder(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

bool Exists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ec;
  return WriteFileAtomic(path, bytes, ec);
}

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                     std::error_code& ec) {
  ec.clear();
  const std::filesystem::path dir = path.parent_path().empty() ? "." : path.parent_path();
  std::random_device rd;
  const std::filesystem::path temp = dir / (TempPrefix(path) + std::to_string(rd() % 1000000));

  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    ec.assign(errno, std::generic_category());
    return false;
  }
  // Keep the permissions of the file we replace.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);

  auto fail = [&ec](int error) {
    if (!ec) ec.assign(error, std::generic_category());
  };
  std::size_t done = 0;
  while (!ec && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n >= 0) {
      done += static_cast<std::size_t>(n);
    } else if (errno != EINTR) {
      fail(errno);
    }
  }
  if (!ec && ::fsync(fd) != 0) fail(errno);
  if (::close(fd) != 0) fail(errno);
  if (!ec && std::rename(temp.c_str(), path.c_str()) != 0) fail(errno);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return false;
  }
  // The rename lives in the folder: sync it too, or a power cut can bring
  // back the old file (or none) although we reported the new one written.
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

bool CanCreateFilesIn(const std::filesystem::path& dir, std::error_code& ec) {
  ec.clear();
  int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) {
    // A file system without unnamed files: a named one, removed at once.
    std::random_device rd;
    const std::filesystem::path probe = dir / (".write-test" + std::to_string(rd() % 1000000));
    fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::unlink(probe.c_str());
  }
  if (fd < 0) {
    ec.assign(errno, std::generic_category());
    return false;
  }
  ::close(fd);
  return true;
}

std::vector<std::filesystem::path> LeftoverTempFiles(const std::filesystem::path& path) {
  const std::string prefix = TempPrefix(path);
  std::vector<std::filesystem::path> found;
  std::error_code ec;
  const std::filesystem::path dir = path.parent_path().empty() ? "." : path.parent_path();
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        name.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
      found.push_back(it->path());
    }
  }
  return found;
}

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(bytes.substr(start, i - start));
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      ++i;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

}  // namespace voxmire

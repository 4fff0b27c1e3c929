#include "project/PackLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "core/Files.h"
#include "project/ProjectFile.h"

namespace voxmire {
namespace fs = std::filesystem;

fs::path PackLockPath(const Places& places, std::string_view voicePackName) {
  return Join(ProjectFolder(places),
              "." + std::string(voicePackName) + std::string(kProjectExtension) + ".lock");
}

PackLock::PackLock(PackLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), file_(std::move(other.file_)) {}

PackLock& PackLock::operator=(PackLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    file_ = std::move(other.file_);
  }
  return *this;
}

PackLock::Outcome PackLock::Take(const fs::path& file) {
  Release();
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  // A holder that lets go removes the file: a lock taken on the file it
  // removed is no lock at all, so it counts only on the file that is there.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Outcome::Unsupported;
    int rc = 0;
    do {
      rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      const int error = errno;
      ::close(fd);
      return error == EWOULDBLOCK ? Outcome::Busy : Outcome::Unsupported;
    }
    struct stat held {};
    struct stat there {};
    if (::fstat(fd, &held) == 0 && ::stat(file.c_str(), &there) == 0 &&
        held.st_dev == there.st_dev && held.st_ino == there.st_ino) {
      fd_ = fd;
      file_ = file;
      return Outcome::Taken;
    }
    ::close(fd);
  }
  // Another copy keeps taking and dropping it: it is in use.
  return Outcome::Busy;
}

void PackLock::Release() {
  if (fd_ < 0) return;
  // Removed while still held, so nobody can take the lock on a file that is
  // about to be gone.
  ::unlink(file_.c_str());
  ::close(fd_);
  fd_ = -1;
  file_.clear();
}

}  // namespace voxmire

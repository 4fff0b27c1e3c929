#pragma once
// Folders that refuse writes for real, for the tests of what the user is
// told: a full disk and a folder that can't be written. File permissions
// don't stop root (and the tests run as root on CI), so both use a mount
// where they can: a small tmpfs, and a read-only bind mount. Where no mount
// is allowed, the process's file size limit stands in for a full disk, and
// permissions for a read-only folder.
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace voxmire::test {

// A tmpfs of 256 KiB mounted on `dir` (made when missing), unmounted again at
// the end; Mounted() says whether this process may mount at all.
class SmallDisk {
 public:
  explicit SmallDisk(std::filesystem::path dir) : dir_(std::move(dir)) {
    std::filesystem::create_directories(dir_);
    mounted_ = ::mount("voxmire-test", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                       "size=256k,mode=0755") == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  // Writes a filler file until the disk has no room left; true when it is full.
  bool Fill() {
    std::ofstream filler(Filler(), std::ios::binary);
    const std::string block(4096, 'x');
    for (int i = 0; i < 1024 && filler.write(block.data(), block.size()); ++i) {
      filler.flush();
    }
    return !filler;
  }
  // The room comes back.
  void Free() {
    std::error_code ec;
    std::filesystem::remove(Filler(), ec);
  }

 private:
  std::filesystem::path Filler() const { return dir_ / ".filler"; }
  std::filesystem::path dir_;
  bool mounted_ = false;
};

// While it lives, no file of this process grows past `bytes`: writes beyond
// fail (EFBIG) instead of raising SIGXFSZ. It binds root too.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*oldHandler_)(int);
};

// `dir` can't be written while this lives: a read-only bind mount of itself
// for root, its write permissions taken away for anyone else. Ok() is false
// when neither could be done.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::filesystem::path dir) : dir_(std::move(dir)) {
    if (::geteuid() != 0) {
      std::error_code ec;
      std::filesystem::permissions(dir_,
                                   std::filesystem::perms::owner_write |
                                       std::filesystem::perms::group_write |
                                       std::filesystem::perms::others_write,
                                   std::filesystem::perm_options::remove, ec);
      byPermissions_ = !ec;
      return;
    }
    if (::mount(dir_.c_str(), dir_.c_str(), nullptr, MS_BIND, nullptr) != 0) return;
    mounted_ = true;
    readOnly_ =
        ::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
  }
  ~ReadOnlyFolder() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    if (byPermissions_) {
      std::error_code ec;
      std::filesystem::permissions(dir_, std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  bool Ok() const { return readOnly_ || byPermissions_; }

 private:
  std::filesystem::path dir_;
  bool mounted_ = false;
  bool readOnly_ = false;
  bool byPermissions_ = false;
};

}  // namespace voxmire::test

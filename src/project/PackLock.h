#pragma once
// One copy of the program at a time works on a pack. Two copies saving the
// same project file would each write their own tables over the other's, so
// the copy that has a pack open holds a lock beside its project file
// (Packs/.<Name>.voxmire.lock). The kernel drops the lock when the program
// ends, however it ends, so a crash never leaves a pack shut.
//
// The lock is on a file of its own rather than on the project file itself:
// every save replaces the project file by a rename, and a lock would stay
// behind on the file that was replaced.
#include <filesystem>
#include <string_view>

#include "core/Places.h"

namespace voxmire {

// Packs/.<name>.voxmire.lock, beside the project file.
std::filesystem::path PackLockPath(const Places& places, std::string_view voicePackName);

class PackLock {
 public:
  enum class Outcome {
    Taken,        // this lock holds the pack now
    Busy,         // another copy of the program has it open
    Unsupported,  // no lock can be made there (a folder that can't be written, a file system
                  // without locks): nothing to guard against, and saving says what is wrong
  };

  PackLock() = default;
  PackLock(const PackLock&) = delete;
  PackLock& operator=(const PackLock&) = delete;
  PackLock(PackLock&& other) noexcept;
  PackLock& operator=(PackLock&& other) noexcept;
  ~PackLock() { Release(); }

  // Takes the lock file `file` (made, with its folder, when missing). Any
  // lock this object held before is released first. Never waits.
  Outcome Take(const std::filesystem::path& file);
  // Gives the lock up and removes its file.
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  std::filesystem::path file_;
};

}  // namespace voxmire

#pragma once
// Reads the game's package files (.uax, .u, ...): the header, the name,
// import and export tables, and on demand the data of one Sound object,
// which is the .wav file the game imported, kept whole.
//
// Every count and offset in a package is checked against the file before it
// is used: a truncated, corrupted or foreign file gives an error text, never
// a read outside the file or an allocation larger than the file.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace voxmire {

// Where a package's bytes come from: a file on disk or bytes in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Copies `n` bytes from `offset` into `out`; false unless all are there.
  virtual bool ReadAt(std::uint64_t offset, char* out, std::size_t n) = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, char* out, std::size_t n) override;

 private:
  std::string_view bytes_;
};

// Reads a file in pages, so that the tables at either end of a large
// package cost a few reads rather than the whole file.
class FileSource : public ByteSource {
 public:
  explicit FileSource(const std::filesystem::path& path);
  ~FileSource() override;
  bool IsOpen() const;
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, char* out, std::size_t n) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::uint64_t size_ = 0;
};

// One exported object of a package.
struct PackageObject {
  std::string ClassName;  // "Sound", "Package", "Texture", ...
  std::string Group;      // the groups it sits in, outermost first, joined by '.'; empty at the top
  std::string Name;
  std::uint32_t Flags = 0;
  std::int64_t SerialSize = 0;
  std::int64_t SerialOffset = 0;

  bool IsSound() const;
};

struct PackageIndex {
  int Version = 0;
  std::vector<std::string> Names;
  std::vector<PackageObject> Objects;
  std::string Error;  // why the file can't be read; empty when it could

  bool Ok() const { return Error.empty(); }
};

// The package versions of the game and its patches.
inline constexpr int kOldestPackageVersion = 61;
inline constexpr int kNewestPackageVersion = 69;

PackageIndex ReadPackageIndex(ByteSource& source);
PackageIndex ReadPackageIndexFile(const std::filesystem::path& path);

struct SoundData {
  std::string Format;  // the imported file's type, "wav" for every sound the game imports
  std::string Bytes;   // the imported file whole; empty in packages stripped of sound data
  std::string Error;   // why it can't be read; empty when it could

  bool Ok() const { return Error.empty(); }
};

// The data of `object`, one of `index`'s Sound objects, from the same source.
SoundData ReadSoundData(ByteSource& source, const PackageIndex& index, const PackageObject& object);

}  // namespace voxmire

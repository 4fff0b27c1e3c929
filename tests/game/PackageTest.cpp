#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>

#include "core/Files.h"
#include "game/Package.h"
#include "game/PackageBuilder.h"
#include "game/WavHeader.h"
#include "sounds/TempDir.h"

// The largest single allocation while a watch is on: the package reader
// promises none out of proportion to the file, whatever its counts claim.
// (Replacing the global operators is the one way to see every allocation;
// they stay plain malloc and free, which AddressSanitizer checks as well.)
#pragma GCC diagnostic push
// The compiler takes these for the library's own and warns at free().
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace allocation_watch {
thread_local bool on = false;
thread_local std::size_t largest = 0;
}  // namespace allocation_watch

void* operator new(std::size_t n) {
  if (allocation_watch::on && n > allocation_watch::largest) allocation_watch::largest = n;
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return ::operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept {
  return ::operator new(n, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace voxmire {
namespace {

const std::filesystem::path kFixtures = std::filesystem::path(VOXMIRE_SHARED_DIR) / "ut99/packages";

struct ManifestSound {
  std::string group;
  testing::WavFormat format;
};

// Package -> sound name -> what the game's compiler imported.
std::map<std::string, std::map<std::string, ManifestSound>> Manifest() {
  std::ifstream file(kFixtures / "manifest.json");
  const nlohmann::json json = nlohmann::json::parse(file);
  std::map<std::string, std::map<std::string, ManifestSound>> manifest;
  for (const auto& [package, sounds] : json.at("packages").items()) {
    for (const auto& s : sounds) {
      manifest[package][s.at("name").get<std::string>()] = {
          s.at("group").get<std::string>(),
          {s.at("channels").get<int>(), s.at("rate").get<int>(), s.at("bits").get<int>(),
           s.at("frames").get<std::uint32_t>()}};
    }
  }
  return manifest;
}

std::string Fixture(const std::string& package) {
  return ReadFileBytes(kFixtures / (package + ".uax")).value();
}

TEST(PackageTest, EveryFixtureSoundIsFoundWithItsGroupAndDataAsImported) {
  const auto manifest = Manifest();
  ASSERT_EQ(manifest.size(), 6u);
  for (const auto& [package, sounds] : manifest) {
    SCOPED_TRACE(package);
    FileSource source(kFixtures / (package + ".uax"));
    const PackageIndex index = ReadPackageIndex(source);
    ASSERT_TRUE(index.Ok()) << index.Error;
    std::set<std::string> seen;
    for (const PackageObject& object : index.Objects) {
      if (!object.IsSound()) continue;
      SCOPED_TRACE(object.Name);
      const auto expected = sounds.find(object.Name);
      ASSERT_NE(expected, sounds.end());
      EXPECT_EQ(object.Group, expected->second.group);
      seen.insert(object.Name);
      const SoundData data = ReadSoundData(source, index, object);
      ASSERT_TRUE(data.Ok()) << data.Error;
      EXPECT_EQ(data.Format, "wav");
      EXPECT_EQ(testing::ParseWav(data.Bytes), expected->second.format);
    }
    EXPECT_EQ(seen.size(), sounds.size());
  }
}

// The same package read from memory and from a file gives the same sounds,
// whatever page a sound's data starts or ends on.
TEST(PackageTest, FileAndMemoryReadTheSame) {
  const std::string bytes = Fixture("Female2Voice");
  MemorySource memory(bytes);
  FileSource file(kFixtures / "Female2Voice.uax");
  const PackageIndex a = ReadPackageIndex(memory);
  const PackageIndex b = ReadPackageIndex(file);
  ASSERT_TRUE(a.Ok() && b.Ok());
  ASSERT_EQ(a.Objects.size(), b.Objects.size());
  for (std::size_t i = 0; i < a.Objects.size(); ++i) {
    if (!a.Objects[i].IsSound()) continue;
    EXPECT_EQ(ReadSoundData(memory, a, a.Objects[i]).Bytes,
              ReadSoundData(file, b, b.Objects[i]).Bytes);
  }
}

TEST(PackageTest, BuiltPackagesOfEveryVersionRead) {
  const std::string wav = "RIFF....WAVEdata";
  const std::vector<testing::BuiltSound> sounds = {
      {"", "Top", "abc", false},
      {"A.B", "Deep", wav, true},
      {"A", "Stripped", "", false},
  };
  for (int version = kOldestPackageVersion; version <= kNewestPackageVersion; ++version) {
    SCOPED_TRACE(version);
    const std::string bytes = testing::BuildPackage(version, sounds);
    MemorySource source(bytes);
    const PackageIndex index = ReadPackageIndex(source);
    ASSERT_TRUE(index.Ok()) << index.Error;
    std::map<std::string, std::pair<std::string, std::string>> found;  // name -> group, data
    for (const PackageObject& object : index.Objects) {
      if (!object.IsSound()) continue;
      const SoundData data = ReadSoundData(source, index, object);
      ASSERT_TRUE(data.Ok()) << data.Error;
      found[object.Name] = {object.Group, data.Bytes};
    }
    const std::map<std::string, std::pair<std::string, std::string>> expected = {
        {"Top", {"", "abc"}}, {"Deep", {"A.B", wav}}, {"Stripped", {"A", ""}}};
    EXPECT_EQ(found, expected);
  }
}

// The bytes in a heap block of exactly their size, so that AddressSanitizer
// sees a read one byte past the end (a std::string keeps a NUL there), and
// every read that succeeds checked against the end in any build.
class ExactSource final : public ByteSource {
 public:
  explicit ExactSource(std::string_view bytes)
      : size_(bytes.size()), block_(new char[bytes.size()]), inner_({block_.get(), size_}) {
    std::copy(bytes.begin(), bytes.end(), block_.get());
  }
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, char* out, std::size_t n) override {
    if (!inner_.ReadAt(offset, out, n)) return false;
    if (offset > size_ || n > size_ - offset) pastEnd = true;
    return true;
  }
  bool pastEnd = false;

 private:
  std::size_t size_;
  std::unique_ptr<char[]> block_;
  MemorySource inner_;
};

// Everything a reader of the package would read, watched.
struct WatchedReading {
  PackageIndex index;
  std::vector<SoundData> sounds;
  bool readPastEnd = false;
  std::size_t largestAllocation = 0;

  bool AnyError() const {
    return !index.Ok() ||
           std::any_of(sounds.begin(), sounds.end(), [](const SoundData& d) { return !d.Ok(); });
  }
  // Every failure names its cause: an empty text would reach the user as a blank.
  bool EveryErrorSaysWhy() const {
    return (index.Ok() || !index.Error.empty()) &&
           std::all_of(sounds.begin(), sounds.end(),
                       [](const SoundData& d) { return d.Ok() || !d.Error.empty(); });
  }
  // No table entry or sound takes more memory than a few times the bytes it
  // takes in the file (an object's entry is 12 bytes at least, and under
  // 128 in memory), so nothing a count claims can ask for more.
  bool AllocationsFit(std::size_t fileSize) const {
    return largestAllocation <= 16 * fileSize + 1024;
  }
};

WatchedReading ReadWatched(std::string_view bytes) {
  ExactSource source(bytes);
  WatchedReading reading;
  allocation_watch::largest = 0;
  allocation_watch::on = true;
  reading.index = ReadPackageIndex(source);
  if (reading.index.Ok()) {
    for (const PackageObject& object : reading.index.Objects) {
      if (object.IsSound()) reading.sounds.push_back(ReadSoundData(source, reading.index, object));
    }
  }
  allocation_watch::on = false;
  reading.largestAllocation = allocation_watch::largest;
  reading.readPastEnd = source.pastEnd;
  return reading;
}

std::uint32_t LittleEndianAt(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

void ExpectRefused(const std::string& bytes, const std::string& why) {
  MemorySource source(bytes);
  const PackageIndex index = ReadPackageIndex(source);
  EXPECT_FALSE(index.Ok()) << why;
}

TEST(PackageTest, DamagedOrForeignFilesAreRefused) {
  const std::string good = Fixture("MixedSounds");
  const auto patched = [&](std::size_t at, std::string bytes) {
    std::string copy = good;
    copy.replace(at, bytes.size(), bytes);
    return copy;
  };
  ExpectRefused("", "empty");
  ExpectRefused(patched(0, "RIFF"), "wrong signature");
  ExpectRefused(patched(4, std::string("\x3C\x00", 2)), "version 60");
  ExpectRefused(patched(4, std::string("\x46\x00", 2)), "version 70");
  ExpectRefused(patched(12, testing::Int32(0x7FFFFFFF)), "name count beyond the file");
  ExpectRefused(patched(20, testing::Int32(0xFFFFFFFF)), "negative export count");
  ExpectRefused(patched(24, testing::Int32(static_cast<std::uint32_t>(good.size()))),
                "export table after the end");
  ExpectRefused(patched(28, testing::Int32(0x10000000)), "import count beyond the file");
  for (std::size_t cut : {std::size_t{10}, std::size_t{40}, std::size_t{200}, good.size() - 1}) {
    ExpectRefused(good.substr(0, cut), "cut at " + std::to_string(cut));
  }
}

// A sound whose data lies past the end, or whose data count claims more
// than the object holds, is an error on reading that sound only.
TEST(PackageTest, DamagedSoundDataIsAnErrorNotARead) {
  const std::string bytes = testing::BuildPackage(69, {{"G", "S", std::string(100, 'x'), false}});
  MemorySource source(bytes);
  PackageIndex index = ReadPackageIndex(source);
  ASSERT_TRUE(index.Ok());
  PackageObject& sound = index.Objects.back();
  ASSERT_TRUE(sound.IsSound());
  PackageObject beyond = sound;
  beyond.SerialOffset = static_cast<std::int64_t>(bytes.size()) - 10;
  EXPECT_FALSE(ReadSoundData(source, index, beyond).Ok());
  PackageObject shortened = sound;
  shortened.SerialSize -= 1;  // the count now claims one byte too many
  EXPECT_FALSE(ReadSoundData(source, index, shortened).Ok());
  // The data count sits after None, the format and the end offset.
  std::string copy = bytes;
  copy[static_cast<std::size_t>(sound.SerialOffset) + 6] = '\x7F';  // -63 as a count
  MemorySource negative(copy);
  EXPECT_FALSE(ReadSoundData(negative, index, sound).Ok());

  // A sound stripped of its data whose count lies just past the object: the
  // byte after it (the next object's) is no count of this one.
  const std::string stripped =
      testing::BuildPackage(69, {{"", "S", "", false}, {"", "T", "", false}});
  MemorySource strippedSource(stripped);
  const PackageIndex strippedIndex = ReadPackageIndex(strippedSource);
  ASSERT_TRUE(strippedIndex.Ok());
  PackageObject cut = strippedIndex.Objects.front();
  ASSERT_TRUE(cut.IsSound() && ReadSoundData(strippedSource, strippedIndex, cut).Ok());
  cut.SerialSize -= 1;
  EXPECT_FALSE(ReadSoundData(strippedSource, strippedIndex, cut).Ok());
}

// Every single flipped byte and every cut of a real package: reading never
// reads past the file's end nor allocates more than its size allows (the
// sanitizer build checks every byte read too), and a failure always says why.
TEST(PackageTest, EveryFlipAndCutIsHandled) {
  const std::string good = Fixture("MixedSounds");
  std::size_t failures = 0;
  for (std::size_t at = 0; at < good.size(); ++at) {
    std::string flipped = good;
    flipped[at] = static_cast<char>(~flipped[at]);
    for (const std::string& bytes : {flipped, good.substr(0, at)}) {
      const WatchedReading reading = ReadWatched(bytes);
      const std::string where =
          (bytes.size() < good.size() ? "cut at " : "flip at ") + std::to_string(at);
      ASSERT_TRUE(reading.EveryErrorSaysWhy()) << where;
      ASSERT_FALSE(reading.readPastEnd) << where;
      ASSERT_TRUE(reading.AllocationsFit(bytes.size()))
          << where << ": " << reading.largestAllocation << " bytes at once";
      failures += reading.AnyError();
    }
  }
  // Every cut fails; so do most flips.
  EXPECT_GT(failures, good.size());
}

// Indexes and counts just past their limits: a name index equal to the name
// count (in either table or in a sound), a name length near 2^31, a data
// count larger than its object. Each is an error, with nothing read or
// allocated past what the file holds.
TEST(PackageTest, IndexesAndCountsJustPastTheirLimitsAreErrors) {
  const std::string good = testing::BuildPackage(69, {{"", "S", std::string(100, 'x'), false}});
  const WatchedReading fine = ReadWatched(good);
  ASSERT_TRUE(fine.index.Ok() && fine.sounds.size() == 1 && fine.sounds[0].Ok());
  const std::size_t names = LittleEndianAt(good, 12), nameTable = LittleEndianAt(good, 16),
                    exportTable = LittleEndianAt(good, 24), importTable = LittleEndianAt(good, 32);
  ASSERT_EQ(names, fine.index.Names.size());
  ASSERT_LT(names, 64u);  // one byte as a compact index
  const auto sound = static_cast<std::size_t>(fine.index.Objects.back().SerialOffset);
  const auto patched = [&](std::size_t at, std::size_t length, const std::string& bytes) {
    std::string copy = good;
    return copy.replace(at, length, bytes);
  };
  const std::string pastNames = testing::CompactIndex(static_cast<std::int32_t>(names));
  const struct {
    const char* what;
    std::string bytes;
    bool indexFails;
  } cases[] = {
      // An export: class, super, outer (4 bytes), then its name.
      {"an object's name", patched(exportTable + 6, 1, pastNames), true},
      // An import: class package, class name, outer (4 bytes), object name.
      {"an import's class package", patched(importTable, 1, pastNames), true},
      {"an import's class name", patched(importTable + 1, 1, pastNames), true},
      {"an import's object name", patched(importTable + 6, 1, pastNames), true},
      {"a name's length", patched(nameTable, 1, testing::CompactIndex(0x7FFFFFF0)), true},
      // The sound: a property name (None), the format, the data's end, the count.
      {"a sound's property", patched(sound, 1, pastNames), false},
      {"a sound's format", patched(sound + 1, 1, pastNames), false},
      // Five bytes of count over the two written and three of the data: the
      // file keeps its size and its tables their places.
      {"a sound's data count", patched(sound + 6, 5, testing::CompactIndex(0x3FFFFFFF)), false},
      {"a data count one past its object", patched(sound + 6, 2, testing::CompactIndex(101)),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const WatchedReading reading = ReadWatched(c.bytes);
    EXPECT_EQ(!reading.index.Ok(), c.indexFails) << reading.index.Error;
    EXPECT_TRUE(reading.AnyError());
    EXPECT_TRUE(reading.EveryErrorSaysWhy());
    EXPECT_FALSE(reading.readPastEnd);
    EXPECT_TRUE(reading.AllocationsFit(c.bytes.size())) << reading.largestAllocation;
  }
}

// Both sources give every byte up to the end and not one past it.
TEST(PackageTest, SourcesReadUpToTheEndAndNoFurther) {
  const testing::TempDir temp;
  const std::string bytes = "0123456789";
  const auto file = temp.Write("ten.bin", bytes);
  MemorySource memory(bytes);
  FileSource disk(file);
  ASSERT_TRUE(disk.IsOpen());
  for (ByteSource* source : {static_cast<ByteSource*>(&memory), static_cast<ByteSource*>(&disk)}) {
    EXPECT_EQ(source->Size(), 10u);
    char out[16] = {};
    EXPECT_TRUE(source->ReadAt(0, out, 10));
    EXPECT_EQ(std::string(out, 10), bytes);
    EXPECT_TRUE(source->ReadAt(9, out, 1));
    EXPECT_EQ(out[0], '9');
    EXPECT_TRUE(source->ReadAt(10, out, 0));
    EXPECT_FALSE(source->ReadAt(9, out, 2));
    EXPECT_FALSE(source->ReadAt(10, out, 1));
    EXPECT_FALSE(source->ReadAt(11, out, 0));
    EXPECT_FALSE(source->ReadAt(~std::uint64_t{0}, out, 2));
    EXPECT_FALSE(source->ReadAt(1, out, ~std::size_t{0}));
  }
}

TEST(PackageTest, MissingFileIsAnError) {
  const testing::TempDir temp;
  EXPECT_FALSE(ReadPackageIndexFile(temp.path / "Nothing.uax").Ok());
  EXPECT_FALSE(ReadPackageIndexFile(temp.path).Ok());  // a folder
}

}  // namespace
}  // namespace voxmire

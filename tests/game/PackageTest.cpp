#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>

#include "core/Files.h"
#include "game/Package.h"
#include "game/PackageBuilder.h"
#include "game/WavHeader.h"
#include "sounds/TempDir.h"

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
}

// Every single flipped byte and every cut of a real package: reading never
// crashes or reads outside (the sanitizer build checks that), and a failure
// always says why.
TEST(PackageTest, EveryFlipAndCutIsHandled) {
  const std::string good = Fixture("MixedSounds");
  const auto readAll = [](const std::string& bytes) {
    MemorySource source(bytes);
    const PackageIndex index = ReadPackageIndex(source);
    if (!index.Ok()) return !index.Error.empty();
    for (const PackageObject& object : index.Objects) {
      if (!object.IsSound()) continue;
      const SoundData data = ReadSoundData(source, index, object);
      if (!data.Ok() && data.Error.empty()) return false;
    }
    return true;
  };
  for (std::size_t at = 0; at < good.size(); ++at) {
    std::string flipped = good;
    flipped[at] = static_cast<char>(~flipped[at]);
    ASSERT_TRUE(readAll(flipped)) << "flip at " << at;
    ASSERT_TRUE(readAll(good.substr(0, at))) << "cut at " << at;
  }
}

TEST(PackageTest, MissingFileIsAnError) {
  const testing::TempDir temp;
  EXPECT_FALSE(ReadPackageIndexFile(temp.path / "Nothing.uax").Ok());
  EXPECT_FALSE(ReadPackageIndexFile(temp.path).Ok());  // a folder
}

}  // namespace
}  // namespace voxmire

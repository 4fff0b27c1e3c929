#include <gtest/gtest.h>

#include <limits>

#include "output/Umod.h"
#include "support/UmodReader.h"

namespace voxmire {
namespace {

using test::ReadCompactIndex;
using test::ReadUmod;

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

TEST(MemCrc, MatchesTheEnginesCrcAndContinuesAcrossCalls) {
  EXPECT_EQ(MemCrc("123456789"), 0xFC891918u);
  EXPECT_EQ(MemCrc(""), 0u);
  const std::string bytes = "\x00\xFF\x80 voice pack\r\n" + std::string(300, '\x9C');
  EXPECT_EQ(MemCrc(bytes), test::BitwiseCrc(bytes));
  EXPECT_EQ(MemCrc(bytes.substr(7), MemCrc(bytes.substr(0, 7))), MemCrc(bytes));
}

TEST(CompactIndex, EncodesLikeTheEngineAndReadsBack) {
  const std::pair<std::int32_t, const char*> vectors[] = {
      {0, "00"},
      {63, "3F"},
      {64, "40 01"},
      {-1, "81"},
      {-64, "C0 01"},
      {8191, "7F 7F"},
      {8192, "40 80 01"},
      {std::numeric_limits<std::int32_t>::max(), "7F FF FF FF 0F"},
      {std::numeric_limits<std::int32_t>::min(), "C0 80 80 80 10"},
  };
  for (const auto& [value, hex] : vectors) {
    std::string bytes;
    AppendCompactIndex(bytes, value);
    EXPECT_EQ(Hex(bytes), hex) << value;
    std::size_t pos = 0;
    EXPECT_EQ(ReadCompactIndex(bytes, pos), value);
    EXPECT_EQ(pos, bytes.size());
  }
}

TEST(FString, CountsTheClosingNulAndRefusesEmbeddedNuls) {
  std::string bytes;
  ASSERT_TRUE(AppendFString(bytes, "System\\MyPack.u"));
  EXPECT_EQ(bytes, std::string("\x10System\\MyPack.u\0", 17));

  bytes = "kept";
  EXPECT_FALSE(AppendFString(bytes, std::string("a\0b", 3)));
  EXPECT_EQ(bytes, "kept");
}

TEST(BuildUmod, ReadsBackWithManyEntriesAndLongNames) {
  std::vector<UmodEntry> entries;
  for (int i = 0; i < 70; ++i) {
    std::string name = "Sounds\\file" + std::to_string(i);
    if (i == 65) name = "Help\\" + std::string(80, 'n') + ".txt";
    // Empty files and binary bytes too; offsets come from the directory.
    std::string bytes(static_cast<std::size_t>(i * 3), static_cast<char>(i * 37));
    entries.push_back({name, bytes, i < 2 ? kUmodManifestFlags : 0});
  }
  const auto umod = BuildUmod(entries);
  ASSERT_TRUE(umod);
  const auto reading = ReadUmod(*umod);
  ASSERT_EQ(reading.problem, "");
  ASSERT_EQ(reading.files.size(), entries.size());
  std::uint32_t expectedOffset = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(reading.files[i].name, entries[i].name);
    EXPECT_EQ(reading.files[i].bytes, entries[i].bytes) << entries[i].name;
    EXPECT_EQ(reading.files[i].flags, entries[i].flags);
    EXPECT_EQ(reading.files[i].offset, expectedOffset);
    expectedOffset += reading.files[i].size;
  }

  // A flipped payload byte must show in the CRC.
  std::string damaged = *umod;
  damaged[5] ^= 1;
  EXPECT_EQ(ReadUmod(damaged).problem, "bad CRC");

  EXPECT_EQ(ReadUmod(*BuildUmod({})).files.size(), 0u);
  EXPECT_FALSE(BuildUmod({{"", "x", 0}}));
  EXPECT_FALSE(BuildUmod({{std::string("a\0b", 3), "x", 0}}));
}

TEST(Manifests, ListEveryFileWithItsSizeAndTheIniItsOwn) {
  UmodManifest manifest{
      "MyPack",
      "http://pack.example",
      "Jane Doe",
      "http://jane.example",
      "Help\\MyPack.txt",
      {{"System\\MyPack.u", 123456}, {"System\\MyPack.int", 98}, {"Help\\MyPack.txt", 7}}};
  const std::string manifestInt = ManifestInt(manifest);
  for (const char* line : {"[Setup]\r\nLocalProduct=MyPack\r\nReadMe=Help\\MyPack.txt\r\n",
                           "SetupWindowTitle=MyPack Setup\r\nProductURL=http://pack.example\r\n"
                           "Developer=Jane Doe\r\nDeveloperURL=http://jane.example\r\n",
                           "[SetupGroup]\r\nCaption=MyPack\r\nDescription=Voice pack\r\n"}) {
    EXPECT_NE(manifestInt.find(line), std::string::npos) << line;
  }

  // Files of every size around a change in the number of digits: the size
  // the ini gives itself must be its true size.
  for (std::uint64_t intSize = 1; intSize < 2000; intSize += 7) {
    const std::string ini = ManifestIni(manifest, intSize);
    const std::string own = "Copy=(Src=System\\Manifest.ini,Master=System\\Manifest.ini,Size=" +
                            std::to_string(ini.size()) + ",Flags=3)\r\n";
    ASSERT_NE(ini.find(own), std::string::npos) << intSize << "\n" << ini;
    ASSERT_NE(ini.find(",Size=" + std::to_string(intSize) + ",Flags=3)"), std::string::npos);
  }
  const std::string ini = ManifestIni(manifest, 300);
  EXPECT_TRUE(
      ini.starts_with("[Setup]\r\nProduct=MyPack\r\nVersion=100\r\nArchive=MyPack.umod\r\n"));
  EXPECT_TRUE(
      ini.ends_with("File=(Src=System\\MyPack.u,Size=123456)\r\n"
                    "File=(Src=System\\MyPack.int,Size=98)\r\n"
                    "File=(Src=Help\\MyPack.txt,Size=7)\r\n"));

  manifest.readme.clear();
  EXPECT_EQ(ManifestInt(manifest).find("ReadMe="), std::string::npos);
}

TEST(Manifests, RefuseWhatWouldBreakALineOrAnEntry) {
  const std::pair<const char*, int> values[] = {
      {"Jane Doe", -1}, {"Zo\xEB \x80 \xFF", -1}, {"a\r\nVersion=0", '\r'}, {"tab\there", '\t'},
      {"x\x81", 0x81},  {"x\x9D", 0x9D},          {"del\x7F", 0x7F},
  };
  for (const auto& [text, bad] : values) {
    const auto found = UnfitForManifest(text);
    EXPECT_EQ(found ? int(*found) : -1, bad) << text;
  }
  const std::pair<const char*, int> names[] = {
      {"Read Me \xE9.txt", -1}, {"a,b.txt", ','},   {"a)b.txt", ')'},
      {"a\\b.txt", '\\'},       {"what?.txt", '?'}, {"a\nb", '\n'},
  };
  for (const auto& [name, bad] : names) {
    const auto found = UnfitForEntryName(name);
    EXPECT_EQ(found ? int(*found) : -1, bad) << name;
  }
}

}  // namespace
}  // namespace voxmire

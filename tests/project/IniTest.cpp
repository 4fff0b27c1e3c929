#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "core/Files.h"
#include "project/Ini.h"

namespace voxmire {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using namespace std::string_literals;

// The vectors' escaping: "\\", "\r", "\n", "\t" and "\xHH".
std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\' && s[++i] == 'x') {
      c = static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else if (c == '\\') {
      c = s[i] == 'r' ? '\r' : s[i] == 'n' ? '\n' : s[i] == 't' ? '\t' : s[i];
    }
    out += c;
  }
  return out;
}

void Put(const fs::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mkdtemp(dir_.data())); }
  void TearDown() override { fs::remove_all(dir_); }
  std::string dir_ = "/tmp/voxmire-ini-XXXXXX";
};

// The reference rewrites the whole file on every change (blank lines gone,
// lines trimmed, CR LF throughout); here only the written line changes or is
// added. Where that differs, the expected file is the set-up file with one
// span replaced: {from, to}.
const std::map<std::string, std::pair<std::string, std::string>> kOneLineEdits = {
    {"replace_key_with_blanks", {"utdir = old  \r\n", "utdir = new  \r\n"}},
    {"write_preserves_comments", {"utdir = old\r\n", "utdir = new\r\n"}},
    {"write_empty_value", {"utdir=old\r\n", "utdir=\r\nfresh=\r\n"}},
    {"lf_only_file", {"a=1\n", "a=1\nnew=n\r\n"}},
    {"cr_only_file", {"a=1\r", "a=1\rnew=n\r\n"}},
    {"mixed_eol_file", {"a=1\n", "a=2\n"}},
    {"no_final_newline_write", {"utdir=x", "utdir=x\r\nnew=n\r\n"}},
    {"append_key_not_last_section", {"k1=1\r\n", "k1=1\r\nnew=v\r\n"}},
    {"append_key_empty_section", {"[a]\r\n", "[a]\r\nnew=v\r\n"}},
    {"append_key_section_trailing_comment_blanks", {";comment\r\n", ";comment\r\nnew=v\r\n"}},
    {"append_key_last_section_trailing_blanks", {"k=1\r\n", "k=1\r\nnew=v\r\n"}},
    {"new_section_file_ending_blank", {"k=1\r\n\r\n", "k=1\r\n\r\n[b]\r\nx=1\r\n"}},
    {"new_section_no_final_newline", {"k=1", "k=1\r\n[b]\r\nx=1\r\n"}},
    {"write_section_rewrite_normalizes", {"k = 1", "k = 2"}},
    {"rewrite_normalization", {"[last]\r\nx=1\r\n", "[last]\r\nx=1\r\nnew=n\r\n"}},
    {"exotic_whitespace", {" v\r\n", " v\r\nnew=n\r\n"}},
};

std::vector<Json> LoadVectors() {
  std::vector<Json> all;
  for (const char* name : {"vectors.json", "vectors-reads-only.json"}) {
    std::ifstream in(VOXMIRE_SHARED_DIR "/oracles/ini/"s + name);
    const Json file = Json::parse(in);
    all.insert(all.end(), file["cases"].begin(), file["cases"].end());
  }
  return all;
}

class IniVectorTest : public IniFileTest, public ::testing::WithParamInterface<Json> {};

TEST_P(IniVectorTest, MatchesReference) {
  const Json& c = GetParam();
  std::string name = Unescape(c["file"]);
  std::replace(name.begin(), name.end(), '\\', '/');
  const fs::path file = fs::path(dir_) / name;
  const Json& setup = c["setup_file_bytes_escaped"];
  if (!setup.is_null()) Put(file, Unescape(setup));
  for (std::size_t i = 0; i < c["calls"].size(); ++i) {
    const Json& call = c["calls"][i];
    const Json& want = c["results"][i];
    const std::string section = Unescape(call["section"]), key = Unescape(call["key"]);
    if (call["op"] == "read") {
      EXPECT_EQ(ProfileGetString(section, key, file), Unescape(want["value_escaped"])) << i;
    } else {
      EXPECT_EQ(ProfileWriteString(section, key, Unescape(call["value"]), file), want["ok"]) << i;
    }
  }
  // The reads-only cases hold no final file: each has its one-line edit.
  std::optional<std::string> expected;
  if (kOneLineEdits.contains(c["name"])) {
    const auto& [from, to] = kOneLineEdits.at(c["name"]);
    expected = Unescape(setup);
    ASSERT_NE(expected->find(from), std::string::npos);
    expected->replace(expected->find(from), from.size(), to);
  } else if (!c["final_file_bytes_escaped"].is_null()) {
    expected = Unescape(c["final_file_bytes_escaped"]);
  }
  EXPECT_EQ(ReadFileBytes(file), expected);
}

INSTANTIATE_TEST_SUITE_P(Oracle, IniVectorTest, ::testing::ValuesIn(LoadVectors()),
                         [](const auto& info) {
                           return info.param["name"].template get<std::string>();
                         });

TEST(IniTextTest, NulEndsValueAndBareWordTakesValueInPlace) {
  const std::string nul = "[c]\r\nk=ab\0cd\r\nj=1\r\n"s;
  EXPECT_EQ(ProfileGetStringFromText(nul, "c", "k"), "ab");
  EXPECT_EQ(ProfileGetStringFromText(nul, "c", "j"), "1");
  EXPECT_EQ(ProfileWriteStringToText(nul, "c", "k", "x"), "[c]\r\nk=x\r\nj=1\r\n");
  EXPECT_EQ(ProfileWriteStringToText("[c]\r\n  bare  \r\n", "c", "BARE", "v"),
            "[c]\r\n  bare=v  \r\n");
}

TEST_F(IniFileTest, KeysReachTheFileUpperCasedAndAreFoundLowerCased) {
  const fs::path steps = fs::path(dir_) / "steps.ini", prefs = fs::path(dir_) / "prefs.ini";
  WriteIniValue("Form2", "txtAuthorName", "Bob", steps);
  WriteIniValue("Form2", "txtCaf\xe9", "", steps);
  EXPECT_EQ(ReadFileBytes(steps), "[Form2]\r\nTXTAUTHORNAME=Bob\r\nTXTCAF\xe9=\r\n");
  EXPECT_EQ(ReadIniValue("form2", "TXTAUTHORNAME", steps), "Bob");

  // A hand-edited line keeps its spelling.
  Put(prefs, "[config]\r\nutdir=C:\\UT\r\n");
  EXPECT_EQ(ReadIniValue("Config", "UTDir", prefs), "C:\\UT");
  WriteIniValue("Config", "UTDir", "D:\\Games", prefs);
  EXPECT_EQ(ReadFileBytes(prefs), "[config]\r\nutdir=D:\\Games\r\n");
}

TEST_F(IniFileTest, WritesThatCannotOrNeedNotChangeTheFileLeaveItAlone) {
  WriteIniValue("Config", "UTDir", "x", fs::path(dir_) / "missing" / "prefs.ini");
  EXPECT_FALSE(fs::exists(fs::path(dir_) / "missing"));

  const fs::path file = fs::path(dir_) / "prefs.ini";
  Put(file, "[Config]\nUTDir = same\n");
  struct stat before {
  }, after{};
  stat(file.c_str(), &before);
  WriteIniValue("config", "utdir", "same", file);
  stat(file.c_str(), &after);
  EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged value must not rewrite the file";

  // A file that can't be replaced (here a folder holds its place, which
  // stops root as well as anyone) fails silently and leaves it as it was.
  const fs::path blocked = fs::path(dir_) / "blocked.ini";
  fs::create_directories(blocked / "inside");
  WriteIniValue("Config", "UTDir", "new", blocked);
  EXPECT_TRUE(fs::is_directory(blocked / "inside"));
  EXPECT_EQ(ReadIniValue("Config", "UTDir", blocked), "");
  EXPECT_EQ(ReadIniValue("Config", "UTDir", file), "same");
}

}  // namespace
}  // namespace voxmire

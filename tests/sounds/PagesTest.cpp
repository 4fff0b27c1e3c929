// The sound collection page with real .wav files, and the road through it
// from the base voice page to the script page and back.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <cstdlib>

#include "project/Ini.h"
#include "support/Harness.h"

namespace voxmire::test {
namespace {

namespace fs = std::filesystem;

class SoundPages : public ::testing::Test {
 protected:
  // espeak-ng speaks 22050 Hz mono 16-bit PCM; sox makes a stereo and a
  // 24-bit copy. They go with the harness's directory.
  void SetUp() override {
    const std::string s = samples.string() + "/";
    if (std::system(("espeak-ng -w " + s + "mono.wav hello").c_str()) != 0 ||
        std::system(("sox " + s + "mono.wav -c 2 " + s + "stereo.wav").c_str()) != 0 ||
        std::system(("sox " + s + "mono.wav -b 24 " + s + "deep.wav").c_str()) != 0) {
      FAIL() << "espeak-ng and sox make the sample files; the test command installs them";
    }
    WriteFile(samples / "text.wav", "notes, not sound\n");
  }
  // Fills the sound directory with sample copies, {file name, sample}, and
  // opens the page on it unless told otherwise.
  QWidget* OpenOn(const std::vector<std::pair<std::string, std::string>>& files, bool open = true) {
    for (const auto& [name, sample] : files) {
      fs::copy_file(samples / (sample + ".wav"), dir / name, fs::copy_options::overwrite_existing);
    }
    h.state.SoundDir = dir.string() + "/";
    h.state.SoundDrive = "/";
    return open ? h.Open(PageId::Sounds) : nullptr;
  }
  Harness h;
  fs::path samples = h.TempDir("samples");
  fs::path dir = h.TempDir("sounds");
};

QStringList Items(QWidget* page, const char* name) {
  QStringList items;
  auto* list = Find<QListWidget>(page, name);
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

void DoubleClick(QWidget* page, const char* name, const QString& text) {
  auto* list = Find<QListWidget>(page, name);
  const auto found = list->findItems(text, Qt::MatchExactly);
  ASSERT_FALSE(found.isEmpty()) << text.toStdString();
  // What a mouse delivers: press, release, double click, release.
  const QPoint at = list->visualItemRect(found[0]).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

TEST_F(SoundPages, WalkFromTheBaseVoiceToTheScriptAndBack) {
  fs::copy_file(fs::path(VOXMIRE_DATA_DIR) / "defaultscript.txt",
                h.programDir / "defaultscript.txt");
  OpenOn({{"hello.wav", "mono"}, {"Bye.WAV", "mono"}, {"a.wav.wav", "mono"}}, false);
  h.state.VoicePackName = "MyPack";
  WriteIniValue("Config", "SoundDir", dir.string(), h.ctx.PrefsIni());
  Click(h.Open(PageId::SelectVoice), "Command1");
  Click(h.nav.Window(PageId::ChooseSoundDir), "Command1");
  QWidget* sounds = h.nav.Window(PageId::Sounds);
  ASSERT_NE(sounds, nullptr);
  EXPECT_EQ(Find<QLabel>(sounds, "lblSoundDir")->text().toStdString(),
            "Files in Dir " + dir.string() + "/");
  EXPECT_EQ(Items(sounds, "File1"), (QStringList{"a.wav.wav", "Bye.WAV", "hello.wav"}));
  DoubleClick(sounds, "File1", "hello.wav");
  Click(sounds, "Command5");
  EXPECT_EQ(Items(sounds, "List1"), (QStringList{"a", "Bye", "hello", "hello"}));
  Click(sounds, "Command1");
  const std::string soundList = "a\r\nBye\r\nhello\r\n";
  EXPECT_EQ(ReadFile(h.programDir / "soundlist.txt"), soundList);
  EXPECT_EQ(h.nav.Window(PageId::Script)->windowTitle(), QStringLiteral("Edit the MyPack script"));

  QStringList shown;  // Back refills the list from the file before the page shows
  QObject::connect(&h.nav, &Navigator::Opened, [&](PageId id) {
    if (id == PageId::Sounds) shown = Items(h.nav.Window(id), "List1");
  });
  Click(h.nav.Window(PageId::Script), "Command3");
  EXPECT_EQ(shown, (QStringList{"a", "Bye", "hello"}));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Script));
  Click(h.nav.Window(PageId::Sounds), "Command1");
  EXPECT_EQ(ReadFile(h.programDir / "soundlist.txt"), soundList);

  QWidget* script = h.nav.Window(PageId::Script);
  auto* area = Find<QPlainTextEdit>(script, "txtScriptArea");
  area->moveCursor(QTextCursor::End);
  QTest::keyClicks(area, "q");  // locked until "&Enable Editing"
  Click(script, "Command2");
  EXPECT_EQ(area->palette().color(QPalette::Base), QColor(Qt::white));
  QTest::keyClicks(area, "// end");
  Click(script, "Command1");
  std::string imports;
  for (std::string name : {"a", "Bye", "hello"}) {
    imports += "\r\n#exec AUDIO IMPORT FILE=\"" + dir.string() + "/" + name + ".wav\" NAME=\"" +
               name + "\" PACKAGE=\"MyPack\" GROUP=\"MyPack\"";
  }
  const std::string rule = "//" + std::string(77, '=') + "\r\n";
  EXPECT_EQ(
      ReadFile(h.programDir / "MyPack.uc"),
      rule + "// MyPack.\r\n" + rule + "class MyPack extends VoiceMaleOne;\r\n\r\n" +
          "#exec OBJ LOAD FILE=..\\Sounds\\Male1Voice.uax\r\n\r\n// The sounds of MyPack:\r\n" +
          imports + "\r\n// end\r\n");
}

TEST_F(SoundPages, AddingRefusesWhatTheGameCantImportAndWarnsAboutTheRest) {
  QWidget* page = OpenOn({{"good.wav", "mono"},
                          {"wide.wav", "stereo"},
                          {"deep.wav", "deep"},
                          {"notes.wav", "text"},
                          {"say \"hi\".wav", "mono"},
                          {"\u65E5\u672C.wav", "mono"}});
  Click(page, "Command5");
  EXPECT_EQ(Items(page, "List1"), (QStringList{"good", "wide"}));
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  const ShownMessage& refused = h.dialogs.messages[0];
  EXPECT_EQ(refused.icon, MessageIcon::Critical);
  for (const char* line : {"deep.wav: 24-bit samples", "notes.wav: not a WAV file",
                           "say \"hi\".wav: its name holds a double quote",
                           "\u65E5\u672C.wav: its name holds characters that Windows-1252 lacks"}) {
    EXPECT_TRUE(refused.text.contains(QString::fromUtf8(line))) << line;
  }
  EXPECT_FALSE(refused.text.contains("good.wav") || refused.text.contains("wide.wav"));
  EXPECT_EQ(h.dialogs.messages[1].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(h.dialogs.messages[1].text.contains("wide.wav: stereo"));

  DoubleClick(page, "File1", "deep.wav");  // a double click is judged alike
  EXPECT_EQ(Items(page, "List1"), (QStringList{"good", "wide"}));
  ASSERT_EQ(h.dialogs.messages.size(), 3u);
  EXPECT_TRUE(h.dialogs.messages[2].text.contains("deep.wav: 24-bit samples"));
}

// The game takes Hello and hello for one sound: the second is refused with
// a message naming both.
TEST_F(SoundPages, ASoundDifferingOnlyInLetterCaseIsRefused) {
  QWidget* page = OpenOn({{"Hello.wav", "mono"}, {"hello.wav", "mono"}});
  Click(page, "Command5");
  EXPECT_EQ(Items(page, "List1"), (QStringList{"Hello"}));
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(h.dialogs.messages[0].text.contains(
      "hello.wav: its name differs from Hello only in letter case"))
      << h.dialogs.messages[0].text.toStdString();
}

TEST_F(SoundPages, AnUnlistableDirectoryFallsBackToTheDriveRootSilently) {
  OpenOn({{"root.wav", "mono"}}, false);
  const std::string d = dir.string();
  const std::pair<std::string, std::string> cases[] = {
      {"/", "/"}, {d, d + "/"}, {d + "/", d + "/"}};
  for (const auto& [drive, root] : cases) {
    h.state.SoundDir = d + "/gone/";
    h.state.SoundDrive = drive;
    QWidget* page = h.Open(PageId::Sounds);
    EXPECT_EQ(h.state.SoundDir, root);
    EXPECT_EQ(Find<QLabel>(page, "lblSoundDir")->text().toStdString(), "Files in Drive " + root);
    EXPECT_EQ(Items(page, "File1").contains("root.wav"), root != "/");
    h.nav.Close(PageId::Sounds);
  }
  EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(SoundPages, ChangeDirAndBackLoseTheListAndLeaveTheFileAlone) {
  WriteFile(h.programDir / "soundlist.txt", "kept\r\n");
  for (auto [button, opened] : {std::pair{"Command3", PageId::ChooseSoundDir},
                                std::pair{"Command4", PageId::SelectVoice}}) {
    Click(OpenOn({{"hello.wav", "mono"}}), "Command5");
    Click(h.nav.Window(PageId::Sounds), button);
    EXPECT_FALSE(h.nav.IsOpen(PageId::Sounds)) << button;
    EXPECT_TRUE(h.nav.IsOpen(opened)) << button;
    EXPECT_TRUE(Items(h.Open(PageId::Sounds), "List1").isEmpty()) << button;  // a fresh page
    h.nav.Close(PageId::Sounds);
  }
  EXPECT_EQ(ReadFile(h.programDir / "soundlist.txt"), "kept\r\n");
}

TEST_F(SoundPages, KeyboardAndButtonsEditAndPlayTheList) {
  QWidget* page = OpenOn({{"b.wav", "mono"}, {"a.wav", "mono"}, {"c.wav", "mono"}});
  auto* list = Find<QListWidget>(page, "List1");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Enter}) {
    QTest::keyClick(Find<QListWidget>(page, "File1"), key);  // on to the next file, if any
  }
  EXPECT_EQ(Items(page, "List1"), (QStringList{"a", "b", "c", "c"}));
  Click(page, "Command2");  // nothing selected: nothing removed
  list->setCurrentRow(1);
  Click(page, "Command2");
  list->setCurrentRow(2);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(Items(page, "List1"), (QStringList{"a", "c"}));

  const QString path = QString::fromStdString(dir.string()) + "/c.wav";
  DoubleClick(page, "List1", "c");
  h.player.succeed = false;
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(h.player.played, (std::vector<QString>{path, path}));
  ASSERT_EQ(h.dialogs.messages, (std::vector<ShownMessage>{{"Error playing soundfile",
                                                            "Error Playing File: '" + path + "'",
                                                            MessageIcon::Critical}}));
  // No audio output: a box says so, and nothing is played.
  h.player.output = false;
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(h.player.played.size(), 2u);
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_EQ(h.dialogs.messages[1].title, QStringLiteral("No sound output"));
  EXPECT_EQ(h.dialogs.messages[1].icon, MessageIcon::Exclamation);
  h.dialogs.messages.pop_back();

  const fs::path soundList = h.programDir / "soundlist.txt";
  fs::create_directories(soundList / "in the way");
  Click(page, "Command1");  // unwritable: a message naming it, and no move
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_TRUE(h.dialogs.messages[1].text.contains(QString::fromStdString(soundList.string())));
  fs::remove_all(soundList);
  Click(page, "Command6");
  Click(page, "Command1");
  EXPECT_EQ(ReadFile(soundList), "");
  EXPECT_TRUE(h.nav.IsOpen(PageId::Script));
}

}  // namespace
}  // namespace voxmire::test

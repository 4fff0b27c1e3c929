// The sound collection page with real recordings, and the road through it
// from the base voice page to the script page and back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "core/Files.h"
#include "project/Ini.h"
#include "sounds/AudioSamples.h"
#include "sounds/SoundsPage.h"
#include "support/Disks.h"
#include "support/Harness.h"

namespace voxmire::test {
namespace {

namespace fs = std::filesystem;

class SoundPages : public ::testing::Test {
 protected:
  // espeak-ng speaks 22050 Hz mono 16-bit PCM, which the game imports as it
  // is; sox makes copies it doesn't. They go with the harness's directory.
  void SetUp() override {
    using testing::Quoted;
    h.state.VoicePackName = "MyPack";
    const fs::path mono = samples / "mono.wav";
    if (!testing::Speak(mono, "hello") ||
        !testing::Sox(Quoted(mono) + " -c 2 -r 48000 " + Quoted(samples / "stereo.wav")) ||
        !testing::Sox(Quoted(mono) + " -b 24 " + Quoted(samples / "deep.wav")) ||
        !testing::Sox(Quoted(mono) + " " + Quoted(samples / "flac.flac")) ||
        !testing::Sox(Quoted(mono) + " " + Quoted(samples / "padded.wav") + " pad 1 1") ||
        !testing::Sox("-n -r 48000 -c 2 -b 24 " + Quoted(samples / "long.wav") +
                      " synth 10 sine 300")) {
      FAIL() << "espeak-ng and sox make the sample files; the test command installs them";
    }
    WriteFile(samples / "text.wav", "notes, not sound\n");
  }
  // Fills the sound directory with sample copies, {file name, sample file},
  // and opens the page on it unless told otherwise.
  QWidget* OpenOn(const std::vector<std::pair<std::string, std::string>>& files, bool open = true) {
    for (const auto& [name, sample] : files) {
      const std::string file = sample.find('.') == std::string::npos ? sample + ".wav" : sample;
      fs::copy_file(samples / file, dir / name, fs::copy_options::overwrite_existing);
    }
    h.state.SoundDir = PathText(dir) + "/";
    h.state.SoundDrive = "/";
    return open ? h.Open(PageId::Sounds) : nullptr;
  }
  fs::path Pack(const std::string& name) {
    return h.programDir / "Packs" / "MyPack" / "Sounds" / (name + ".wav");
  }
  std::vector<std::string> PackFolder() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Pack("x").parent_path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  Harness h;
  fs::path samples = h.TempDir("samples");
  fs::path dir = h.TempDir("sü ünd");
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

QString Tip(QWidget* page, const QString& sound) {
  const auto found = Find<QListWidget>(page, "List1")->findItems(sound, Qt::MatchExactly);
  return found.isEmpty() ? QStringLiteral("(not listed)") : found[0]->toolTip();
}

TEST_F(SoundPages, WalkFromTheBaseVoiceToTheScriptAndBack) {
  fs::copy_file(fs::path(VOXMIRE_DATA_DIR) / "defaultscript.txt",
                h.programDir / "defaultscript.txt");
  OpenOn({{"hello.wav", "mono"}, {"Bye.WAV", "mono"}, {"a.wav.wav", "mono"}}, false);
  WriteIniValue("Config", "SoundDir", PathText(dir), h.ctx.PrefsIni());
  Click(h.Open(PageId::SelectVoice), "Command1");
  Click(h.nav.Window(PageId::ChooseSoundDir), "Command1");
  QWidget* sounds = h.nav.Window(PageId::Sounds);
  ASSERT_NE(sounds, nullptr);
  EXPECT_EQ(Find<QLabel>(sounds, "lblSoundDir")->text(),
            QString::fromStdString("Files in Dir " + dir.string() + "/"));
  EXPECT_EQ(Items(sounds, "File1"), (QStringList{"a.wav.wav", "Bye.WAV", "hello.wav"}));
  DoubleClick(sounds, "File1", "hello.wav");
  Click(sounds, "Command5");  // hello again: the same file refreshes its sound
  EXPECT_EQ(Items(sounds, "List1"), (QStringList{"a_wav", "Bye", "hello"}));
  EXPECT_EQ(h.state.Sounds, (std::vector<std::string>{"a_wav", "Bye", "hello"}));
  EXPECT_TRUE(h.dialogs.messages.empty());
  for (const char* name : {"a_wav", "Bye", "hello"}) {  // imported as they are
    EXPECT_EQ(ReadFile(Pack(name)), ReadFile(samples / "mono.wav")) << name;
  }
  Click(sounds, "Command1");
  const std::string soundList = "a_wav\r\nBye\r\nhello\r\n";
  EXPECT_EQ(ReadFile(h.programDir / "soundlist.txt"), soundList);
  EXPECT_EQ(h.nav.Window(PageId::Script)->windowTitle(), QStringLiteral("Edit the MyPack script"));

  QStringList shown;  // Back shows the project's list
  QObject::connect(&h.nav, &Navigator::Opened, [&](PageId id) {
    if (id == PageId::Sounds) shown = Items(h.nav.Window(id), "List1");
  });
  fs::remove(h.programDir / "soundlist.txt");
  Click(h.nav.Window(PageId::Script), "Command3");
  EXPECT_EQ(shown, (QStringList{"a_wav", "Bye", "hello"}));
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
  for (std::string name : {"a_wav", "Bye", "hello"}) {
    imports += "\r\n#exec AUDIO IMPORT FILE=\"Sounds\\" + name + ".wav\" NAME=\"" + name +
               "\" PACKAGE=\"MyPack\" GROUP=\"MyPack\"";
  }
  const std::string rule = "//" + std::string(77, '=') + "\r\n";
  EXPECT_EQ(
      ReadFile(h.programDir / "MyPack.uc"),
      rule + "// MyPack.\r\n" + rule + "class MyPack extends VoiceMaleOne;\r\n\r\n" +
          "#exec OBJ LOAD FILE=..\\Sounds\\Male1Voice.uax\r\n\r\n// The sounds of MyPack:\r\n" +
          imports + "\r\n// end\r\n");
}

TEST_F(SoundPages, AddingConvertsWhatTheGameCantImportAndRefusesWhatCantBeRead) {
  QWidget* page = OpenOn({{"good.wav", "mono"},
                          {"wide.wav", "stereo"},
                          {"deep.wav", "deep"},
                          {"take.FLAC", "flac.flac"},
                          {"notes.wav", "text"},
                          {"say \"hi\".wav", "mono"},
                          {"hello.wav", "mono"},
                          {"Hello.flac", "flac.flac"},
                          {"gr\u00FC\u00DFe mit blank.wav", "stereo"}});
  EXPECT_EQ(Find<QLabel>(page, "Label2")->text(),
            QStringLiteral("Sound files (wav, mp3, ogg, flac, aiff)"));
  Click(page, "Command5");
  EXPECT_EQ(Items(page, "List1"),
            (QStringList{"deep", "good", "grusse_mit_blank", "say__hi_", "take", "wide"}));
  for (const char* converted : {"deep", "grusse_mit_blank", "take", "wide"}) {
    EXPECT_EQ(Tip(page, converted), QString::fromLatin1(converted) + " (converted)");
    const auto audio = testing::ReadAudio(Pack(converted));
    ASSERT_TRUE(audio.has_value()) << converted;
    EXPECT_EQ(audio->info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(audio->info.channels, 1);
    EXPECT_EQ(audio->info.samplerate, 22050);
  }
  EXPECT_EQ(h.state.ConvertedSounds,
            (std::vector<std::string>{"deep", "grusse_mit_blank", "take", "wide"}));
  EXPECT_EQ(Tip(page, "good"), QString());
  EXPECT_EQ(ReadFile(Pack("good")), ReadFile(samples / "mono.wav"));
  EXPECT_EQ(ReadFile(dir / "wide.wav"), ReadFile(samples / "stereo.wav"));  // the user's, untouched

  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  const ShownMessage& refused = h.dialogs.messages[0];
  EXPECT_EQ(refused.icon, MessageIcon::Critical);
  for (const char* line : {"notes.wav: not a sound file",
                           "Hello.flac and hello.wav: these would be the same sound, Hello"}) {
    EXPECT_TRUE(refused.text.contains(QString::fromUtf8(line))) << refused.text.toStdString();
  }
  EXPECT_EQ(refused.text.count(QLatin1Char('\r')), 3) << refused.text.toStdString();
  // The advice for these two causes, and none for causes that didn't occur.
  const QString advice = refused.text.section(QLatin1Char('\r'), -1);
  EXPECT_TRUE(advice.contains("Save a file that can't be read again as WAV, MP3, OGG, FLAC or "
                              "AIFF.") &&
              advice.contains("Of two files that would be the same sound, rename one."))
      << advice.toStdString();
  EXPECT_FALSE(advice.contains("remove it first") || advice.contains("free space"));
  EXPECT_FALSE(fs::exists(Pack("notes")) || fs::exists(Pack("hello")) || fs::exists(Pack("Hello")));

  // One of the pair alone now clashes with nothing in the list; the other
  // then clashes with it.
  DoubleClick(page, "File1", "hello.wav");
  DoubleClick(page, "File1", "Hello.flac");
  EXPECT_EQ(Items(page, "List1").count(QStringLiteral("hello")), 1);
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_TRUE(h.dialogs.messages[1].text.contains(
      "Hello.flac: it would be the sound hello, which the package already holds (from hello.wav)"))
      << h.dialogs.messages[1].text.toStdString();
  EXPECT_TRUE(
      h.dialogs.messages[1].text.endsWith("\rTo replace a sound of the package, remove it first."))
      << h.dialogs.messages[1].text.toStdString();
}

// Files that can't be written into a full pack folder are refused with the
// advice for that, not for recordings that can't be read.
TEST_F(SoundPages, AFullPackFolderGivesTheAdviceForAFullFolder) {
  SmallDisk disk(Pack("x").parent_path());
  std::optional<FileSizeLimit> limit;  // where no disk can be mounted
  QWidget* page = OpenOn({{"wide.wav", "stereo"}, {"notes.wav", "text"}});
  if (disk.Mounted()) {
    ASSERT_TRUE(disk.Fill());
  } else {
    limit.emplace(1000);
  }
  Click(page, "Command5");
  limit.reset();
  EXPECT_TRUE(h.state.Sounds.empty());
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  const QString text = h.dialogs.messages[0].text;
  const QString folder = QString::fromStdString(PathText(Pack("x").parent_path()));
  EXPECT_TRUE(text.contains("wide.wav: can't be written to " + folder)) << text.toStdString();
  EXPECT_TRUE(text.contains("notes.wav: not a sound file")) << text.toStdString();
  EXPECT_TRUE(text.contains("Make sure that the folder '" + folder +
                            "' can be written and has free space, then add the files again."))
      << text.toStdString();
  EXPECT_TRUE(text.contains("Save a file that can't be read again"));  // for notes.wav
  EXPECT_FALSE(text.contains("rename one") || text.contains("remove it first"));
}

TEST_F(SoundPages, TheOptionsAreRememberedAndProcessEvenImportableFiles) {
  QWidget* page = OpenOn({{"good.wav", "padded"}});
  auto* loudness = Find<QCheckBox>(page, "chkEvenLoudness");
  auto* trim = Find<QCheckBox>(page, "chkTrimSilence");
  EXPECT_FALSE(loudness->isChecked() || trim->isChecked());
  trim->click();
  DoubleClick(page, "File1", "good.wav");
  EXPECT_EQ(Tip(page, "good"), QStringLiteral("good (converted)"));
  EXPECT_LT(fs::file_size(Pack("good")), fs::file_size(dir / "good.wav") - 80000);

  h.nav.Close(PageId::Sounds);
  page = h.Open(PageId::Sounds);
  EXPECT_TRUE(Find<QCheckBox>(page, "chkTrimSilence")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(page, "chkEvenLoudness")->isChecked());
  EXPECT_EQ(Items(page, "List1"), QStringList{"good"});  // the project's list, marks and all
  EXPECT_EQ(Tip(page, "good"), QStringLiteral("good (converted)"));
  Find<QCheckBox>(page, "chkTrimSilence")->click();
  EXPECT_EQ(ReadIniValue("Config", "chkTrimSilence", h.ctx.PrefsIni()), "0");
}

TEST_F(SoundPages, CancellingKeepsExactlyTheSoundsDoneAndNoHalfWrittenFile) {
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < 40; ++i) files.push_back({"take" + std::to_string(i) + ".wav", "long"});
  QWidget* page = OpenOn(files);
  qobject_cast<SoundsPage*>(page)->SetProgressDelay(0);
  // Cancel as soon as the dialog shows, from inside the page's wait.
  bool cancelled = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, page, [&] {
    auto* progress = page->findChild<QProgressDialog*>("dlgConvert");
    if (progress != nullptr && progress->isVisible() && !cancelled) {
      cancelled = true;
      progress->cancel();
    }
  });
  watch.start(5);
  Click(page, "Command5");
  ASSERT_TRUE(cancelled);
  const std::vector<std::string> made = PackFolder();  // no temporary file among them
  ASSERT_LT(made.size(), files.size());
  QStringList listed;
  for (const std::string& name : made) listed << QString::fromStdString(fs::path(name).stem());
  listed.sort(Qt::CaseInsensitive);
  EXPECT_EQ(Items(page, "List1"), listed);
  EXPECT_TRUE(h.dialogs.messages.empty());
  EXPECT_TRUE(Find<QWidget>(page, "Command1")->isEnabled());  // the page takes input again
}

TEST_F(SoundPages, AnUnwritablePackFolderIsNamedAndNothingIsAdded) {
  WriteFile(h.programDir / "Packs", "a file where the folder should be");
  QWidget* page = OpenOn({{"good.wav", "mono"}, {"wide.wav", "stereo"}});
  Click(page, "Command5");
  EXPECT_TRUE(Items(page, "List1").isEmpty());
  EXPECT_TRUE(h.state.Sounds.empty());
  // The project file can't be saved there either, and says so on its own.
  const QString folder =
      QString::fromStdString(PathText(h.programDir / "Packs" / "MyPack" / "Sounds"));
  const auto named = std::find_if(h.dialogs.messages.begin(), h.dialogs.messages.end(),
                                  [&](const ShownMessage& m) { return m.text.contains(folder); });
  ASSERT_NE(named, h.dialogs.messages.end());
  EXPECT_EQ(named->icon, MessageIcon::Critical);
}

TEST_F(SoundPages, ListsFromBeforeThePacksFolderAreFetchedOnNext) {
  fs::copy_file(fs::path(VOXMIRE_DATA_DIR) / "defaultscript.txt",
                h.programDir / "defaultscript.txt");
  OpenOn({{"old one.wav", "mono"}, {"older.wav", "stereo"}}, false);
  h.state.Sounds = {"old one", "older"};
  QWidget* page = h.Open(PageId::Sounds);
  Click(page, "Command1");
  EXPECT_EQ(h.state.Sounds, (std::vector<std::string>{"old_one", "older"}));
  EXPECT_EQ(ReadFile(h.programDir / "soundlist.txt"), "old_one\r\nolder\r\n");
  EXPECT_EQ(ReadFile(Pack("old_one")), ReadFile(samples / "mono.wav"));
  EXPECT_EQ(testing::ReadAudio(Pack("older"))->info.channels, 1);
  EXPECT_TRUE(h.nav.IsOpen(PageId::Script));

  // A sound whose file is gone from both places stops the move.
  h.nav.Close(PageId::Script);
  h.state.Sounds = {"gone", "old_one"};
  page = h.Open(PageId::Sounds);
  Click(page, "Command1");
  ASSERT_EQ(h.dialogs.messages.size(), 1u) << h.dialogs.messages[0].text.toStdString();
  EXPECT_TRUE(h.dialogs.messages[0].text.contains("   gone"));
  EXPECT_FALSE(h.nav.IsOpen(PageId::Script));
  EXPECT_EQ(ReadFile(h.programDir / "soundlist.txt"), "old_one\r\nolder\r\n");
}

TEST_F(SoundPages, AnUnlistableDirectoryFallsBackToTheDriveRootSilently) {
  OpenOn({{"root.wav", "mono"}}, false);
  const std::string d = PathText(dir);
  const std::pair<std::string, std::string> cases[] = {
      {"/", "/"}, {d, d + "/"}, {d + "/", d + "/"}};
  for (const auto& [drive, root] : cases) {
    h.state.SoundDir = d + "/gone/";
    h.state.SoundDrive = drive;
    QWidget* page = h.Open(PageId::Sounds);
    EXPECT_EQ(h.state.SoundDir, root);
    EXPECT_EQ(Find<QLabel>(page, "lblSoundDir")->text(),
              "Files in Drive " + QString::fromLatin1(root));
    EXPECT_EQ(Items(page, "File1").contains("root.wav"), root != "/");
    h.nav.Close(PageId::Sounds);
  }
  EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(SoundPages, ChangeDirAndBackKeepTheProjectsListAndTheFile) {
  WriteFile(h.programDir / "soundlist.txt", "kept\r\n");
  for (auto [button, opened] : {std::pair{"Command3", PageId::ChooseSoundDir},
                                std::pair{"Command4", PageId::SelectVoice}}) {
    Click(OpenOn({{"hello.wav", "mono"}}), "Command5");
    Click(h.nav.Window(PageId::Sounds), button);
    EXPECT_FALSE(h.nav.IsOpen(PageId::Sounds)) << button;
    EXPECT_TRUE(h.nav.IsOpen(opened)) << button;
    EXPECT_EQ(Items(h.Open(PageId::Sounds), "List1"), QStringList{"hello"}) << button;
    h.nav.Close(PageId::Sounds);
  }
  EXPECT_EQ(ReadFile(h.programDir / "soundlist.txt"), "kept\r\n");
}

TEST_F(SoundPages, KeyboardAndButtonsEditAndPlayTheList) {
  QWidget* page = OpenOn({{"b.wav", "mono"}, {"a.wav", "mono"}, {"c.wav", "mono"}});
  auto* list = Find<QListWidget>(page, "List1");
  auto* files = Find<QListWidget>(page, "File1");
  Activate(page);
  // The focus stays in the file list, on the next file, however long the
  // adding took: Enter after Enter adds file after file.
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Enter}) {
    EXPECT_EQ(QApplication::focusWidget(), files);
    Press(key);
  }
  EXPECT_EQ(QApplication::focusWidget(), files);
  EXPECT_EQ(files->currentRow(), 2);
  EXPECT_EQ(Items(page, "List1"), (QStringList{"a", "b", "c"}));
  Click(page, "Command2");  // nothing selected: nothing removed
  list->setCurrentRow(1);
  Click(page, "Command2");
  EXPECT_EQ(h.state.Sounds, (std::vector<std::string>{"a", "c"}));

  const QString path = QString::fromStdString(PathText(Pack("c")));  // the pack's copy plays
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
  list->setCurrentRow(0);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(Items(page, "List1"), QStringList{"c"});

  const fs::path soundList = h.programDir / "soundlist.txt";
  fs::create_directories(soundList / "in the way");
  Click(page, "Command1");  // unwritable: a message naming it, and no move
  ASSERT_EQ(h.dialogs.messages.size(), 2u);
  EXPECT_TRUE(h.dialogs.messages[1].text.contains(QString::fromStdString(soundList.string())));
  fs::remove_all(soundList);
  Click(page, "Command6");
  EXPECT_TRUE(h.state.Sounds.empty());
  Click(page, "Command1");
  EXPECT_EQ(ReadFile(soundList), "");
  EXPECT_TRUE(h.nav.IsOpen(PageId::Script));
}

}  // namespace
}  // namespace voxmire::test

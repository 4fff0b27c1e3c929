// The recording window without a microphone: lines, keys, names, the takes
// of a line and what the work area shows of them. (Recording itself runs
// against a real sound server in PulseTest.cpp.)
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "core/Files.h"
#include "project/ProjectFile.h"
#include "record/LevelBar.h"
#include "record/RecordWindow.h"
#include "record/TakeSamples.h"
#include "record/Takes.h"
#include "sounds/PackSounds.h"
#include "support/Harness.h"
#include "workarea/WorkAreaPage.h"

namespace voxmire::test {
namespace {

namespace fs = std::filesystem;

class RecordWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No sound server answers the page tests (see TestMain.cpp), so the
    // machine has no input at all.
    h_.state.VoicePackName = "MyPack";
    PhraseTable& acks = h_.state.Tables.Acks;
    acks.CreateRows(2);
    acks.SetCell(1, PhraseCell::String, "Got it");
    acks.SetCell(2, PhraseCell::String, "Roger");
    acks.SetCell(2, PhraseCell::Sound, "Sound'Male1Voice.(All).M1roger'");
    h_.state.Tables.Orders[2].String = "Attack";
  }

  RecordWindow* Open() {
    QWidget* work = h_.Open(PageId::WorkArea);
    Click(work, "cmdRecordLines");
    auto* window = h_.Window<RecordWindow>(PageId::Recorder);
    EXPECT_NE(window, nullptr);
    if (window != nullptr) {
      EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    return window;
  }
  QString Text(QWidget* w, const char* label) { return Find<QLabel>(w, label)->text(); }

  Harness h_;
};

TEST_F(RecordWindowTest, WithoutAnInputItOpensSaysSoAndWalksTheLinesByKeyboard) {
  RecordWindow* w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(h_.nav.IsOpen(PageId::WorkArea));  // it sits beside the work area
  EXPECT_TRUE(Find<QLabel>(w, "lblNoInput")->isVisible());
  EXPECT_EQ(Find<QComboBox>(w, "cboInput")->count(), 0);
  EXPECT_FALSE(Find<QPushButton>(w, "cmdRecord")->isEnabled());
  QTest::keyClick(w, Qt::Key_Space);
  EXPECT_FALSE(w->Taking());
  EXPECT_EQ(Text(w, "lblStatus"), QStringLiteral("There is no input to record from."));
  EXPECT_TRUE(h_.dialogs.messages.empty());

  auto* lines = Find<QListWidget>(w, "lstLines");
  ASSERT_EQ(lines->count(), 2 + 7 + 4);
  EXPECT_EQ(lines->item(0)->text(), QStringLiteral("Acknowledgements, row 1: Got it"));
  EXPECT_EQ(lines->item(9)->text(), QStringLiteral("Names: Red Leader"));
  EXPECT_EQ(lines->item(1)->data(Qt::AccessibleDescriptionRole).toString(),
            QStringLiteral("has a sound"));
  EXPECT_EQ(Text(w, "lblPrompt"), QStringLiteral("Got it"));
  EXPECT_TRUE(Text(w, "lblPlace").contains(QStringLiteral("no sound yet")));

  // Page Down / Page Up step through the lines wherever the focus is; the
  // prompt and what a screen reader hears follow.
  Find<QCheckBox>(w, "chkEvenLoudness")->setFocus();
  for (int i = 0; i < 4; ++i) QTest::keyClick(w, Qt::Key_PageDown);
  EXPECT_EQ(lines->currentRow(), 4);
  EXPECT_EQ(Text(w, "lblPrompt"), QStringLiteral("Attack"));
  EXPECT_EQ(w->CurrentLine()->Key, "order 2");
  EXPECT_TRUE(Find<QLabel>(w, "lblPrompt")
                  ->accessibleDescription()
                  .contains(QStringLiteral("Orders: Assault Base")));
  QTest::keyClick(w, Qt::Key_PageUp);
  EXPECT_EQ(w->CurrentLine()->Key, "order 1");
  EXPECT_EQ(Text(w, "lblPrompt"), QStringLiteral("(this row has no text yet)"));
  lines->setFocus();
  QTest::keyClick(lines, Qt::Key_Down);
  EXPECT_EQ(w->CurrentLine()->Key, "order 2");

  // Space on a focused box presses it rather than recording.
  auto* missing = Find<QCheckBox>(w, "chkMissingOnly");
  missing->setFocus();
  QTest::keyClick(missing, Qt::Key_Space);
  EXPECT_TRUE(missing->isChecked());
  EXPECT_EQ(lines->count(), 2 + 7 + 4 - 1);  // Roger has a sound
  EXPECT_EQ(w->CurrentLine()->Key, "order 2");
  ASSERT_TRUE(w->GoToLine("name 3"));
  EXPECT_EQ(Text(w, "lblPrompt"), QStringLiteral("Gold Leader"));
  EXPECT_FALSE(w->GoToLine("ack 1"));

  // Every control has a name, and the focus reaches each of them.
  QWidget* start = lines;
  start->setFocus();
  QStringList reached;
  for (int i = 0; i < 12; ++i) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_FALSE(focus->accessibleName().isEmpty()) << focus->objectName().toStdString();
    reached << focus->objectName();
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  for (const char* name : {"lstLines", "chkMissingOnly", "chkEvenLoudness", "cmdClose"}) {
    EXPECT_TRUE(reached.contains(QString::fromLatin1(name)))
        << name << ": " << reached.join(' ').toStdString();
  }

  QTest::keyClick(w, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !h_.nav.IsOpen(PageId::Recorder); }));
}

TEST_F(RecordWindowTest, TakesOfALineArePlayedPickedAndDeletedAndTheWorkAreaFollows) {
  // Two takes of "Got it", made by the take model as a recording would.
  const RecordLine line = RecordLines(h_.state.Tables)[0];
  std::vector<std::int16_t> first, second;
  testing::AppendTone(first, 0.6, -12);
  testing::AppendSilence(second, 0.2);
  testing::AppendTone(second, 1.2, -6);
  ASSERT_TRUE(KeepTake(h_.state, h_.places, line, first, false).Ok);
  ASSERT_TRUE(KeepTake(h_.state, h_.places, line, second, false).Ok);
  const fs::path sound = PackSoundFile(h_.places, "MyPack", "ack_0_got_it");
  const std::string secondSound = ReadFile(sound);
  h_.state.Tables.Acks.SetCell(1, PhraseCell::Sound, "typed over");

  RecordWindow* w = Open();
  ASSERT_NE(w, nullptr);
  auto* takes = Find<QListWidget>(w, "lstTakes");
  ASSERT_EQ(takes->count(), 2);
  EXPECT_EQ(takes->item(1)->text(), QStringLiteral("Take 2 (1.4 s), in use"));
  EXPECT_EQ(takes->currentRow(), 1);
  QTest::keyClick(w, Qt::Key_P);
  ASSERT_EQ(h_.player.played.size(), 1u);
  EXPECT_TRUE(h_.player.played[0].endsWith(QStringLiteral("Takes/ack_0_got_it_take2.wav")));

  // The first take again: the sound is made from it, and the work area's
  // table shows the row pointing at it without being touched.
  takes->setCurrentRow(0);
  Click(w, "cmdUseTake");
  EXPECT_NE(ReadFile(sound), secondSound);
  EXPECT_EQ(takes->item(0)->text(), QStringLiteral("Take 1 (0.6 s), in use"));
  auto* acks = Find<QTableView>(h_.nav.Window(PageId::WorkArea), "tblAck");
  EXPECT_EQ(acks->model()->index(0, 0).data().toString(),
            QStringLiteral("Sound'MyPack.MyPack.ack_0_got_it'"));
  ASSERT_TRUE(h_.keeper.Flush());
  const ProjectRead saved = ReadProjectFile(ProjectFilePath(h_.places, "MyPack"));
  ASSERT_TRUE(saved.state) << saved.problem;
  EXPECT_EQ(saved.state->Takes[0].Used, "ack_0_got_it_take1.wav");

  // Deleting asks; No keeps the take.
  h_.dialogs.confirmAnswers = {false, true};
  Click(w, "cmdDeleteTake");
  ASSERT_EQ(h_.dialogs.confirms.size(), 1u);
  EXPECT_TRUE(h_.dialogs.confirms[0].text.contains(QStringLiteral("Take 1")));
  EXPECT_EQ(takes->count(), 2);
  Click(w, "cmdDeleteTake");
  EXPECT_EQ(takes->count(), 1);
  EXPECT_FALSE(fs::exists(PackTakesDir(h_.places, "MyPack") / "ack_0_got_it_take1.wav"));
  EXPECT_TRUE(fs::exists(sound));
  EXPECT_EQ(takes->item(0)->text(), QStringLiteral("Take 2 (1.4 s)"));
}

// Rows added in the work area while the window is open are there when the
// user comes back to it, and the line at hand stays the same.
TEST_F(RecordWindowTest, RowsAddedMeanwhileAreListedOnComingBack) {
  RecordWindow* w = Open();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(w->GoToLine("order 2"));
  QWidget* work = h_.nav.Window(PageId::WorkArea);
  Find<QTabWidget>(work, "SSTab1")->setCurrentIndex(0);
  QApplication::setActiveWindow(work);
  ASSERT_TRUE(QTest::qWaitForWindowActive(work));
  Click(work, "Command1");  // "Add New Row..."
  QApplication::setActiveWindow(w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  auto* lines = Find<QListWidget>(w, "lstLines");
  EXPECT_EQ(lines->count(), 3 + 7 + 4);
  EXPECT_EQ(lines->item(2)->text(), QStringLiteral("Acknowledgements, row 3"));
  EXPECT_EQ(w->CurrentLine()->Key, "order 2");
  EXPECT_EQ(lines->currentRow(), 5);
}

TEST_F(RecordWindowTest, TheMeterShowsAndSaysTheLevelOfATakeInProgress) {
  RecordWindow* w = Open();
  ASSERT_NE(w, nullptr);
  auto* bar = Find<LevelBar>(w, "barLevel");
  EXPECT_EQ(bar->accessibleDescription(), QStringLiteral("Peak silent, RMS silent"));
  std::vector<std::int16_t> block;
  testing::AppendTone(block, 0.05, -0.5);
  w->Recorder().Start(1ull << 40);
  // Stamped later than the window's clock will be: the peak hasn't begun
  // to fall when the meter is read.
  w->Recorder().Add(block, 1e6);
  w->ShowLevel();
  EXPECT_EQ(bar->accessibleDescription(), QStringLiteral("Peak -1 dB, RMS -4 dB, clipped"));
  EXPECT_EQ(Find<QLabel>(w, "lblLevel")->text(), bar->accessibleDescription());
  w->Recorder().Stop();
}

}  // namespace
}  // namespace voxmire::test

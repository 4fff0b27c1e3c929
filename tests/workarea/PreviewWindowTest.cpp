// The preview window, opened from the work area as a user would: the menu
// it shows and the sequences it plays, with the sound player a fake that
// notes what it was told to play and when.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "project/BaseVoices.h"
#include "sounds/PackSounds.h"
#include "support/Harness.h"
#include "support/SilentWav.h"
#include "workarea/PreviewWindow.h"

namespace voxmire::test {
namespace {

std::string Wav(double seconds) { return testing::SilentWavSeconds(seconds); }

// A Male One pack with its own "Yes sir" (1.2 s, cut at 0.5 s) and red
// leader (1.4 s), and the stock "Roger".
struct PreviewedPack {
  Harness h;
  PreviewWindow* window = nullptr;

  PreviewedPack() {
    h.state.VoicePackName = "Pack";
    ApplyBaseVoice(kBaseVoices[0], h.state);
    h.state.Sounds = {"red", "yes"};
    WriteFile(PackSoundFile(h.places, "Pack", "yes"), Wav(1.2));
    WriteFile(PackSoundFile(h.places, "Pack", "red"), Wav(1.4));
    WorkAreaTables& t = h.state.Tables;
    t.Acks.CreateRows(2);
    t.Acks.SetCell(1, PhraseCell::Sound, "Sound'Pack.Pack.yes'");
    t.Acks.SetCell(1, PhraseCell::String, "Yes sir");
    t.Acks.SetTime(1, 0.5);
    t.Acks.SetCell(2, PhraseCell::Sound, "Sound'Male1Voice.(All).M1roger'");
    t.Acks.SetCell(2, PhraseCell::String, "Roger");
    t.Names[0] = "Sound'Pack.Pack.red'";
    t.NameTimes[2] = FixedTime{0, ""};  // as an imported class may have it
    t.Orders[0].Abbrev = "Guard";
    QWidget* page = h.Open(PageId::WorkArea);
    Click(page, "Command19");
    window = h.Window<PreviewWindow>(PageId::Preview);
  }
  template <typename T>
  T* Child(const char* name) {
    return Find<T>(window, name);
  }
  QStringList Schedule() {
    QStringList lines;
    auto* list = Child<QListWidget>("lstSchedule");
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
};

TEST(PreviewWindow, ShowsTheSpeechMenuAsTheGameBuildsIt) {
  PreviewedPack p;
  ASSERT_NE(p.window, nullptr);
  auto* menu = p.Child<QTreeWidget>("tvwMenu");
  ASSERT_EQ(menu->topLevelItemCount(), 5);
  QStringList categories;
  for (int i = 0; i < 5; ++i) categories << menu->topLevelItem(i)->text(0);
  EXPECT_EQ(categories,
            (QStringList{"Acknowledgements", "Friendly Fire", "Orders", "Taunts", "Others"}));
  QTreeWidgetItem* acks = menu->topLevelItem(0);
  ASSERT_EQ(acks->childCount(), 2);
  EXPECT_EQ(acks->child(1)->text(1), QStringLiteral("Roger"));
  // No friendly fire rows: the game offers none, whatever the base voice has.
  ASSERT_EQ(menu->topLevelItem(1)->childCount(), 1);
  EXPECT_TRUE(menu->topLevelItem(1)->child(0)->text(1).contains(QStringLiteral("no entries")));
  QTreeWidgetItem* orders = menu->topLevelItem(2);
  ASSERT_EQ(orders->childCount(), 5);
  EXPECT_EQ(orders->child(0)->text(1), QStringLiteral("Guard"));
  EXPECT_EQ(orders->child(1)->text(1), QStringLiteral("Hold this position.  [the base voice's]"));
  ASSERT_EQ(orders->child(2)->childCount(), 2);
  EXPECT_EQ(orders->child(2)->child(0)->text(0), QStringLiteral("Capture the Flag"));
  EXPECT_EQ(orders->child(2)->child(0)->text(1), QStringLiteral("Take their flag."));
  EXPECT_EQ(orders->child(2)->child(1)->text(1), QStringLiteral("Search and destroy."));
  EXPECT_EQ(menu->topLevelItem(4)->childCount(), 17);  // Male One's own others

  // Usable without a mouse: every control named, in a sensible order.
  EXPECT_EQ(p.Child<QComboBox>("cboAck")->accessibleName(), QStringLiteral("Acknowledgement:"));
  EXPECT_EQ(p.Child<QComboBox>("cboOrder")->accessibleName(), QStringLiteral("then the order:"));
  QApplication::setActiveWindow(p.window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(p.window));
  p.Child<QComboBox>("cboAck")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), p.Child<QComboBox>("cboAckLeader"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), p.Child<QPushButton>("cmdPlayAck"));
}

TEST(PreviewWindow, PlaysTheSecondPhraseAtTheFirstsTimeOnTheSamePlayer) {
  PreviewedPack p;
  ASSERT_NE(p.window, nullptr);
  FakePlayer& player = p.h.player;
  QElapsedTimer clock;
  clock.start();
  Click(p.window, "cmdPlayAck");  // "Yes sir", then the red leader
  ASSERT_EQ(player.played.size(), 1u);
  EXPECT_TRUE(player.played[0].endsWith(QStringLiteral("/Packs/Pack/Sounds/yes.wav")));
  EXPECT_EQ(p.Schedule(),
            (QStringList{"0.00 s: AckSound(0), \"Yes sir\", Sound'Pack.Pack.yes' (1.20 s), cut off "
                         "after 0.50 s",
                         "0.50 s: NameSound(0), \"Red Leader\", Sound'Pack.Pack.red' (1.40 s)"}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return player.played.size() == 2; }, 5000));
  EXPECT_GE(clock.elapsed(), 500);
  EXPECT_TRUE(player.played[1].endsWith(QStringLiteral("/Packs/Pack/Sounds/red.wav")));

  // A time of 0 ends the sequence: the order never plays.
  p.Child<QComboBox>("cboLeader")->setCurrentIndex(2);
  Click(p.window, "cmdPlayOrder");
  EXPECT_EQ(p.Child<QLabel>("lblEnds")->text(),
            QStringLiteral("NameTime(2) is 0: the order never follows."));
  EXPECT_EQ(p.Schedule().size(), 1);
  EXPECT_FALSE(p.window->Player().Pending());

  // Without the game's package a stock sound can't be heard: silence, on time.
  p.Child<QComboBox>("cboAck")->setCurrentIndex(1);
  const std::size_t before = player.played.size();
  Click(p.window, "cmdPlayAck");
  EXPECT_TRUE(p.Schedule()[0].startsWith(QStringLiteral("0.00 s: AckSound(1), \"Roger\"")));
  EXPECT_TRUE(p.Schedule()[1].startsWith(QStringLiteral("0.81 s: NameSound(0)")));
  EXPECT_EQ(player.played.size(), before);
  ASSERT_TRUE(QTest::qWaitFor([&] { return player.played.size() == before + 1; }, 5000));

  // No sound output: said, and nothing started.
  player.output = false;
  p.h.dialogs.messages.clear();
  Click(p.window, "cmdPlayAck");
  ASSERT_EQ(p.h.dialogs.messages.size(), 1u);
  EXPECT_EQ(p.h.dialogs.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(p.window->Player().Pending());
}

}  // namespace
}  // namespace voxmire::test

// Recording through the program's own code from a real sound server: a
// private PulseAudio whose microphone hears what is played into its room.
// The tests play speech made with espeak-ng and check the takes against it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

#include "core/Files.h"
#include "project/Ini.h"
#include "project/ProjectFile.h"
#include "record/AudioInput.h"
#include "record/LevelBar.h"
#include "record/RecordWindow.h"
#include "record/SpeechCheck.h"
#include "sounds/PackSounds.h"
#include "support/Harness.h"
#include "support/PulseServer.h"

namespace voxmire::test {
namespace {

namespace fs = std::filesystem;

class RecordPulseTest : public ::testing::Test {
 protected:
  // One server for the suite; it goes when the suite ends, failed or not.
  static void SetUpTestSuite() { server_ = std::make_unique<PulseServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(server_->Started()) << server_->Problem();
    ASSERT_TRUE(testing::Speak(speech_, "got it, I am on my way")) << "espeak-ng makes the speech";
    h_.state.VoicePackName = "MyPack";
    h_.state.Tables.Acks.CreateRows(1);
    h_.state.Tables.Acks.SetCell(1, PhraseCell::String, "Got it");
    h_.state.Tables.Orders[2].String = "Attack";
  }

  RecordWindow* Open() {
    QWidget* work = h_.Open(PageId::WorkArea);
    Click(work, "cmdRecordLines");
    auto* window = h_.Window<RecordWindow>(PageId::Recorder);
    if (window != nullptr) {
      EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    return window;
  }

  // Space, the speech into the room, a moment of room tone, Space.
  void RecordSpeech(RecordWindow* w) {
    QTest::keyClick(w, Qt::Key_Space);
    ASSERT_TRUE(w->Taking()) << Find<QLabel>(w, "lblStatus")->text().toStdString();
    ASSERT_TRUE(server_->Play(speech_));
    QElapsedTimer after;
    after.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return after.elapsed() >= 300; }));
    QTest::keyClick(w, Qt::Key_Space);
    EXPECT_FALSE(w->Taking());
  }

  static std::unique_ptr<PulseServer> server_;
  Harness h_;
  fs::path speech_ = h_.root / "speech.wav";
};

std::unique_ptr<PulseServer> RecordPulseTest::server_;

TEST_F(RecordPulseTest, ALineIsRecordedFromTheMicrophoneAndARetakeKeepsTheFirst) {
  RecordWindow* w = Open();
  ASSERT_NE(w, nullptr);
  // The remapped microphone is offered, the room's monitor is not.
  auto* inputs = Find<QComboBox>(w, "cboInput");
  ASSERT_EQ(inputs->count(), 1);
  EXPECT_EQ(inputs->currentText(), QString::fromLatin1(PulseServer::kMicrophoneName));
  EXPECT_FALSE(Find<QLabel>(w, "lblNoInput")->isVisible());

  // The meter moves while the speech plays.
  auto* bar = Find<LevelBar>(w, "barLevel");
  double loudest = LevelMeter::kFloorDb;
  QObject probe;
  QTimer sample;
  QObject::connect(&sample, &QTimer::timeout, &probe,
                   [&] { loudest = std::max(loudest, bar->Reading().PeakDb); });
  sample.start(20);
  RecordSpeech(w);
  sample.stop();
  ASSERT_FALSE(HasFailure());
  EXPECT_GT(loudest, -30.0);
  EXPECT_TRUE(h_.dialogs.messages.empty());

  // The take as recorded, and the pack's sound: the same words, as long as
  // the speech once trimmed.
  const fs::path takes = PackTakesDir(h_.places, "MyPack");
  const auto take = testing::ReadAudio(takes / "ack_0_got_it_take1.wav");
  ASSERT_TRUE(take);
  EXPECT_EQ(take->info.samplerate, 48000);
  const auto original = testing::Trimmed(speech_, h_.root / "trimmed.wav");
  const auto sound = testing::ReadAudio(PackSoundFile(h_.places, "MyPack", "ack_0_got_it"));
  ASSERT_TRUE(original && sound);
  EXPECT_EQ(sound->info.samplerate, 22050);
  EXPECT_NEAR(static_cast<double>(sound->info.frames) / 22050,
              static_cast<double>(original->info.frames) / 22050, 0.050);
  EXPECT_GT(testing::EnvelopeCorrelation(testing::Envelope(original->first, 22050),
                                         testing::Envelope(sound->first, 22050)),
            0.9);
  EXPECT_GT(testing::EnvelopeCorrelation(testing::Envelope(original->first, 22050),
                                         testing::Envelope(take->first, 48000)),
            0.9);

  // The row points at it; the work area shows it; the project keeps it.
  EXPECT_EQ(h_.state.Tables.Acks.Cell(1, PhraseCell::Sound), "Sound'MyPack.MyPack.ack_0_got_it'");
  auto* acks = Find<QTableView>(h_.nav.Window(PageId::WorkArea), "tblAck");
  EXPECT_EQ(acks->model()->index(0, 0).data().toString(),
            QStringLiteral("Sound'MyPack.MyPack.ack_0_got_it'"));
  // (The row's Time follows from the sound here once the work area has it.)
  ASSERT_TRUE(h_.keeper.Flush());
  const ProjectRead saved = ReadProjectFile(ProjectFilePath(h_.places, "MyPack"));
  ASSERT_TRUE(saved.state) << saved.problem;
  EXPECT_EQ(saved.state->Takes, h_.state.Takes);
  EXPECT_EQ(saved.state->Sounds, (std::vector<std::string>{"ack_0_got_it"}));

  // R records the line again; the first take stays.
  const std::string firstTake = ReadFile(takes / "ack_0_got_it_take1.wav");
  QTest::keyClick(w, Qt::Key_R);
  ASSERT_TRUE(w->Taking());
  ASSERT_TRUE(server_->Play(speech_));
  QTest::keyClick(w, Qt::Key_Space);
  EXPECT_EQ(ReadFile(takes / "ack_0_got_it_take1.wav"), firstTake);
  EXPECT_TRUE(fs::exists(takes / "ack_0_got_it_take2.wav"));
  EXPECT_EQ(Find<QListWidget>(w, "lstTakes")->count(), 2);
  EXPECT_EQ(h_.state.Takes[0].Used, "ack_0_got_it_take2.wav");
}

// Closing a stream runs the event loop while the sound server lets it go,
// and the input's own timer may come due then: it must find nothing open.
// Stops fall at every point of the timer's 50 ms round.
TEST_F(RecordPulseTest, StoppingNeverReadsTheStreamBeingClosed) {
  AudioInput input;
  const QByteArray device = input.DefaultDevice();
  ASSERT_FALSE(device.isEmpty());
  std::size_t samples = 0;
  for (int delay = 0; delay < 100; delay += 3) {
    ASSERT_TRUE(input.Start(device, [&](std::span<const std::int16_t> block) {
      samples += block.size();
    })) << input.Problem().toStdString();
    QTest::qWait(delay);
    input.Stop();
    EXPECT_FALSE(input.Active());
  }
  EXPECT_GT(samples, 0u);
}

TEST_F(RecordPulseTest, EscapeKeepsATakeInProgressAndCloses) {
  RecordWindow* w = Open();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(w->GoToLine("name 0"));
  QTest::keyClick(w, Qt::Key_Space);
  ASSERT_TRUE(w->Taking());
  ASSERT_TRUE(server_->Play(speech_));
  QTest::keyClick(w, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !h_.nav.IsOpen(PageId::Recorder); }));
  const auto take =
      testing::ReadAudio(PackTakesDir(h_.places, "MyPack") / "name_red_leader_take1.wav");
  ASSERT_TRUE(take);
  EXPECT_GT(take->info.frames, 48000);
  EXPECT_EQ(h_.state.Tables.Names[0], "Sound'MyPack.MyPack.name_red_leader'");
  EXPECT_EQ(Find<QLineEdit>(h_.nav.Window(PageId::WorkArea), "txtRedLeader")->text(),
            QStringLiteral("Sound'MyPack.MyPack.name_red_leader'"));
}

TEST_F(RecordPulseTest, AMicrophoneThatGoesMidTakeLeavesWhatWasRecordedAndComesBack) {
  RecordWindow* w = Open();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(w->GoToLine("order 2"));
  auto* inputs = Find<QComboBox>(w, "cboInput");
  Q_EMIT inputs->activated(0);  // chosen by the user: remembered
  EXPECT_EQ(ReadIniValue("Config", "RecordInput", h_.ctx.PrefsIni()), PulseServer::kMicrophone);
  QTest::keyClick(w, Qt::Key_Space);
  ASSERT_TRUE(w->Taking());
  // Half a second of the room, then the microphone is pulled.
  QElapsedTimer recorded;
  recorded.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w->Recorder().Seconds() >= 0.5; }, 5000));
  ASSERT_TRUE(server_->UnplugMicrophone());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w->Taking(); }, 5000));
  ASSERT_EQ(h_.dialogs.messages.size(), 1u);
  EXPECT_TRUE(h_.dialogs.messages[0].text.startsWith(
      QStringLiteral("The input went away during the take.")));
  const auto take =
      testing::ReadAudio(PackTakesDir(h_.places, "MyPack") / "order_2_attack_take1.wav");
  ASSERT_TRUE(take);
  const double seconds = static_cast<double>(take->info.frames) / 48000;
  EXPECT_GE(seconds, 0.45);
  EXPECT_LE(seconds, recorded.elapsed() / 1000.0 + 0.1);
  EXPECT_EQ(h_.state.Tables.Orders[2].Sound, "Sound'MyPack.MyPack.order_2_attack'");

  // No input now: the window says so; the microphone back, it is chosen again.
  EXPECT_TRUE(QTest::qWaitFor([&] { return Find<QLabel>(w, "lblNoInput")->isVisible(); }, 5000));
  EXPECT_FALSE(Find<QPushButton>(w, "cmdRecord")->isEnabled());
  ASSERT_TRUE(server_->PlugMicrophone());
  EXPECT_TRUE(QTest::qWaitFor([&] { return inputs->count() == 1; }, 5000));
  EXPECT_FALSE(Find<QLabel>(w, "lblNoInput")->isVisible());
  EXPECT_TRUE(Find<QPushButton>(w, "cmdRecord")->isEnabled());
}

}  // namespace
}  // namespace voxmire::test

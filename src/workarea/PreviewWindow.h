#pragma once
// frmPreview: the pack as a player meets it. The speech menu the game builds
// from the pack, and the two phrase sequences played with the pack's times:
// an acknowledgement then a leader's name, a leader's name then an order.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/Page.h"
#include "workarea/GameVoice.h"
#include "workarea/Preview.h"

class QComboBox;
class QLabel;
class QListWidget;
class QTemporaryDir;
class QTimer;
class QTreeWidget;

namespace voxmire {

class GameSoundLengths;
class SoundPlayer;

// Plays a phrase sequence on one player as the game does: each phrase at its
// start, on the same player, so that it stops the one before.
class PhrasePlayer : public QObject {
  Q_OBJECT
 public:
  // The file a phrase's sound plays from; nothing plays silence.
  using FileFor = std::function<std::optional<QString>(const ScheduledPhrase&)>;

  PhrasePlayer(SoundPlayer& player, QObject* parent = nullptr);
  // Stops what an earlier Play had still to start, then starts this one.
  void Play(const PhraseSequence& sequence, const FileFor& fileFor);
  void Stop();
  bool Pending() const { return !timers_.empty(); }

 private:
  SoundPlayer& player_;
  std::vector<QTimer*> timers_;
};

class PreviewWindow : public Page {
  Q_OBJECT
 public:
  explicit PreviewWindow(AppContext& ctx);
  ~PreviewWindow() override;

  // What the game stores for the pack, which the window shows.
  const VoiceDefaults& Pack() const { return pack_; }
  const PhraseSequence& Sequence() const { return sequence_; }
  PhrasePlayer& Player() { return *phrases_; }

 private:
  void FillMenu(const std::vector<MenuCategory>& menu);
  void PlayAckThenName();
  void PlayNameThenOrder();
  void Show(PhraseSequence sequence);
  std::optional<QString> FileFor(const ScheduledPhrase& phrase);

  std::unique_ptr<GameSoundLengths> lengths_;
  VoiceDefaults pack_;
  PhraseSequence sequence_;
  PhrasePlayer* phrases_;
  QTreeWidget* menu_;
  QComboBox* ack_;
  QComboBox* ackLeader_;
  QComboBox* leader_;
  QComboBox* order_;
  QListWidget* schedule_;
  QLabel* ends_;
  // Sounds taken out of the game's packages; removed with the window.
  std::unique_ptr<QTemporaryDir> extracted_;
};

}  // namespace voxmire

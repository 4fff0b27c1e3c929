#pragma once
// Plays a .wav file. The pages give it a full path and are told whether
// playing could start; whether it returns before the sound ends is the
// player's affair.
#include <QString>
#include <memory>

class QSoundEffect;

namespace voxmire {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // False when the file is missing, unreadable or not a sound it can play.
  virtual bool Play(const QString& path) = 0;
  // False when the machine has no audio output: playing would show nothing
  // and make no sound, so the pages say so instead.
  virtual bool HasOutput() const { return true; }
};

// The box the pages show when there is no audio output to play on.
QString NoOutputTitle();
QString NoOutputText();

// Qt Multimedia's QSoundEffect behind the interface: it plays uncompressed
// PCM .wav files without blocking.
class QtSoundPlayer : public SoundPlayer {
 public:
  QtSoundPlayer();
  ~QtSoundPlayer() override;
  bool Play(const QString& path) override;
  bool HasOutput() const override;

 private:
  std::unique_ptr<QSoundEffect> effect_;
};

}  // namespace voxmire

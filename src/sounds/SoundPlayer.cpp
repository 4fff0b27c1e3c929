#include "SoundPlayer.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QObject>
#include <QSoundEffect>
#include <QUrl>

namespace voxmire {
namespace {

// QSoundEffect only reports a bad file later, from the event loop; the page
// needs the answer now, so the header is read here first.
bool LooksPlayable(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(12);
  return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

}  // namespace

QString NoOutputTitle() { return QObject::tr("No sound output"); }

QString NoOutputText() {
  return QObject::tr(
      "This computer has no audio output device, so the sound can't be played.\rConnect or turn "
      "on speakers or headphones (or start the sound system), then play it again.");
}

bool QtSoundPlayer::HasOutput() const { return !QMediaDevices::audioOutputs().isEmpty(); }

QtSoundPlayer::QtSoundPlayer() : effect_(std::make_unique<QSoundEffect>()) {}

QtSoundPlayer::~QtSoundPlayer() = default;

bool QtSoundPlayer::Play(const QString& path) {
  if (!LooksPlayable(path)) return false;
  effect_->stop();
  effect_->setSource(QUrl::fromLocalFile(path));
  effect_->play();
  return effect_->status() != QSoundEffect::Error;
}

}  // namespace voxmire

#include "record/AudioInput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>
#include <cstring>
#include <utility>

#include "record/TakeRecorder.h"

namespace voxmire {
namespace {

QAudioFormat TakeFormat() {
  QAudioFormat format;
  format.setSampleRate(TakeRecorder::kRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  return format;
}

QList<QByteArray> Ids(const QList<QAudioDevice>& devices) {
  QList<QByteArray> ids;
  for (const QAudioDevice& device : devices) ids << device.id();
  return ids;
}

}  // namespace

AudioInput::AudioInput(QObject* parent)
    : QObject(parent), devices_(std::make_unique<QMediaDevices>()) {
  knownIds_ = Ids(QMediaDevices::audioInputs());
  connect(devices_.get(), &QMediaDevices::audioInputsChanged, this, &AudioInput::CheckDevices);
  // The sound server doesn't tell of every change, and a recording whose
  // device goes is moved to another one without a word: look for ourselves,
  // and pull the samples at a steady pace besides.
  watch_.setInterval(50);
  connect(&watch_, &QTimer::timeout, this, [this] {
    CheckDevices();
    Pull();
  });
  watch_.start();
}

AudioInput::~AudioInput() { Release(); }

QList<InputDevice> AudioInput::Devices() const {
  QList<InputDevice> list;
  for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
    list.push_back({device.id(), device.description()});
  }
  return list;
}

QByteArray AudioInput::DefaultDevice() const {
  const QAudioDevice device = QMediaDevices::defaultAudioInput();
  return device.isNull() ? QByteArray() : device.id();
}

bool AudioInput::Start(const QByteArray& id, Sink sink) {
  Release();
  problem_.clear();
  QAudioDevice chosen;
  for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
    if (device.id() == id) chosen = device;
  }
  if (chosen.isNull()) {
    problem_ = tr("The input is no longer there.");
    return false;
  }
  const QAudioFormat format = TakeFormat();
  if (!chosen.isFormatSupported(format)) {
    problem_ = tr("The input \"%1\" can't record 48 kHz mono sound.").arg(chosen.description());
    return false;
  }
  source_ = std::make_unique<QAudioSource>(chosen, format);
  io_ = source_->start();
  if (io_ == nullptr || source_->error() != QAudio::NoError) {
    problem_ = tr("The input \"%1\" could not be opened.").arg(chosen.description());
    Release();
    return false;
  }
  activeId_ = id;
  sink_ = std::move(sink);
  connect(io_, &QIODevice::readyRead, this, &AudioInput::Pull);
  // Queued: the source must not be deleted inside its own signal.
  connect(
      source_.get(), &QAudioSource::stateChanged, this,
      [this](QAudio::State state) {
        if (state == QAudio::StoppedState && source_ && source_->error() != QAudio::NoError) {
          Release();
          Q_EMIT DeviceLost();
        }
      },
      Qt::QueuedConnection);
  return true;
}

void AudioInput::Pull() {
  if (io_ == nullptr || !sink_) return;
  QByteArray bytes = odd_ + io_->readAll();
  odd_.clear();
  if (bytes.size() % 2 != 0) {
    odd_ = bytes.right(1);
    bytes.chop(1);
  }
  if (bytes.isEmpty()) return;
  block_.resize(static_cast<std::size_t>(bytes.size()) / 2);
  std::memcpy(block_.data(), bytes.constData(), static_cast<std::size_t>(bytes.size()));
  sink_(block_);
}

void AudioInput::Stop() {
  Pull();
  Release();
}

void AudioInput::Release() {
  // Stopping and deleting the stream run the event loop while the sound
  // server lets it go: the timer's pull, or a Release() of its own, that
  // comes due meanwhile must find nothing open.
  const std::unique_ptr<QAudioSource> source = std::move(source_);
  io_ = nullptr;
  sink_ = nullptr;
  activeId_.clear();
  odd_.clear();
  if (source) {
    // An open stream must be stopped before it goes, or the sound server's
    // client library trips over it when the program ends.
    disconnect(source.get(), nullptr, this, nullptr);
    source->stop();
  }
}

void AudioInput::CheckDevices() {
  const QList<QByteArray> ids = Ids(QMediaDevices::audioInputs());
  if (ids == knownIds_) return;
  knownIds_ = ids;
  if (Active() && !ids.contains(activeId_)) {
    // What came before the loss is the take; the server may have moved the
    // stream to another input since, so nothing more is read.
    Release();
    Q_EMIT DevicesChanged();
    Q_EMIT DeviceLost();
    return;
  }
  Q_EMIT DevicesChanged();
}

}  // namespace voxmire

#pragma once
// The system's audio inputs through Qt Multimedia, and one recording at a
// time from one of them, handed on as blocks of 48 kHz mono 16-bit samples.
// It decides nothing: the take model does.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QAudioSource;
class QIODevice;
class QMediaDevices;

namespace voxmire {

struct InputDevice {
  QByteArray id;
  QString description;
};

class AudioInput : public QObject {
  Q_OBJECT
 public:
  using Sink = std::function<void(std::span<const std::int16_t>)>;

  explicit AudioInput(QObject* parent = nullptr);
  ~AudioInput() override;

  // The inputs the system offers now, and the one it records from unless
  // told otherwise (empty when there is none).
  QList<InputDevice> Devices() const;
  QByteArray DefaultDevice() const;

  // Records from the device, handing every block to `sink`. False, with
  // Problem(), when the device is gone or won't record.
  bool Start(const QByteArray& id, Sink sink);
  // Hands on what the device still holds, then stops.
  void Stop();
  bool Active() const { return source_ != nullptr; }
  const QByteArray& ActiveDevice() const { return activeId_; }
  const QString& Problem() const { return problem_; }

 Q_SIGNALS:
  // The list of inputs changed.
  void DevicesChanged();
  // The device being recorded from went away; recording has stopped.
  void DeviceLost();

 private:
  void Pull();
  void CheckDevices();
  void Release();

  std::unique_ptr<QMediaDevices> devices_;
  std::unique_ptr<QAudioSource> source_;
  QIODevice* io_ = nullptr;
  QByteArray activeId_;
  Sink sink_;
  QString problem_;
  QList<QByteArray> knownIds_;
  QTimer watch_;
  std::vector<std::int16_t> block_;
  QByteArray odd_;  // a byte left over from a block of odd length
};

}  // namespace voxmire

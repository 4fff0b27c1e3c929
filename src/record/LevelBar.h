#pragma once
// The recording level: a bar for the RMS level, a line for the peak and a
// mark at the clip level, from -60 to 0 dBFS. Its accessible description
// says the numbers, for a screen reader.
#include <QWidget>

#include "record/TakeRecorder.h"

namespace voxmire {

class LevelBar : public QWidget {
  Q_OBJECT
 public:
  explicit LevelBar(QWidget* parent = nullptr);

  void SetReading(const LevelReading& reading);
  const LevelReading& Reading() const { return reading_; }
  // "Peak -12 dB, RMS -20 dB" and ", clipped" when it is.
  static QString Describe(const LevelReading& reading);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  LevelReading reading_;
};

}  // namespace voxmire

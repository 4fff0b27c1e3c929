#include "record/LevelBar.h"

#include <QPainter>
#include <cmath>

namespace voxmire {
namespace {

// Where `db` falls along `width` pixels.
int Position(double db, int width) {
  const double share = (db - LevelMeter::kFloorDb) / -LevelMeter::kFloorDb;
  return static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * width));
}

}  // namespace

LevelBar::LevelBar(QWidget* parent) : QWidget(parent) {
  setAccessibleName(tr("Level"));
  setAccessibleDescription(Describe(reading_));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString LevelBar::Describe(const LevelReading& reading) {
  const auto db = [](double value) {
    return value <= LevelMeter::kFloorDb ? tr("silent") : tr("%1 dB").arg(std::lround(value));
  };
  QString text = tr("Peak %1, RMS %2").arg(db(reading.PeakDb), db(reading.RmsDb));
  if (reading.Clipped) text += tr(", clipped");
  return text;
}

void LevelBar::SetReading(const LevelReading& reading) {
  const bool same = reading.PeakDb == reading_.PeakDb && reading.RmsDb == reading_.RmsDb &&
                    reading.Clipped == reading_.Clipped;
  if (same) return;
  reading_ = reading;
  const QString description = Describe(reading);
  if (description != accessibleDescription()) setAccessibleDescription(description);
  update();
}

QSize LevelBar::sizeHint() const { return {320, fontMetrics().height() + 8}; }
QSize LevelBar::minimumSizeHint() const { return {160, fontMetrics().height() + 8}; }

void LevelBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect area = rect().adjusted(0, 0, -1, -1);
  const int w = area.width();
  p.fillRect(area, palette().color(QPalette::Base));

  // The RMS bar: green, amber from -12 dB, red past the clip mark.
  const int rms = Position(reading_.RmsDb, w);
  const int amber = Position(-12.0, w);
  const int clip = Position(LevelMeter::kClipDb, w);
  const int h = area.height();
  p.fillRect(QRect(area.left(), area.top(), std::min(rms, amber), h), QColor(60, 170, 80));
  if (rms > amber)
    p.fillRect(QRect(amber, area.top(), std::min(rms, clip) - amber, h), QColor(230, 170, 40));
  if (rms > clip) p.fillRect(QRect(clip, area.top(), rms - clip, h), QColor(210, 50, 40));

  // The peak line, and the clip mark (filled once the take has clipped).
  p.setPen(QPen(palette().color(QPalette::Text), 2));
  const int peak = Position(reading_.PeakDb, w);
  if (reading_.PeakDb > LevelMeter::kFloorDb) p.drawLine(peak, area.top(), peak, area.bottom());
  const QRect mark(clip, area.top(), area.right() - clip, h);
  if (reading_.Clipped) p.fillRect(mark, QColor(210, 50, 40));
  p.setPen(QPen(QColor(210, 50, 40), 1));
  p.drawRect(mark);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(area);
}

}  // namespace voxmire

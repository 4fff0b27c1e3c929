#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <algorithm>

namespace voxmire {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

struct DepthGuard {
  explicit DepthGuard(int& d) : depth(d) { ++depth; }
  ~DepthGuard() { --depth; }
  int& depth;
};

}  // namespace

void PrepareMessageBox(QMessageBox& box, const QString& title, const QString& text,
                       MessageIcon icon) {
  const QString shown = QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  box.setWindowTitle(title);
  box.setIcon(ToQtIcon(icon));
  box.setTextFormat(Qt::PlainText);
  box.setText(shown);
  box.setStandardButtons(QMessageBox::Ok);
  // Paths in a report read badly when broken in the middle: give long lines room.
  int longest = 0;
  for (const QString& line : shown.split(QLatin1Char('\n')))
    longest = std::max<int>(longest, line.size());
  if (longest > 60) {
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: %1px; }")
                          .arg(std::min(longest, 110) * box.fontMetrics().averageCharWidth()));
  }
}

void QtDialogs::Message(QWidget* parent, const QString& title, const QString& text,
                        MessageIcon icon) {
  DepthGuard guard(depth_);
  QMessageBox box(parent);
  PrepareMessageBox(box, title, text, icon);
  box.exec();
}

bool QtDialogs::Confirm(QWidget* parent, const QString& title, const QString& text,
                        MessageIcon icon) {
  DepthGuard guard(depth_);
  QMessageBox box(parent);
  PrepareMessageBox(box, title, text, icon);
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::Input(QWidget* parent, const QString& title,
                                        const QString& prompt) {
  DepthGuard guard(depth_);
  QInputDialog dialog(parent);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setTextValue(QString());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

std::optional<QString> QtDialogs::OpenFile(QWidget* parent, const QString& title,
                                           const QString& dir) {
  DepthGuard guard(depth_);
  const QString file =
      QFileDialog::getOpenFileName(parent, title, dir, QObject::tr("All files (*)"));
  if (file.isEmpty()) return std::nullopt;
  return file;
}

}  // namespace voxmire

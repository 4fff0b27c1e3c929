#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

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
                                           const QString& dir, const QStringList& filters) {
  DepthGuard guard(depth_);
  // Qt's own dialog rather than the desktop's: it works by keyboard alone and
  // tells a screen reader what it shows.
  QFileDialog dialog(parent, title, dir);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(filters.isEmpty() ? QStringList{QObject::tr("All files (*)")} : filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

std::optional<int> QtDialogs::Choose(QWidget* parent, const QString& title, const QString& text,
                                     const QStringList& choices, MessageIcon icon) {
  DepthGuard guard(depth_);
  QMessageBox box(parent);
  PrepareMessageBox(box, title, text, icon);
  box.setStandardButtons(QMessageBox::NoButton);
  std::vector<QAbstractButton*> buttons;
  for (const QString& choice : choices) {
    buttons.push_back(box.addButton(choice, QMessageBox::AcceptRole));
  }
  box.setEscapeButton(box.addButton(QMessageBox::Cancel));
  box.exec();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

}  // namespace voxmire

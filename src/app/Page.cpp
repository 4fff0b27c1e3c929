#include "Page.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "app/AppContext.h"
#include "app/Navigator.h"
#include "app/Shell.h"

namespace voxmire {

QFont PageFont() {
  QFont font(QStringLiteral("Verdana"));
  font.setPointSize(9);
  return font;
}

void Name(QWidget* widget, const QString& objectName, const QString& accessibleName) {
  widget->setObjectName(objectName);
  if (!accessibleName.isEmpty()) {
    QString plain = accessibleName;
    plain.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    plain.remove(QLatin1Char('&'));
    plain.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    widget->setAccessibleName(plain);
  }
}

QPushButton* NamedButton(const QString& caption, const QString& objectName,
                         const QString& accessibleName) {
  auto* button = new QPushButton(caption);
  Name(button, objectName, accessibleName.isEmpty() ? caption : accessibleName);
  return button;
}

void Buddy(QLabel* label, QWidget* field) {
  label->setBuddy(field);
  QString text = label->text();
  text.remove(QLatin1Char('&'));
  field->setAccessibleName(text.trimmed());
}

void KeepShownSizeAsMinimum(QWidget* window) {
  if (window->property("voxmireSized").toBool()) return;
  window->setProperty("voxmireSized", true);
  window->setMinimumSize(window->size().expandedTo(window->minimumSizeHint()));
}

bool PressOnEnter(QWidget* window, QKeyEvent* event, QPushButton* defaultButton) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
  // Outside a dialog a focused button ignores Enter: it comes here.
  auto* focused = qobject_cast<QPushButton*>(window->focusWidget());
  QPushButton* pressed = focused != nullptr ? focused : defaultButton;
  if (pressed == nullptr || !pressed->isEnabled() || !pressed->isVisible()) return false;
  pressed->click();
  return true;
}

void Page::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  KeepShownSizeAsMinimum(this);
}

void Page::keyPressEvent(QKeyEvent* event) {
  if (PressOnEnter(this, event, defaultButton_)) return;
  QMainWindow::keyPressEvent(event);
}

Page::Page(AppContext& ctx, const QString& objectName, const QString& caption) : ctx_(ctx) {
  setObjectName(objectName);
  setWindowTitle(caption);
  setFont(PageFont());
}

QMenu* Page::AddFileMenu(const SharedMenus& menus) {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->setObjectName(menus.fileMenuName);
  QAction* quit = file->addAction(tr("&Quit"));
  quit->setObjectName(menus.quitName);
  connect(quit, &QAction::triggered, this, [this] { ctx_.nav.Quit(); });
  return file;
}

QMenu* Page::AddHelpMenu(const SharedMenus& menus) {
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->setObjectName(QStringLiteral("mnuHelp"));
  QAction* web = help->addAction(menus.websiteCaption);
  web->setObjectName(menus.websiteName);
  connect(web, &QAction::triggered, this, [this] { ctx_.shell.Open(ProductWebPage()); });
  QAction* about = help->addAction(menus.aboutCaption);
  about->setObjectName(QStringLiteral("mnuAbout"));
  if (menus.aboutOpensWebPage) {
    connect(about, &QAction::triggered, this, [this] { ctx_.shell.Open(ProductWebPage()); });
  } else {
    connect(about, &QAction::triggered, this, [this] { ctx_.nav.Open(PageId::About); });
  }
  return help;
}

void Page::AddSharedMenus(const SharedMenus& menus) {
  AddFileMenu(menus);
  AddHelpMenu(menus);
}

}  // namespace voxmire

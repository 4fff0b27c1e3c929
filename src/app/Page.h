#pragma once
// Common ground of the wizard's windows: the Verdana font, the object name,
// the caption, and the File and Help menus that every page carries.
#include <QMainWindow>
#include <QString>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace voxmire {

struct AppContext;

// All page text is Verdana; the system substitutes where it is missing.
QFont PageFont();

// Gives the widget its object name and its accessible name.
void Name(QWidget* widget, const QString& objectName, const QString& accessibleName = QString());

// A button with its caption, object name and accessible name (the caption
// without its accelerator mark unless another is given).
QPushButton* NamedButton(const QString& caption, const QString& objectName,
                         const QString& accessibleName = QString());

// Makes the size `window` shows at its smallest size, once: layouts give a
// window with wrapped labels a minimum at which those labels are cut off.
void KeepShownSizeAsMinimum(QWidget* window);

// Sets `label` as the buddy of `field` and names the field after the label.
void Buddy(QLabel* label, QWidget* field);

// Enter in a window that no control took for itself: presses the focused
// button, else `defaultButton` (when there is one), as a dialog's default
// button works. True when the key was used.
bool PressOnEnter(QWidget* window, QKeyEvent* event, QPushButton* defaultButton);

// The captions and object names of the shared menus, which differ slightly
// from window to window.
struct SharedMenus {
  QString fileMenuName = QStringLiteral("mnuFile");
  QString quitName = QStringLiteral("mnuQuit");
  QString websiteCaption = QStringLiteral("Harkline Website...");
  QString websiteName = QStringLiteral("mnuWebsite");
  QString aboutCaption = QStringLiteral("About");
  bool aboutOpensWebPage = false;  // the compile page's About opens the web page
};

class Page : public QMainWindow {
  Q_OBJECT
 public:
  Page(AppContext& ctx, const QString& objectName, const QString& caption);

 protected:
  // Adds "&File" with "&Quit"; the Help menu comes with AddHelpMenu so that a
  // page can put its own menus between the two.
  QMenu* AddFileMenu(const SharedMenus& menus);
  QMenu* AddHelpMenu(const SharedMenus& menus);
  void AddSharedMenus(const SharedMenus& menus = SharedMenus());
  // The button Enter presses: the page's "Next ->".
  void SetDefaultButton(QPushButton* button) { defaultButton_ = button; }
  // The size the page first shows at becomes its smallest: at that size
  // nothing of it is cut off, wrapped texts included.
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

  AppContext& ctx_;

 private:
  QPushButton* defaultButton_ = nullptr;
};

}  // namespace voxmire

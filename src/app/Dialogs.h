#pragma once
// Every message box, the input dialog and the file dialog go through this
// interface, so that the pages can be driven by tests without real modal
// boxes.
#include <QString>
#include <QStringList>
#include <optional>

class QMessageBox;
class QWidget;

namespace voxmire {

enum class MessageIcon { None, Information, Exclamation, Critical };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal box with one OK button. Lines of `text` are separated by CR.
  virtual void Message(QWidget* parent, const QString& title, const QString& text,
                       MessageIcon icon) = 0;
  // A modal question with Yes and No (No the default); true on Yes.
  virtual bool Confirm(QWidget* parent, const QString& title, const QString& text,
                       MessageIcon icon) = 0;
  // A modal input dialog with OK and Cancel and an empty entry; nothing on Cancel.
  virtual std::optional<QString> Input(QWidget* parent, const QString& title,
                                       const QString& prompt) = 0;
  // A modal open-file dialog starting in `dir`, listing the files that match
  // one of `filters` ("VoicePacks (*.voxmire)"), or all files when there are
  // none; nothing on Cancel.
  virtual std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& dir,
                                          const QStringList& filters = {}) = 0;
  // A modal question with one button per choice; the index of the choice,
  // or nothing when the box was closed without one (Escape).
  virtual std::optional<int> Choose(QWidget* parent, const QString& title, const QString& text,
                                    const QStringList& choices, MessageIcon icon) = 0;
  // True while one of the boxes above is open (a window that keeps itself in
  // front must stay beneath it).
  virtual bool ModalOpen() const = 0;
};

// Dresses a message box as the program's boxes look: the icon, the text
// (CR-separated lines shown as lines) and room for long paths.
void PrepareMessageBox(QMessageBox& box, const QString& title, const QString& text,
                       MessageIcon icon);

// The real boxes.
class QtDialogs : public Dialogs {
 public:
  void Message(QWidget* parent, const QString& title, const QString& text,
               MessageIcon icon) override;
  bool Confirm(QWidget* parent, const QString& title, const QString& text,
               MessageIcon icon) override;
  std::optional<QString> Input(QWidget* parent, const QString& title,
                               const QString& prompt) override;
  std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& dir,
                                  const QStringList& filters) override;
  std::optional<int> Choose(QWidget* parent, const QString& title, const QString& text,
                            const QStringList& choices, MessageIcon icon) override;
  bool ModalOpen() const override { return depth_ > 0; }

 private:
  int depth_ = 0;
};

}  // namespace voxmire

#pragma once
// Form2: the voice pack's name, author, product, readme and game directory.
#include "app/Page.h"

class QLineEdit;

namespace voxmire {

class InfoPage : public Page {
  Q_OBJECT
 public:
  explicit InfoPage(AppContext& ctx);
  // Where the game directory chooser puts its choice.
  void SetGameDirectory(const QString& dir);

 private:
  void Next();
  void ChooseReadme();

  QLineEdit* utDir_;
  QLineEdit* name_;
  QLineEdit* authorName_;
  QLineEdit* authorUrl_;
  QLineEdit* productName_;
  QLineEdit* productUrl_;
  QLineEdit* readme_;
};

}  // namespace voxmire

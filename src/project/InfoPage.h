#pragma once
// Form2: the voice pack's name, author, product, readme and game directory.
#include <string>

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
  // Refuses a game folder our files can't name and a pack name the game
  // already uses; warns (and goes on) when the folder lacks what a compile
  // needs. False when Next must stop.
  bool CheckGameFolder(const std::string& name);

  QLineEdit* utDir_;
  QLineEdit* name_;
  QLineEdit* authorName_;
  QLineEdit* authorUrl_;
  QLineEdit* productName_;
  QLineEdit* productUrl_;
  QLineEdit* readme_;
};

// A voice pack name becomes a file name, a directory in the game and the
// script's class name, so it must be an UnrealScript identifier: a letter or
// an underscore first, then letters, digits or underscores.
bool IsValidPackName(const std::string& name);

}  // namespace voxmire

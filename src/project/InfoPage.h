#pragma once
// Form2: the voice pack's name, author, product, readme and game directory.
#include <QStringList>
#include <string>

#include "app/Page.h"
#include "project/PackName.h"

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
  // Shows the pack's own values.
  void ShowPack();
  // When `name` already has a project file that is not the one being
  // worked on, asks whether to continue that pack or start afresh (keeping
  // it as a backup). False when the user cancelled or it could not be done.
  bool SettleExistingProject(const std::string& name);
  // Refuses a game folder our files can't name and a pack name the game
  // already uses; warns (and goes on) when the folder is missing or lacks
  // what a compile needs. False when Next must stop.
  bool CheckGameFolder(const std::string& name);
  // The game folder can't compile the pack: says what it lacks.
  void WarnIncomplete(const QStringList& problems);
  // The pack is open in another window of the program.
  void TellOpenElsewhere(const std::string& name);

  QLineEdit* utDir_;
  QLineEdit* name_;
  QLineEdit* authorName_;
  QLineEdit* authorUrl_;
  QLineEdit* productName_;
  QLineEdit* productUrl_;
  QLineEdit* readme_;
};

}  // namespace voxmire

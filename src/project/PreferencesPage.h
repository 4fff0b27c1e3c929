#pragma once
// frmPreferences: the values every new pack starts with (the game directory,
// the sound directory, the author's name and web address), kept in
// prefs.ini. "OK" stores them; "Cancel" stores nothing.
#include <string>
#include <vector>

#include "app/Page.h"

class QLineEdit;

namespace voxmire {

class PreferencesPage : public Page {
  Q_OBJECT
 public:
  explicit PreferencesPage(AppContext& ctx);
  // Where the game directory chooser puts its choice.
  void SetGameDirectory(const QString& dir);

 private:
  void Accept();

  QLineEdit* utDir_;
  QLineEdit* soundDir_;
  QLineEdit* authorName_;
  QLineEdit* authorUrl_;
};

// The drive (mount point) that holds `dir`: the longest of `drives` that is
// `dir` or one of its ancestors; "/" when none is.
std::string DriveOf(const std::string& dir, const std::vector<std::string>& drives);

}  // namespace voxmire

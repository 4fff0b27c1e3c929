#pragma once
// Form7: shows the pack's int file, lets the user word its description, and
// writes it.
#include <string>

#include "app/Page.h"

class QLineEdit;
class QPlainTextEdit;

namespace voxmire {

class IntFilePage : public Page {
  Q_OBJECT
 public:
  explicit IntFilePage(AppContext& ctx);

 private:
  void ShowIntText(const std::string& text);
  void Finish();

  QPlainTextEdit* intText_;
  QLineEdit* description_;
  std::string metaClass_;  // the one the preview shows
};

}  // namespace voxmire

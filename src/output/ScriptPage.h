#pragma once
// Form3: the head of the class script, expanded from defaultscript.txt, for
// review and (once unlocked) editing. "Next ->" saves it as <name>.uc.
#include <optional>
#include <string>

#include "app/Page.h"

class QPlainTextEdit;

namespace voxmire {

class ScriptPage : public Page {
  Q_OBJECT
 public:
  explicit ScriptPage(AppContext& ctx);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void EnableEditing();
  void Back();
  void Next();
  void ReportMissingTemplate();
  // The text to save, with CR LF line ends.
  std::string ScriptText() const;

  QPlainTextEdit* scriptArea_;           // txtScriptArea
  std::optional<std::string> expanded_;  // the generated text; none without a template
  bool reported_ = false;
};

}  // namespace voxmire

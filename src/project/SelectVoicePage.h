#pragma once
// frmSelectVoice: which of the game's voices the pack is based on.
#include <QRadioButton>
#include <array>

#include "app/Page.h"

namespace voxmire {

class SelectVoicePage : public Page {
  Q_OBJECT
 public:
  explicit SelectVoicePage(AppContext& ctx);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Next();

  std::array<QRadioButton*, 7> options_{};
};

}  // namespace voxmire

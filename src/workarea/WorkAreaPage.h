#pragma once
// Form5: the work area. Four growable phrase tables, the seven orders, the
// four team leader names, and the Tools tab that generates the script.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Page.h"
#include "workarea/GameVoice.h"
#include "workarea/PhraseTable.h"

class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace voxmire {

class GameSoundLengths;
class PhraseTableModel;

class WorkAreaPage : public Page {
  Q_OBJECT
 public:
  explicit WorkAreaPage(AppContext& ctx);
  ~WorkAreaPage() override;

  // The tables the page shows and edits: the project's own.
  const WorkAreaTables& Tables() const { return tables_; }
  // The view of a growable tab, or nullptr for the other tabs.
  QTableView* View(WorkAreaTab tab) const;
  PhraseTableModel* Model(WorkAreaTab tab) const;
  // The defaults of the class the script extends: what an empty order or
  // leader field leaves the game to use.
  const VoiceDefaults& Base() const { return *base_; }

 private:
  // The widgets of one growable tab.
  struct Grower {
    WorkAreaTab tab;
    PhraseTableModel* model = nullptr;
    QTableView* view = nullptr;
    QPushButton* create = nullptr;
  };

  QWidget* BuildGrowerTab(Grower& grower, const char* viewName, const char* headerName,
                          const char* createName, const char* deleteName, const char* presetName);
  QWidget* BuildOrdersTab();
  QWidget* BuildNamesTab();
  QWidget* BuildToolsTab();
  // A row of the Tools tab: the button and the label that explains it.
  struct Tool {
    QString caption;
    const char* name;
    QString explanation;
    std::function<void()> action;
  };
  std::vector<Tool> Tools();
  void BuildMenus();

  void CreatePressed(Grower& grower);
  void DeletePressed(Grower& grower);
  void LoadPresets(WorkAreaTab tab);
  void ShowOrdersAndNames();
  // The grey text of an empty leader's time: the time the game will use.
  void ShowLeaderTime(std::size_t i);
  void LeaderTimeEdited(std::size_t i);
  void TimeRefused(const QString& reason);
  void Generate();
  void Back();
  void ShowVoiceWindow();
  void ShowPreview();
  // The script head the pack is generated with; nothing without a template.
  std::optional<std::string> Head() const;
  void ShowRecordWindow();
  // Another window changed the tables: show them anew.
  void TablesChangedElsewhere();

  Grower* FindGrower(WorkAreaTab tab);
  const Grower* FindGrower(WorkAreaTab tab) const;

  // Lives in the project state, so nothing typed dies with the window.
  WorkAreaTables& tables_;
  QTabWidget* tabs_ = nullptr;
  std::array<Grower, 4> growers_;
  // Sound, String and Abbrev fields of each order, indexed like kOrderSlots.
  std::array<std::array<QLineEdit*, 3>, 7> orderFields_{};
  std::array<QLineEdit*, 4> leaderFields_{};
  std::array<QLineEdit*, 4> leaderTimeFields_{};
  const VoiceDefaults* base_ = nullptr;
  std::unique_ptr<GameSoundLengths> lengths_;
};

}  // namespace voxmire

// The work area page with the largest tables it allows: "Create Rows..."
// with 32767 rows through the page, and scrolling, editing and switching
// tabs with all four tables full, with the process's resident memory.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <fstream>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Shell.h"
#include "output/RunAndWait.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"
#include "sounds/SoundPlayer.h"
#include "workarea/PhraseTableModel.h"
#include "workarea/WorkAreaPage.h"

namespace voxmire {
namespace {

// Every input dialog answers the largest row count.
class MaxRowsDialogs : public Dialogs {
 public:
  void Message(QWidget*, const QString&, const QString&, MessageIcon) override {}
  std::optional<QString> Input(QWidget*, const QString&, const QString&) override {
    return QString::number(PhraseTable::kMaxRows);
  }
  std::optional<QString> OpenFile(QWidget*, const QString&, const QString&,
                                  const QStringList&) override {
    return std::nullopt;
  }
  std::optional<int> Choose(QWidget*, const QString&, const QString&, const QStringList&,
                            MessageIcon) override {
    return std::nullopt;
  }
  bool Confirm(QWidget*, const QString&, const QString&, MessageIcon) override { return false; }
  bool ModalOpen() const override { return false; }
};
class NoShell : public Shell {
 public:
  void Open(const QString&) override {}
};
class NoPlayer : public SoundPlayer {
 public:
  bool Play(const QString&) override { return false; }
};
class NoRunner : public ProcessRunner {
 public:
  RunResult Run(const RunRequest&) override { return {}; }
};

struct Program {
  ProjectState state;
  MaxRowsDialogs dialogs;
  NoShell shell;
  NoPlayer player;
  NoRunner runner;
  Navigator nav;
  ProjectKeeper keeper{state, dialogs, Places::InOneFolder("/tmp")};
  AppContext ctx{state,   Places::InOneFolder("/tmp"),
                 dialogs, shell,
                 player,  runner,
                 nav,     [] { return std::vector<std::string>{"/"}; },
                 "/tmp",  keeper};
};

// A memory figure of /proc/self/status ("VmRSS:", "VmHWM:").
double ProcStatusMegabytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == field) {
      double kilobytes = 0;
      status >> kilobytes;
      return kilobytes / 1024.0;
    }
    status.ignore(1 << 20, '\n');
  }
  return 0;
}

constexpr const char* kCreateButtons[] = {"Command1", "Command5", "Command7", "Command10"};
constexpr WorkAreaTab kRowTabs[] = {WorkAreaTab::Acknowledgements, WorkAreaTab::FriendlyFire,
                                    WorkAreaTab::Taunts, WorkAreaTab::Others};

std::unique_ptr<WorkAreaPage> ShownPage(Program& program, WorkAreaTab tab) {
  auto page = std::make_unique<WorkAreaPage>(program.ctx);
  page->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(static_cast<int>(tab));
  page->show();
  QApplication::processEvents();
  return page;
}

// Handling the press, the views' layout and one paint of the page.
void Settle(QWidget* page) {
  QApplication::processEvents();
  page->repaint();
}

std::unique_ptr<WorkAreaPage> FullPage(Program& program, benchmark::State& state) {
  auto page = ShownPage(program, WorkAreaTab::Acknowledgements);
  for (const char* button : kCreateButtons) {
    page->findChild<QAbstractButton*>(QString::fromLatin1(button))->click();
  }
  Settle(page.get());
  for (WorkAreaTab tab : kRowTabs) {
    if (page->Model(tab)->rowCount() != PhraseTable::kMaxRows) state.SkipWithError("not full");
  }
  return page;
}

// Runs once, first: later runs would reuse memory that earlier ones freed.
void BM_FullTablesMemory(benchmark::State& state) {
  for (auto _ : state) {
    Program program;
    const double before = ProcStatusMegabytes("VmRSS:");
    auto page = FullPage(program, state);
    state.counters["rss_before_MB"] = before;
    state.counters["rss_full_MB"] = ProcStatusMegabytes("VmRSS:");
    state.counters["rss_peak_MB"] = ProcStatusMegabytes("VmHWM:");
  }
}
BENCHMARK(BM_FullTablesMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CreateMaxRowsThroughPage(benchmark::State& state) {
  Program program;
  for (auto _ : state) {
    state.PauseTiming();
    auto page = ShownPage(program, WorkAreaTab::Acknowledgements);
    auto* create = page->findChild<QAbstractButton*>(QStringLiteral("Command1"));
    state.ResumeTiming();
    create->click();
    Settle(page.get());
    state.PauseTiming();
    if (page->Model(WorkAreaTab::Acknowledgements)->rowCount() != PhraseTable::kMaxRows) {
      state.SkipWithError("rows were not created");
    }
    page.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CreateMaxRowsThroughPage)->Unit(benchmark::kMillisecond);

// All four tables full; each round scrolls a table to a far place, edits a
// cell there and paints, or switches to the next table and paints.
void BM_FullTables(benchmark::State& state) {
  Program program;
  auto page = FullPage(program, state);
  auto* tabs = page->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
  const bool switchTabs = state.range(0) != 0;
  int round = 0;
  for (auto _ : state) {
    if (switchTabs) {
      tabs->setCurrentIndex(static_cast<int>(kRowTabs[round % 4]));
    } else {
      QTableView* view = page->View(WorkAreaTab::Acknowledgements);
      QScrollBar* bar = view->verticalScrollBar();
      bar->setValue(round % 2 == 0 ? bar->maximum() - round % 97 : round % 89);
      const int row = view->rowAt(view->viewport()->height() / 2);
      view->model()->setData(view->model()->index(row, PhraseTableModel::kString),
                             QStringLiteral("Edited %1").arg(round));
    }
    Settle(page.get());
    ++round;
  }
}
BENCHMARK(BM_FullTables)->Arg(0)->ArgName("switchTabs")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullTables)->Arg(1)->ArgName("switchTabs")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace voxmire

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

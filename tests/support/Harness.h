#pragma once
// A whole program context for page tests: a temporary program directory,
// one ProjectState, the real navigator with every page registered, and fakes
// for the dialogs, the shell, the sound player and the process runner.
#include <gtest/gtest.h>

#include <QString>
#include <QTableView>
#include <QTest>
#include <QWidget>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Shell.h"
#include "output/RunAndWait.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"
#include "sounds/SoundPlayer.h"

namespace voxmire::test {

struct ShownMessage {
  QString title;
  QString text;
  MessageIcon icon;
  bool operator==(const ShownMessage&) const = default;
};
inline void PrintTo(const ShownMessage& m, std::ostream* os) {
  *os << '"' << qPrintable(m.title) << "\" \"" << qPrintable(m.text) << "\" icon "
      << static_cast<int>(m.icon);
}

// Records every box; answers input and file prompts from queues. An empty
// queue or a null QString answers Cancel.
class FakeDialogs : public Dialogs {
 public:
  void Message(QWidget*, const QString& title, const QString& text, MessageIcon icon) override {
    messages.push_back({title, text, icon});
  }
  bool Confirm(QWidget*, const QString& title, const QString& text, MessageIcon icon) override {
    confirms.push_back({title, text, icon});
    if (confirmAnswers.empty()) return false;
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
  }
  std::optional<QString> Input(QWidget*, const QString& title, const QString& prompt) override {
    inputs.push_back({title, prompt});
    return Next(inputAnswers);
  }
  std::optional<QString> OpenFile(QWidget*, const QString& title, const QString& dir,
                                  const QStringList& filters) override {
    fileDialogs.push_back({title, dir});
    fileFilters.push_back(filters);
    return Next(fileAnswers);
  }
  std::optional<int> Choose(QWidget*, const QString& title, const QString& text,
                            const QStringList& choices, MessageIcon icon) override {
    messages.push_back({title, text, icon});
    questions.push_back(choices);
    if (choiceAnswers.empty()) return std::nullopt;
    const int answer = choiceAnswers.front();
    choiceAnswers.pop_front();
    if (answer < 0) return std::nullopt;
    return answer;
  }
  bool ModalOpen() const override { return modalOpen; }

  std::vector<ShownMessage> messages;
  std::vector<ShownMessage> confirms;  // questions asked; answered from confirmAnswers, else No
  std::deque<bool> confirmAnswers;
  std::vector<std::pair<QString, QString>> inputs;       // title, prompt
  std::vector<std::pair<QString, QString>> fileDialogs;  // title, dir
  std::deque<QString> inputAnswers;
  std::deque<QString> fileAnswers;
  std::vector<QStringList> fileFilters;
  std::vector<QStringList> questions;  // the choices of each question asked
  std::deque<int> choiceAnswers;       // an empty queue or -1 answers Escape
  bool modalOpen = false;

 private:
  static std::optional<QString> Next(std::deque<QString>& answers) {
    if (answers.empty()) return std::nullopt;
    const QString answer = answers.front();
    answers.pop_front();
    if (answer.isNull()) return std::nullopt;
    return answer;
  }
};

class FakeShell : public Shell {
 public:
  void Open(const QString& target) override { opened.push_back(target); }
  std::vector<QString> opened;
};

class FakePlayer : public SoundPlayer {
 public:
  bool Play(const QString& path) override {
    played.push_back(path);
    return succeed;
  }
  bool HasOutput() const override { return output; }
  std::vector<QString> played;
  bool succeed = true;
  bool output = true;  // false: a machine without audio output
};

class FakeRunner : public ProcessRunner {
 public:
  RunResult Run(const RunRequest& request) override {
    requests.push_back(request);
    return next;
  }
  std::vector<RunRequest> requests;
  RunResult next;
};

class Harness {
 public:
  // Runs processes with `realRunner` when given, else with the fake one.
  explicit Harness(ProcessRunner* realRunner = nullptr);
  ~Harness();

  // A fresh temporary directory, removed with the harness.
  std::filesystem::path TempDir(const std::string& name);

  template <typename T = QWidget>
  T* Window(PageId id) const {
    return qobject_cast<T*>(nav.Window(id));
  }
  // Opens a page the way the navigator does and waits until it is exposed.
  QWidget* Open(PageId id);

  std::filesystem::path root;
  std::filesystem::path programDir;
  Places places = Places::InOneFolder(programDir);
  ProjectState state;
  FakeDialogs dialogs;
  FakeShell shell;
  FakePlayer player;
  FakeRunner runner;
  Navigator nav;
  ProjectKeeper keeper{state, dialogs, places};
  std::vector<std::string> drives{"/"};
  int quits = 0;
  AppContext ctx;
};

// The child of `window` with the object name, or a test failure.
template <typename T>
T* Find(QWidget* window, const char* name) {
  T* child = window == nullptr ? nullptr : window->findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) {
    ADD_FAILURE() << "no " << name << " in "
                  << (window ? qPrintable(window->objectName()) : "(null)");
  }
  return child;
}

void Click(QWidget* window, const char* buttonName);
void Type(QWidget* window, const char* fieldName, const QString& text);
// Triggers the menu action with the object name.
void Trigger(QWidget* window, const char* actionName);

// A drag of `text` from another window: enter, move and drop at `at`. True
// when the drop was accepted.
bool DropText(QWidget* target, QPoint at, const QString& text);
// Scrolls the cell into sight and drops `text` on it.
bool DropOnCell(QTableView* view, int row, int column, const QString& text);
// Opens the cell's editor and types into it, without pressing Enter.
void TypeInCell(QTableView* view, int row, int column, const QString& text);

// Whole-file helpers.
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace voxmire::test

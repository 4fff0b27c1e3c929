#include "Harness.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

#include "app/Pages.h"

namespace voxmire::test {

Harness::Harness()
    : root([] {
        std::random_device rd;
        auto dir = std::filesystem::temp_directory_path() /
                   ("voxmire-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir);
        return dir;
      }()),
      programDir(root / "program"),
      ctx{state, programDir, dialogs, shell, player, runner, nav, [this] { return drives; },
          root / "home"} {
  std::filesystem::create_directories(programDir);
  std::filesystem::create_directories(root / "home");
  nav.SetQuitHandler([this] { ++quits; });
  RegisterPages(ctx);
}

Harness::~Harness() {
  // Windows first: they may still hold files open in the directory.
  for (auto id : {PageId::Splash, PageId::Start, PageId::Info, PageId::ChooseUTDir,
                  PageId::SelectVoice, PageId::ChooseSoundDir, PageId::Sounds, PageId::Script,
                  PageId::WorkArea, PageId::VoiceWindow, PageId::IntFile, PageId::Compile,
                  PageId::About}) {
    delete nav.Window(id);
  }
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
}

std::filesystem::path Harness::TempDir(const std::string& name) {
  auto dir = root / name;
  std::filesystem::create_directories(dir);
  return dir;
}

QWidget* Harness::Open(PageId id) {
  QWidget* window = nav.Open(id);
  if (window != nullptr) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
  }
  return window;
}

void Click(QWidget* window, const char* buttonName) {
  if (auto* button = Find<QAbstractButton>(window, buttonName)) {
    QTest::mouseClick(button, Qt::LeftButton);
  }
}

void Type(QWidget* window, const char* fieldName, const QString& text) {
  if (auto* field = Find<QLineEdit>(window, fieldName)) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }
}

void Trigger(QWidget* window, const char* actionName) {
  if (auto* action = Find<QAction>(window, actionName)) action->trigger();
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace voxmire::test

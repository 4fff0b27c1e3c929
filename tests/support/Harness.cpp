#include "Harness.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <fstream>
#include <random>
#include <sstream>

#include "app/Pages.h"

namespace voxmire::test {

Harness::Harness(ProcessRunner* realRunner)
    : root([] {
        std::random_device rd;
        auto dir = std::filesystem::temp_directory_path() /
                   ("voxmire-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir);
        return dir;
      }()),
      programDir(root / "program"),
      ctx(
          state, places, dialogs, shell, player, realRunner ? *realRunner : runner, nav,
          [this] { return drives; }, root / "home", keeper) {
  std::filesystem::create_directories(programDir);
  std::filesystem::create_directories(root / "home");
  nav.SetQuitHandler([this] { ++quits; });
  keeper.Watch(nav);
  RegisterPages(ctx);
}

Harness::~Harness() {
  // Windows first: they may still hold files open in the directory.
  for (auto id : {PageId::Splash, PageId::Start, PageId::Info, PageId::ChooseUTDir,
                  PageId::SelectVoice, PageId::ChooseSoundDir, PageId::Sounds, PageId::Script,
                  PageId::WorkArea, PageId::VoiceWindow, PageId::IntFile, PageId::Compile,
                  PageId::About, PageId::Preferences, PageId::Preview, PageId::Recorder}) {
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

namespace {

// Clears the field and types `text` into it. keyClicks takes ASCII only, so
// every character comes as its key's text.
void Retype(QLineEdit* field, const QString& text) {
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  for (const QChar ch : text) {
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, ch, Qt::NoModifier);
  }
}

}  // namespace

void Type(QWidget* window, const char* fieldName, const QString& text) {
  if (auto* field = Find<QLineEdit>(window, fieldName)) {
    field->setFocus();
    Retype(field, text);
  }
}

void Trigger(QWidget* window, const char* actionName) {
  if (auto* action = Find<QAction>(window, actionName)) action->trigger();
}

void Activate(QWidget* window) {
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  QApplication::setActiveWindow(window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

namespace {

QWidget* Focused() {
  QWidget* focused = QApplication::focusWidget();
  EXPECT_NE(focused, nullptr) << "no control has the keyboard focus";
  return focused;
}

}  // namespace

// A person's keys come one at a time, with the event loop running between
// them: what a key posted (an editor closing, say) is done before the next.
void Settle() { QCoreApplication::processEvents(); }

void Press(int key, Qt::KeyboardModifiers modifiers) {
  if (QWidget* focused = Focused()) QTest::keyClick(focused, static_cast<Qt::Key>(key), modifiers);
  Settle();
}

void Press(QKeySequence::StandardKey key) {
  if (QWidget* focused = Focused()) QTest::keySequence(focused, key);
  Settle();
}

void TypeKeys(const QString& text) {
  for (const QChar ch : text) {
    if (QWidget* focused = Focused()) {
      QTest::sendKeyEvent(QTest::Click, focused, Qt::Key_unknown, ch, Qt::NoModifier);
    }
    Settle();
  }
}

bool TabTo(const char* objectName) {
  for (int presses = 0; presses < 40; ++presses) {
    QWidget* focused = Focused();
    if (focused == nullptr) return false;
    if (focused->objectName() == QLatin1String(objectName)) return true;
    QTest::keyClick(focused, Qt::Key_Tab);
    Settle();
  }
  ADD_FAILURE() << "Tab never reached " << objectName;
  return false;
}

bool DropText(QWidget* target, QPoint at, const QString& text) {
  QMimeData mime;
  mime.setText(text);
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

bool DropOnCell(QTableView* view, int row, int column, const QString& text) {
  const QModelIndex index = view->model()->index(row, column);
  EXPECT_TRUE(QTest::qWaitFor([&] {
    view->scrollTo(index);
    return view->isVisible() && view->viewport()->rect().contains(view->visualRect(index).center());
  }));
  return DropText(view->viewport(), view->visualRect(index).center(), text);
}

void TypeInCell(QTableView* view, int row, int column, const QString& text) {
  const QModelIndex index = view->model()->index(row, column);
  view->setCurrentIndex(index);
  view->edit(index);
  auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(index));
  ASSERT_NE(editor, nullptr);
  Retype(editor, text);
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

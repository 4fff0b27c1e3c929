#pragma once
// Form8: the wizard's last page. "Compile!" installs the pack into the game,
// runs the game's compiler and reports. The compiler runs beside the event
// loop: the window stays alive and shows its output as it comes.
#include <memory>
#include <string>

#include "app/Page.h"
#include "output/RunAndWait.h"

class QAction;
class QLineEdit;
class QPlainTextEdit;
class QProcess;
class QPushButton;

namespace voxmire {

class CompileSequence;

class CompilePage : public Page {
  Q_OBJECT
 public:
  explicit CompilePage(AppContext& ctx);
  ~CompilePage() override;

  bool Compiling() const { return sequence_ != nullptr; }

 protected:
  // Closing while the compiler runs asks first; a yes stops it and puts the
  // game back as it was.
  void closeEvent(QCloseEvent* event) override;

 private:
  void Compile();
  void StartCompiler(const RunRequest& request);
  void TakeOutput();
  void CompilerEnded(const RunResult& run);
  void StopCompiler();
  void SetCompiling(bool compiling);

  QLineEdit* status_;
  QPlainTextEdit* log_;
  QPushButton* compile_;
  QPushButton* back_;
  QAction* quit_;
  QProcess* process_ = nullptr;
  std::unique_ptr<CompileSequence> sequence_;
  std::string output_;
};

}  // namespace voxmire

#include "output/CompilePage.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "output/CompileSequence.h"
#include "output/Release.h"
#include "project/ProjectKeeper.h"

namespace voxmire {

CompilePage::CompilePage(AppContext& ctx)
    : Page(ctx, QStringLiteral("Form8"), QStringLiteral("Final Step - Push the magic button!")) {
  SharedMenus menus;
  menus.websiteCaption = tr("Harkline website...");
  menus.aboutOpensWebPage = true;
  AddSharedMenus(menus);

  auto* heading = new QLabel(tr("Compile VoicePack"));
  heading->setObjectName(QStringLiteral("Label2"));
  QFont big = heading->font();
  big.setBold(true);
  big.setPointSize(big.pointSize() + 5);
  heading->setFont(big);

  auto* intro = new QLabel(
      tr("Voxmire has finished all configuration necessary for your Voice Pack. You can compile "
         "your .uc file manually if you wish."));
  intro->setObjectName(QStringLiteral("Label1"));
  intro->setWordWrap(true);

  auto* action = new QLabel(tr("Compile .u script file and import sounds"));
  action->setObjectName(QStringLiteral("Label3"));

  quit_ = findChild<QAction*>(QStringLiteral("mnuQuit"));

  auto* compile = NamedButton(tr("Compile!"), QStringLiteral("Command1"));
  compile_ = compile;
  QFont bold = compile->font();
  bold.setBold(true);
  compile->setFont(bold);
  compile->setMinimumWidth(120);

  // Remembered with the pack: the release step reads it after each compile.
  auto* umod = new QCheckBox(tr("Generate UMod file"));
  Name(umod, QStringLiteral("Check1"), umod->text());
  umod->setChecked(ctx_.state.GenerateUmod);
  connect(umod, &QCheckBox::toggled, this, [this](bool on) { ctx_.state.GenerateUmod = on; });

  status_ = new QLineEdit(tr("Status Messages go here..."));
  Name(status_, QStringLiteral("txtStatus"), tr("Status"));
  status_->setReadOnly(true);

  // The compiler's output as it comes, for the user to follow and to read
  // back when something went wrong.
  auto* logLabel = new QLabel(tr("Compiler &output:"));
  log_ = new QPlainTextEdit;
  log_->setObjectName(QStringLiteral("txtLog"));
  log_->setReadOnly(true);
  log_->setLineWrapMode(QPlainTextEdit::NoWrap);
  log_->setMinimumHeight(120);
  log_->setTabChangesFocus(true);
  Buddy(logLabel, log_);

  // Back to the int file and on to the tables, to mend what a compile found.
  back_ = NamedButton(tr("<- Back"), QStringLiteral("Command2"));

  auto* actionRow = new QHBoxLayout;
  actionRow->addWidget(action);
  actionRow->addStretch();
  actionRow->addWidget(compile);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(heading, 0, Qt::AlignHCenter);
  layout->addWidget(intro);
  layout->addSpacing(8);
  layout->addLayout(actionRow);
  layout->addWidget(umod);
  layout->addWidget(logLabel);
  layout->addWidget(log_, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addWidget(back_);
  layout->addLayout(bottom);
  setCentralWidget(central);
  resize(620, 420);

  setTabOrder(compile, umod);
  setTabOrder(umod, log_);
  setTabOrder(log_, status_);
  setTabOrder(status_, back_);
  compile->setFocus();

  connect(compile, &QPushButton::clicked, this, &CompilePage::Compile);
  connect(back_, &QPushButton::clicked, this,
          [this] { ctx_.nav.Back(PageId::Compile, PageId::IntFile); });
}

CompilePage::~CompilePage() {
  // The window going away (the program ending) must not leave the compiler
  // running or the game's settings edited.
  if (sequence_) StopCompiler();
}

void CompilePage::Compile() {
  if (sequence_) return;
  ctx_.keeper.Flush();
  CompileSetup setup = DefaultCompileSetup(ctx_.places);
  setup.home = ctx_.home;
  // Each status is painted before the step it announces: the steps before
  // the compiler's run follow each other without the event loop.
  const CompileStatus status = [this](const std::string& text) {
    status_->setText(ToQt(text));
    status_->repaint();
  };
  log_->clear();
  output_.clear();
  sequence_ = std::make_unique<CompileSequence>(ctx_.state, setup, status);
  std::optional<RunRequest> request;
  try {
    request = sequence_->Prepare();
  } catch (const std::exception& e) {
    sequence_.reset();  // takes back whatever the sequence had done
    status_->setText(tr("Compile failed"));
    ctx_.dialogs.Message(this, tr("Compile failed"),
                         tr("The compile stopped: %1\rThe game was left as it was.")
                             .arg(QString::fromLocal8Bit(e.what())),
                         MessageIcon::Critical);
    return;
  }
  if (!request) {
    const QString message = ToQt(sequence_->Failure().message);
    sequence_.reset();
    status_->setText(tr("Compile failed"));
    ctx_.dialogs.Message(this, tr("Compile failed"), message, MessageIcon::Critical);
    return;
  }
  SetCompiling(true);
  StartCompiler(*request);
}

void CompilePage::StartCompiler(const RunRequest& request) {
  process_ = new QProcess(this);
  process_->setProgram(QString::fromStdString(request.program.string()));
  QStringList args;
  for (const auto& arg : request.args) args << QString::fromStdString(arg);
  process_->setArguments(args);
  process_->setWorkingDirectory(QString::fromStdString(request.workingDirectory.string()));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const auto& [key, value] : request.environment) {
    environment.insert(QString::fromStdString(key), QString::fromStdString(value));
  }
  process_->setProcessEnvironment(environment);
  // A compiler that asks a yes/no question must not wait for an answer
  // nobody can give.
  process_->setStandardInputFile(QProcess::nullDevice());
  process_->setProcessChannelMode(QProcess::MergedChannels);
  // The compiler dies with the program: a killed program must not leave it
  // running on an edited settings file.
  const pid_t parent = ::getpid();
  process_->setChildProcessModifier([parent] {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
  });

  connect(process_, &QProcess::readyReadStandardOutput, this, &CompilePage::TakeOutput);
  connect(process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus how) {
    TakeOutput();
    RunResult run;
    run.output = output_;
    if (how == QProcess::NormalExit) {
      run.outcome = RunResult::Outcome::Exited;
      run.exitStatus = code;
    } else {
      run.outcome = RunResult::Outcome::Signaled;
      run.signal = code;
    }
    CompilerEnded(run);
  });
  connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    RunResult run;
    run.startError = process_->errorString().toStdString();
    CompilerEnded(run);
  });
  process_->start();
}

void CompilePage::TakeOutput() {
  const QByteArray chunk = process_->readAllStandardOutput();
  if (chunk.isEmpty()) return;
  output_.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
  QString text = QString::fromLocal8Bit(chunk);
  text.remove(QLatin1Char('\r'));
  // Follow the output unless the user has scrolled up to read.
  QScrollBar* bar = log_->verticalScrollBar();
  const bool following = bar->value() == bar->maximum();
  QTextCursor end(log_->document());
  end.movePosition(QTextCursor::End);
  end.insertText(text);
  if (following) bar->setValue(bar->maximum());
}

void CompilePage::CompilerEnded(const RunResult& run) {
  if (!sequence_) return;
  const CompileResult result = sequence_->Finish(run);
  sequence_.reset();  // releases the compile locks
  process_->disconnect(this);
  process_->deleteLater();
  process_ = nullptr;
  SetCompiling(false);
  if (result.succeeded) {
    // The archives to share come from what the compile made; a failure there
    // is reported on its own and doesn't undo the compile.
    const ReleaseOutcome release =
        WriteReleaseAfterCompile(ctx_.state, ctx_.places, result.message);
    std::string report = result.message;
    for (const auto& line : release.lines) report += '\r' + line;
    ctx_.dialogs.Message(this, ToQt(kCompileMessageTitle), ToQt(report), MessageIcon::None);
    if (!release.error.empty()) {
      ctx_.dialogs.Message(this, tr("Release files"), ToQt(release.error), MessageIcon::Critical);
    }
  } else {
    status_->setText(tr("Compile failed"));
    ctx_.dialogs.Message(this, tr("Compile failed"), ToQt(result.message), MessageIcon::Critical);
  }
}

void CompilePage::StopCompiler() {
  if (process_ != nullptr) {
    process_->disconnect(this);
    process_->kill();
    process_->waitForFinished(5000);
    delete process_;
    process_ = nullptr;
  }
  if (sequence_) {
    sequence_->Abandon();
    sequence_.reset();
  }
  SetCompiling(false);
}

void CompilePage::SetCompiling(bool compiling) {
  compile_->setEnabled(!compiling);
  back_->setEnabled(!compiling);
  if (quit_ != nullptr) quit_->setEnabled(!compiling);
}

void CompilePage::closeEvent(QCloseEvent* event) {
  if (sequence_) {
    if (!ctx_.dialogs.Confirm(this, tr("Compile running"),
                              tr("The game's compiler is still running.\rStop it and put the "
                                 "game back as it was before the compile?"),
                              MessageIcon::Exclamation)) {
      event->ignore();
      return;
    }
    StopCompiler();
  }
  Page::closeEvent(event);
}

}  // namespace voxmire

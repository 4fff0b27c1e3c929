#include "output/CompilePage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

  auto* compile = NamedButton(tr("Compile!"), QStringLiteral("Command1"));
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

  // Back to the int file and on to the tables, to mend what a compile found.
  auto* back = NamedButton(tr("<- Back"), QStringLiteral("Command2"));

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
  layout->addStretch();
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addWidget(back);
  layout->addLayout(bottom);
  setCentralWidget(central);
  resize(520, 260);

  setTabOrder(compile, umod);
  setTabOrder(umod, status_);
  setTabOrder(status_, back);
  compile->setFocus();

  connect(compile, &QPushButton::clicked, this, &CompilePage::Compile);
  connect(back, &QPushButton::clicked, this,
          [this] { ctx_.nav.Back(PageId::Compile, PageId::IntFile); });
}

void CompilePage::Compile() {
  ctx_.keeper.Flush();
  CompileSetup setup = DefaultCompileSetup(ctx_.programDir);
  setup.home = ctx_.home;
  // The compiler blocks this thread, so each status is painted before the
  // step it announces rather than when the event loop next runs.
  const CompileStatus status = [this](const std::string& text) {
    status_->setText(ToQt(text));
    status_->repaint();
  };
  const CompileResult result = RunCompileSequence(ctx_.state, setup, ctx_.runner, status);
  if (result.succeeded) {
    // The archives to share come from what the compile made; a failure there
    // is reported on its own and doesn't undo the compile.
    const ReleaseOutcome release =
        WriteReleaseAfterCompile(ctx_.state, ctx_.programDir, result.message);
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

}  // namespace voxmire

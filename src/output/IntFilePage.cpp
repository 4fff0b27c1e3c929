#include "output/IntFilePage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "output/IntFile.h"
#include "project/ProjectKeeper.h"
#include "project/ProjectState.h"

namespace voxmire {

IntFilePage::IntFilePage(AppContext& ctx)
    : Page(ctx, QStringLiteral("Form7"), QStringLiteral("Int File Generator")) {
  AddSharedMenus();

  auto* heading = new QLabel(tr("Int File Generator"));
  heading->setObjectName(QStringLiteral("Label1"));
  QFont big = heading->font();
  big.setBold(true);
  big.setPointSize(big.pointSize() + 3);
  heading->setFont(big);

  intText_ = new QPlainTextEdit;
  Name(intText_, QStringLiteral("Text1"), tr("Int file"));
  // Tab moves on rather than typing a tab, so the page works by keyboard.
  intText_->setTabChangesFocus(true);
  intText_->setMinimumHeight(80);

  auto* descriptionLabel = new QLabel(tr("Description:"));
  descriptionLabel->setObjectName(QStringLiteral("Label2"));
  description_ = new QLineEdit;
  description_->setObjectName(QStringLiteral("Text2"));
  Buddy(descriptionLabel, description_);

  auto* note = new QLabel(
      tr("Make any other changes to the int file you like but remember, if the int file has an "
         "error your sound pack won't show up in Unreal Tournament."));
  note->setObjectName(QStringLiteral("Label3"));
  note->setWordWrap(true);
  note->setAlignment(Qt::AlignHCenter);

  auto* finish = NamedButton(tr("&Finish..."), QStringLiteral("Command2"));
  finish->setDefault(true);
  auto* back = NamedButton(tr("<- Back"), QStringLiteral("Command1"));

  auto* descriptionRow = new QHBoxLayout;
  descriptionRow->addStretch(1);
  descriptionRow->addWidget(descriptionLabel);
  descriptionRow->addWidget(description_, 2);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(heading, 0, Qt::AlignHCenter);
  layout->addWidget(intText_, 1);
  layout->addLayout(descriptionRow);
  layout->addWidget(note);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(back);
  buttons->addWidget(finish);
  buttons->addStretch();
  layout->addLayout(buttons);
  setCentralWidget(central);
  resize(620, 330);

  setTabOrder(intText_, description_);
  setTabOrder(description_, finish);
  setTabOrder(finish, back);
  description_->setFocus();

  connect(finish, &QPushButton::clicked, this, &IntFilePage::Finish);
  // Enter in the description field presses "&Finish...".
  connect(description_, &QLineEdit::returnPressed, this, &IntFilePage::Finish);
  // Back to the tables, to mend what a compile found wrong.
  connect(back, &QPushButton::clicked, this,
          [this] { ctx_.nav.Back(PageId::IntFile, PageId::WorkArea); });

  // Opening: the proposed description, and a preview under the metaclass of
  // the base voice's gender, which "&Finish..." keeps.
  const ProjectState& s = ctx_.state;
  metaClass_ = MetaClassFor(s.VoiceGender);
  const std::string description =
      s.Description.value_or(DefaultDescription(s.VoicePackName, s.AuthorName));
  ShowIntText(IntFileText(s.VoicePackName, metaClass_, description));
  description_->setText(ToQt(description));
  // What is typed is the project's; text the int file can't hold stays on
  // the page until "&Finish..." says why.
  connect(description_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!FitsCp1252(text.toStdString())) return;
    ctx_.state.Description = FromQt(text);
    ctx_.keeper.Touched();
  });
}

void IntFilePage::ShowIntText(const std::string& text) {
  QString shown = ToQt(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  intText_->setPlainText(shown);
}

void IntFilePage::Finish() {
  const QString typed = description_->text();
  if (!FitsCp1252(typed.toStdString())) {
    ctx_.dialogs.Message(this, tr("Invalid description"),
                         tr("The description holds a character that an int file can't store. "
                            "Please use only Western European letters and signs."),
                         MessageIcon::Critical);
    return;
  }
  const std::string description = FromQt(typed);
  if (const auto problem = DescriptionProblem(description)) {
    ctx_.dialogs.Message(this, tr("Invalid description"), ToQt(*problem), MessageIcon::Critical);
    return;
  }

  // Whatever was typed into the preview is replaced: the file always has
  // exactly the two lines the game expects.
  const std::string& name = ctx_.state.VoicePackName;
  const std::string text = IntFileText(name, metaClass_, description);
  ShowIntText(text);
  if (!WriteIntFile(ctx_.places, name, text)) {
    ctx_.dialogs.Message(
        this, tr("Int file not written"),
        tr("Could not write %1.").arg(ToQt(PathText(IntFilePath(ctx_.places, name)))),
        MessageIcon::Critical);
    return;
  }
  ctx_.nav.Forward(PageId::IntFile, PageId::Compile);
}

}  // namespace voxmire

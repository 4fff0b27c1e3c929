#include "ScriptPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Files.h"
#include "output/ScriptTemplate.h"
#include "project/ProjectState.h"
#include "sounds/SoundList.h"

namespace voxmire {
namespace {

QString FileText(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

void SetBackground(QPlainTextEdit* area, const QColor& color) {
  QPalette palette = area->palette();
  palette.setColor(QPalette::Base, color);
  area->setPalette(palette);
}

}  // namespace

ScriptPage::ScriptPage(AppContext& ctx)
    : Page(
          ctx, QStringLiteral("Form3"),
          QStringLiteral("Edit the ") + ToQt(ctx.state.VoicePackName) + QStringLiteral(" script")) {
  SharedMenus menus;
  menus.websiteName = QStringLiteral("mnuwebsite");
  AddSharedMenus(menus);

  scriptArea_ = new QPlainTextEdit;
  Name(scriptArea_, QStringLiteral("txtScriptArea"), tr("Script"));
  scriptArea_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Tab leaves the text rather than trapping a keyboard user inside it.
  scriptArea_->setTabChangesFocus(true);
  scriptArea_->setReadOnly(true);
  scriptArea_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Grey while locked, so that the white of "&Enable Editing" shows the change.
  SetBackground(scriptArea_, palette().color(QPalette::Window));

  auto* help = new QLabel(
      tr("This is the Script file that will make that will be compiled into a .u file. Make any "
         "custom changes you would like, but if you want a normal VoicePack it is recommended that "
         "you do not edit this as you could stop it from functioning."));
  help->setObjectName(QStringLiteral("Label1"));
  help->setWordWrap(true);
  scriptArea_->setAccessibleDescription(help->text());

  auto* enable = NamedButton(tr("&Enable Editing"), QStringLiteral("Command2"));
  QPalette face = enable->palette();
  face.setColor(QPalette::Button, QColor(0xC0, 0xC0, 0xC0));
  enable->setPalette(face);
  auto* back = NamedButton(tr("<- Back"), QStringLiteral("Command3"));
  auto* next = NamedButton(tr("Next ->"), QStringLiteral("Command1"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(enable);
  buttons->addWidget(back);
  buttons->addWidget(next);
  buttons->addStretch();

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(scriptArea_, 1);
  layout->addWidget(help);
  layout->addLayout(buttons);
  setCentralWidget(central);
  resize(640, 440);

  setTabOrder(scriptArea_, enable);
  setTabOrder(enable, back);
  setTabOrder(back, next);
  scriptArea_->setFocus();

  connect(enable, &QPushButton::clicked, this, &ScriptPage::EnableEditing);
  connect(back, &QPushButton::clicked, this, &ScriptPage::Back);
  connect(next, &QPushButton::clicked, this, &ScriptPage::Next);

  // Opening: the template with the pack's values and one import statement
  // per line of the sound list.
  // A head the user edited before comes back as it was left.
  if (const auto templ = ReadTemplate(ctx_.places)) {
    expanded_ = ExpandTemplate(*templ, ReadTextLines(SoundListPath(ctx_.places)), ctx_.state);
    scriptArea_->setPlainText(ToQt(ctx_.state.ScriptHead.value_or(*expanded_)));
    scriptArea_->document()->setModified(false);
  }
}

void ScriptPage::showEvent(QShowEvent* event) {
  Page::showEvent(event);
  if (!expanded_ && !reported_) {
    reported_ = true;
    // Once the page is on screen, so that the box has something to stand on.
    QTimer::singleShot(0, this, &ScriptPage::ReportMissingTemplate);
  }
}

void ScriptPage::ReportMissingTemplate() {
  ctx_.dialogs.Message(this, tr("Script template missing"),
                       tr("The script template '%1' is missing or can't be read.\rReinstall "
                          "Voxmire to get it back, then open this page again.")
                           .arg(FileText(TemplatePath(ctx_.places))),
                       MessageIcon::Critical);
}

void ScriptPage::EnableEditing() {
  if (!scriptArea_->isReadOnly()) return;
  scriptArea_->setReadOnly(false);
  SetBackground(scriptArea_, QColor(0xFF, 0xFF, 0xFF));
  scriptArea_->setFocus();
}

std::string ScriptPage::ScriptText() const {
  // Untouched text is saved as it came, byte for byte; the widget would
  // turn a no-break space into a plain one.
  if (expanded_ && !scriptArea_->document()->isModified()) {
    return ctx_.state.ScriptHead.value_or(*expanded_);
  }
  QString text = scriptArea_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  return WithCrLfLineEnds(FromQt(text));
}

void ScriptPage::Back() { ctx_.nav.Back(PageId::Script, PageId::Sounds); }

void ScriptPage::Next() {
  if (!expanded_) {
    ReportMissingTemplate();
    return;
  }
  ProjectState named = ctx_.state;
  ApplyDefaultPackName(named);
  if (!WriteScriptFile(ctx_.places, named.VoicePackName, ScriptText())) {
    ctx_.dialogs.Message(
        this, tr("Can't write the script"),
        tr("The script '%1' can't be written.\rMake sure that the program's directory exists, is "
           "not read-only and has free space, then press \"Next ->\" again.")
            .arg(FileText(ScriptFilePath(ctx_.places, named.VoicePackName))),
        MessageIcon::Critical);
    return;
  }
  ApplyDefaultPackName(ctx_.state);
  if (scriptArea_->document()->isModified()) ctx_.state.ScriptHead = ScriptText();
  ctx_.nav.Forward(PageId::Script, PageId::WorkArea);
}

}  // namespace voxmire

#include "AboutBox.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/ClickableLabel.h"
#include "app/Navigator.h"
#include "app/Page.h"
#include "app/Shell.h"
#include "core/Product.h"

namespace voxmire {
namespace {

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

const char* const kTerms =
    "Voxmire is free to use.\n\n"
    "You may use it to make as many voice packs as you like, and you may give away, share and "
    "publish the voice packs you make with it, free of charge or not, without asking anyone.\n\n"
    "You may copy and pass on the program itself, unchanged and complete, free of charge.\n\n"
    "The program comes as it is, without any warranty. Its makers are not liable for any damage "
    "that comes from using it. Keep a copy of your game's settings before you compile.\n\n"
    "Unreal Tournament is a trademark of its owners; Voxmire is not made or endorsed by them.";

}  // namespace

AboutBox::AboutBox(AppContext& ctx) : QWidget(nullptr, Qt::Dialog), ctx_(ctx) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(tr("About Harkline Software"));
  setFont(PageFont());
  PaintBlack(this);

  auto* image = ProductPicture(QStringLiteral("Image1"));

  auto* creator = new ClickableLabel(
      tr("Voxmire, made by %1. Copyright \u00A9 2026 %1.").arg(Text(kMakerName)));
  Name(creator, QStringLiteral("Label1"), creator->text());
  creator->setWordWrap(true);

  auto* terms = new QPlainTextEdit(QString::fromUtf8(kTerms));
  Name(terms, QStringLiteral("Text1"), tr("Distribution terms"));
  terms->setReadOnly(true);
  terms->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  terms->setPalette(QPalette());

  auto* suggestions = new QLabel(tr("Suggestions, bug reports to "));
  suggestions->setObjectName(QStringLiteral("Label5"));

  mail_ = new ClickableLabel(Text(kContactAddress));
  Name(mail_, QStringLiteral("Label2"), mail_->text());
  mail_->SetLink(true);
  QPalette mailPalette = mail_->palette();
  mailPalette.setColor(QPalette::WindowText, QColor(128, 128, 255));
  mail_->setPalette(mailPalette);
  QFont underlined = mail_->font();
  underlined.setUnderline(true);
  mail_->setFont(underlined);

  web_ = new ClickableLabel(ProductWebPage());
  Name(web_, QStringLiteral("Label6"), web_->text());
  web_->SetLink(true);
  QPalette webPalette = web_->palette();
  webPalette.setColor(QPalette::WindowText, QColor(192, 192, 0));
  webPalette.setColor(QPalette::Window, Qt::black);
  web_->setPalette(webPalette);
  web_->setAutoFillBackground(true);

  auto* contact = new QHBoxLayout;
  contact->addWidget(suggestions);
  contact->addWidget(mail_);
  contact->addStretch();

  auto* right = new QVBoxLayout;
  right->addWidget(creator);
  right->addWidget(terms, 1);
  right->addLayout(contact);
  right->addWidget(web_);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(image, 0, Qt::AlignTop);
  layout->addLayout(right, 1);
  resize(620, 300);

  connect(image, &ClickableLabel::clicked, this, &QWidget::close);
  connect(creator, &ClickableLabel::clicked, this, &QWidget::close);
  connect(web_, &ClickableLabel::clicked, this, [this] { ctx_.shell.Open(ProductWebPage()); });
  connect(mail_, &ClickableLabel::clicked, this, [this] { ctx_.shell.Open(ContactMailto()); });
  connect(mail_, &ClickableLabel::pressed, this, [this] {
    QFont f = mail_->font();
    f.setBold(true);
    mail_->setFont(f);
  });
  connect(mail_, &ClickableLabel::released, this, [this] {
    QFont f = mail_->font();
    f.setBold(false);
    mail_->setFont(f);
  });

  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(300);
  connect(&timer_, &QTimer::timeout, this, [this] { FlipNavyBlack(web_); });
  timer_.start();
}

void AboutBox::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  close();
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
  // Escape closes the box, as a keyboard user expects of an about box.
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void AboutBox::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  KeepShownSizeAsMinimum(this);
}

}  // namespace voxmire

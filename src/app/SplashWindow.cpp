#include "SplashWindow.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/ClickableLabel.h"
#include "app/Navigator.h"
#include "app/Page.h"
#include "app/Shell.h"
#include "core/Product.h"

namespace voxmire {

SplashWindow::SplashWindow(AppContext& ctx) : QWidget(nullptr, Qt::SplashScreen), ctx_(ctx) {
  setObjectName(QStringLiteral("frmSplash"));
  setWindowTitle(QStringLiteral("Voxmire"));
  setFont(PageFont());
  setFocusPolicy(Qt::StrongFocus);
  PaintBlack(this);

  auto* image = ProductPicture(QStringLiteral("Image2"));
  image->setAlignment(Qt::AlignCenter);

  address_ = new ClickableLabel(ProductWebPage());
  Name(address_, QStringLiteral("Label1"), ProductWebPage());
  QPalette addressPalette = address_->palette();
  addressPalette.setColor(QPalette::WindowText, QColor(192, 192, 0));
  addressPalette.setColor(QPalette::Window, Navy());
  address_->setPalette(addressPalette);
  address_->setAutoFillBackground(true);
  address_->setAlignment(Qt::AlignCenter);
  address_->setCursor(Qt::PointingHandCursor);

  auto* copyright =
      new ClickableLabel(QStringLiteral("Copyright \u00A9 2026 %1. All rights reserved.")
                             .arg(QString::fromUtf8(kMakerName.data(), kMakerName.size())));
  Name(copyright, QStringLiteral("lblCopyright"), copyright->text());
  copyright->setAlignment(Qt::AlignCenter);

  auto* version = new ClickableLabel(QString::fromUtf8(kVersionText.data(), kVersionText.size()));
  Name(version, QStringLiteral("lblVersion"), version->text());
  version->setAlignment(Qt::AlignCenter);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 24, 24, 24);
  layout->addWidget(image);
  layout->addWidget(address_);
  layout->addWidget(version);
  layout->addWidget(copyright);

  for (ClickableLabel* label : {image, copyright, version}) {
    connect(label, &ClickableLabel::clicked, this, &SplashWindow::OpenStartPage);
  }
  connect(address_, &ClickableLabel::clicked, this, [this] { ctx_.shell.Open(ProductWebPage()); });

  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(400);
  connect(&timer_, &QTimer::timeout, this, &SplashWindow::Tick);
  timer_.start();
}

void SplashWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  activateWindow();
  setFocus();
}

void SplashWindow::Tick() {
  FlipNavyBlack(address_);
  ++ticks_;
  if (ticks_ == 4) OpenStartPage();
}

void SplashWindow::OpenStartPage() {
  // Closing stops the timer, so the start page opens exactly once.
  timer_.stop();
  ctx_.nav.Forward(PageId::Splash, PageId::Start);
}

void SplashWindow::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  OpenStartPage();
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
  event->accept();
  // Escape ends the program; any other key goes straight on, as a click
  // does (a key pressed to hurry the splash along must not end it all).
  if (event->key() == Qt::Key_Escape) {
    timer_.stop();
    ctx_.nav.Close(PageId::Splash);
    return;
  }
  OpenStartPage();
}

}  // namespace voxmire

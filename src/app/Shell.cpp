#include "Shell.h"

#include <QDesktopServices>
#include <QUrl>

#include "core/Product.h"

namespace voxmire {

void OpenWithShell(const QString& target) {
  const QUrl url(target);
  // A bare path (no scheme, or a drive letter mistaken for one) is a document.
  if (url.scheme().size() > 1) {
    QDesktopServices::openUrl(url);
  } else {
    QDesktopServices::openUrl(QUrl::fromLocalFile(target));
  }
}

QString ProductWebPage() {
  return QString::fromUtf8(kProductWebPage.data(), kProductWebPage.size());
}

QString ContactMailto() {
  return QStringLiteral("mailto:") +
         QString::fromUtf8(kContactAddress.data(), kContactAddress.size());
}

}  // namespace voxmire

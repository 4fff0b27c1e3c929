#pragma once
// Opening a web address, a "mailto:" link or a document with the desktop's
// default program. Failures are silent: nothing is reported and the calling
// window stays as it was.
#include <QString>

namespace voxmire {

void OpenWithShell(const QString& target);

class Shell {
 public:
  virtual ~Shell() = default;
  virtual void Open(const QString& target) = 0;
};

class DesktopShell : public Shell {
 public:
  void Open(const QString& target) override { OpenWithShell(target); }
};

// The two targets the program opens itself.
QString ProductWebPage();
QString ContactMailto();

}  // namespace voxmire

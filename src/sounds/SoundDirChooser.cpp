#include "SoundDirChooser.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/DirectoryLists.h"
#include "app/Navigator.h"
#include "app/Qt1252.h"
#include "core/Text1252.h"
#include "project/Ini.h"
#include "project/ProjectState.h"

namespace voxmire {

SoundDirChooser::SoundDirChooser(AppContext& ctx)
    : DirChooser(ctx, QStringLiteral("frmChooseSoundDir"), tr("Choose your sound directory")) {
  auto* title = new QLabel(tr("Choose your sound directory"));
  title->setObjectName(QStringLiteral("Label1"));
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  Body()->insertWidget(0, title);

  auto* warning = new QLabel(tr(
      "NO Long file names/dirs because its a  DOS compiler. Make something like C:\\sounds\\ and "
      "put your sounds in there. You have been warned!"));
  warning->setObjectName(QStringLiteral("Label2"));
  warning->setWordWrap(true);
  Body()->insertWidget(Body()->count() - 1, warning);

  // Opening: the remembered directory, then the remembered drive; the first
  // that can't be applied ends the step.
  const auto prefs = ctx_.PrefsIni();
  if (SetDirectory(ToQt(ReadIniValue("Config", "SoundDir", prefs)))) {
    SetDrive(ToQt(ReadIniValue("Config", "SoundDrive", prefs)));
  }
}

void SoundDirChooser::Select() {
  const QString dir = Directories()->Path();
  const QString drive = Drives()->Drive();
  // The script and our settings hold paths as Windows-1252: a folder named
  // outside it would come back as '?' and never be found.
  if (!FitsCp1252(dir.toStdString())) {
    ctx_.dialogs.Message(this, tr("Unusable folder name"),
                         tr("The folder \"%1\" has characters that the game's script and this "
                            "program's files can't hold.\rPut your sounds in a folder whose path "
                            "uses Western European letters only.")
                             .arg(dir),
                         MessageIcon::Critical);
    return;
  }
  ctx_.state.SoundDir = FromQt(dir) + "/";
  ctx_.state.SoundDrive = FromQt(drive);
  WriteIniValue("Config", "SoundDir", FromQt(dir), ctx_.PrefsIni());
  WriteIniValue("Config", "SoundDrive", FromQt(drive), ctx_.PrefsIni());
  ctx_.nav.Forward(PageId::ChooseSoundDir, PageId::Sounds);
}

}  // namespace voxmire

// Renders the tool's windows to PNG files for the README and for a look by
// eye: screenshots OUTPUT_FOLDER. Runs offscreen.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

#include "main_window/form1.h"
#include "main_window/frm_about.h"
#include "main_window/patch_grid.h"
#include "paths_dialog/paths_dialog.h"
#include "tests/support/recording_starter.h"
#include "tests/support/scripted_ui.h"

namespace {

bool Save(QWidget* widget, const QString& file) {
  widget->show();
  QApplication::processEvents();
  return widget->grab().save(file);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Stormline Lighting"));
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(out);

  ScriptedUi ui;
  RecordingStarter starter;
  Form1 form({&ui, &starter, &platform::RealFileSystem(), QDir::tempPath().toStdString(), "."});
  auto* combo = form.findChild<QComboBox*>(QStringLiteral("Combo1"));
  combo->setCurrentIndex(1);
  form.Combo1_Click();
  for (const int patch : {0, 1, 2, 16, 17, 18, 19, 33, 34, 35, 50, 51, 52, 67, 68, 84, 85, 101, 119})
    form.patchGrid()->clickBox(patch);
  form.setTerrainCheck(true);
  form.setMergeCheck(true);
  bool ok = Save(&form, out + QStringLiteral("/main_window.png"));

  form.setGamePath(QStringLiteral(R"(C:\Games\Stormline)"));
  form.setLevelName(QStringLiteral("Coast"));
  form.setModName(QStringLiteral("Stormline"));
  form.menuFilePaths_Click();
  ok = Save(form.pathsDialog(), out + QStringLiteral("/paths_dialog.png")) && ok;

  form.menuAbout_Click();
  ok = Save(form.aboutBox(), out + QStringLiteral("/about.png")) && ok;
  return ok ? 0 : 1;
}

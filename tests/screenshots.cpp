// Renders the tool's windows to PNG files for the README and for a look by
// eye, and the tool's icon to the .ico file that the Windows build embeds:
// screenshots [--dark] [--suffix TEXT] OUTPUT_FOLDER [ICON_FILE]. --dark
// renders under a dark colour scheme; TEXT goes after each picture's name
// ("main_window@2x.png"). The scale is QT_SCALE_FACTOR's. Runs offscreen or
// on a display.
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>

#include "main_window/app_icon.h"
#include "main_window/form1.h"
#include "main_window/frm_about.h"
#include "main_window/patch_grid.h"
#include "paths_dialog/paths_dialog.h"
#include "tests/support/dark_palette.h"
#include "tests/support/recording_starter.h"
#include "tests/support/scripted_ui.h"

namespace {

bool Save(QWidget* widget, const QString& file) {
  widget->show();
  QApplication::processEvents();
  return widget->grab().save(file);
}

void Put16(QByteArray& out, int value) { out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF)); }
void Put32(QByteArray& out, qint64 value) {
  Put16(out, int(value & 0xFFFF));
  Put16(out, int((value >> 16) & 0xFFFF));
}

// One icon image: 32-bit BGRA rows bottom up with an all-zero AND mask, as
// every Windows version reads it; the large ones as PNG, as Vista and later
// read them.
QByteArray IconImage(int size) {
  const QImage image = AppIconPixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
  QByteArray out;
  if (size >= 128) {
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
  }
  const int maskRow = ((size + 31) / 32) * 4;
  Put32(out, 40);
  Put32(out, size);
  Put32(out, 2 * size);  // the colour rows and the mask rows
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);
  Put32(out, 4 * size * size + maskRow * size);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (int y = size - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < size; ++x) {
      out.append(char(qBlue(row[x]))).append(char(qGreen(row[x]))).append(char(qRed(row[x]))).append(char(qAlpha(row[x])));
    }
  }
  out.append(QByteArray(maskRow * size, '\0'));
  return out;
}

bool SaveIcon(const QString& file) {
  const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
  QByteArray head;
  QByteArray images;
  Put16(head, 0);
  Put16(head, 1);  // an icon, not a cursor
  Put16(head, int(std::size(sizes)));
  const qint64 first = 6 + 16 * qint64(std::size(sizes));
  for (const int size : sizes) {
    const QByteArray image = IconImage(size);
    head.append(char(size & 0xFF)).append(char(size & 0xFF));  // 256 is written as 0
    head.append(char(0)).append(char(0));
    Put16(head, 1);
    Put16(head, 32);
    Put32(head, image.size());
    Put32(head, first + images.size());
    images += image;
  }
  QFile out(file);
  return out.open(QIODevice::WriteOnly) && out.write(head + images) == head.size() + images.size();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QStringList args = QApplication::arguments().mid(1);
  QString suffix;
  if (args.value(0) == QLatin1String("--dark")) {
    args.removeFirst();
    // Windows shows a dark scheme in high contrast only, without visual
    // styles: its classic controls in the scheme's colours.
    if (QApplication::style()->name() == QLatin1String("windowsvista")) QApplication::setStyle(QStringLiteral("Windows"));
    QApplication::setPalette(DarkPalette());
  }
  if (args.value(0) == QLatin1String("--suffix")) {
    suffix = args.value(1);
    args = args.mid(2);
  }
  const QString out = args.isEmpty() ? QStringLiteral(".") : args[0];
  const QString icon = args.value(1);
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
  bool ok = Save(&form, out + QStringLiteral("/main_window") + suffix + QStringLiteral(".png"));

  form.setGamePath(QStringLiteral(R"(C:\Games\Stormline)"));
  form.setLevelName(QStringLiteral("Coast"));
  form.setModName(QStringLiteral("Stormline"));
  form.menuFilePaths_Click();
  ok = Save(form.pathsDialog(), out + QStringLiteral("/paths_dialog") + suffix + QStringLiteral(".png")) && ok;

  form.menuAbout_Click();
  ok = Save(form.aboutBox(), out + QStringLiteral("/about") + suffix + QStringLiteral(".png")) && ok;
  if (!icon.isEmpty()) ok = SaveIcon(icon) && ok;
  return ok ? 0 : 1;
}

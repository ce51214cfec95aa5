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

// Little-endian fields, each a value and its number of bytes.
void Put(QByteArray& out, std::initializer_list<std::pair<qint64, int>> fields) {
  for (const auto& [value, bytes] : fields) {
    for (int i = 0; i < bytes; ++i) out.append(char((value >> (8 * i)) & 0xFF));
  }
}

// One icon image: 32-bit BGRA rows bottom up with an all-zero AND mask, as
// every Windows version reads it; the large ones as PNG, as Vista and later
// read them.
QByteArray IconImage(int size) {
  const QImage image = AppIconPixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
  QByteArray out;
  QBuffer buffer(&out);
  if (size >= 128) return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG") ? out : QByteArray();
  const int mask = (size + 31) / 32 * 4 * size;
  // Header size, width, height of colour and mask rows, 1 plane, 32 bits,
  // no compression, image size, then resolution and colour counts unset.
  Put(out, {{40, 4}, {size, 4}, {2 * size, 4}, {1, 2}, {32, 2}, {0, 4}, {4 * size * size + mask, 4}, {0, 8}, {0, 8}});
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) Put(out, {{image.pixel(x, y), 4}});
  }
  return out + QByteArray(mask, '\0');
}

bool SaveIcon(const QString& file) {
  const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
  QByteArray head, images;
  Put(head, {{0, 2}, {1, 2}, {std::size(sizes), 2}});  // an icon, not a cursor
  for (const int size : sizes) {
    const QByteArray image = IconImage(size);
    // Width and height (256 as 0), no palette, 1 plane, 32 bits, size, offset.
    Put(head, {{size, 1}, {size, 1}, {0, 2}, {1, 2}, {32, 2}, {image.size(), 4}, {6 + 16 * 7 + images.size(), 4}});
    images += image;
  }
  QFile out(file);
  return out.open(QIODevice::WriteOnly) && out.write(head + images) == head.size() + images.size();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QStringList args = QApplication::arguments().mid(1);
  if (args.value(0) == QLatin1String("--dark")) {
    args.removeFirst();
    // Windows shows a dark scheme in high contrast only, without visual
    // styles: its classic controls in the scheme's colours.
    if (QApplication::style()->name() == QLatin1String("windowsvista")) QApplication::setStyle(QStringLiteral("Windows"));
    QApplication::setPalette(DarkPalette());
  }
  const bool suffixed = args.value(0) == QLatin1String("--suffix");
  const QString suffix = suffixed ? args.value(1) : QString();
  args = args.mid(suffixed ? 2 : 0);
  const QString out = args.value(0, QStringLiteral("."));
  QDir().mkpath(out);
  const auto file = [&](const char* name) { return out + QLatin1Char('/') + QLatin1String(name) + suffix + ".png"; };

  ScriptedUi ui;
  RecordingStarter starter;
  Form1 form({&ui, &starter, &platform::RealFileSystem(), QDir::tempPath().toStdString(), "."});
  form.findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(1);
  form.Combo1_Click();
  for (const int patch : {0, 1, 2, 16, 17, 18, 19, 33, 34, 35, 50, 51, 52, 67, 68, 84, 85, 101, 119})
    form.patchGrid()->clickBox(patch);
  form.TakeRunConfiguration({R"(C:\Games\Stormline)", "Coast", "Stormline", 1.5, true, true, false});
  bool ok = Save(&form, file("main_window"));
  form.menuFilePaths_Click();
  ok = Save(form.pathsDialog(), file("paths_dialog")) && ok;
  form.menuAbout_Click();
  ok = Save(form.aboutBox(), file("about")) && ok;
  return (args.value(1).isEmpty() || SaveIcon(args.value(1))) && ok ? 0 : 1;
}

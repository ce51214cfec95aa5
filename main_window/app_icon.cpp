#include "main_window/app_icon.h"

#include <QLinearGradient>
#include <QPainter>

QPixmap AppIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);

  QLinearGradient sky(0, 0, 0, 64);
  sky.setColorAt(0, QColor(24, 40, 88));
  sky.setColorAt(1, QColor(70, 40, 90));
  p.setPen(Qt::NoPen);
  p.setBrush(sky);
  p.drawRoundedRect(QRectF(1, 1, 62, 62), 10, 10);

  // The sun low on the left, throwing light across the patches.
  p.setBrush(QColor(255, 196, 64));
  p.drawEllipse(QPointF(16, 18), 8, 8);

  // A 4 x 4 patch grid in perspective-free plan; lit patches are warm.
  const bool lit[4][4] = {{true, true, false, false}, {true, true, true, false}, {false, true, true, false},
                          {false, false, true, true}};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const QRectF cell(14 + 11 * column, 22 + 9.5 * row, 9, 7.5);
      p.setBrush(lit[row][column] ? QColor(250, 220, 120) : QColor(60, 90, 70));
      p.drawRect(cell);
    }
  }

  // A bolt for the run that bakes it.
  const QPointF bolt[] = {{40, 4}, {30, 20}, {37, 20}, {32, 34}, {46, 15}, {39, 15}};
  p.setBrush(QColor(255, 255, 255));
  p.setPen(QPen(QColor(40, 40, 60), 1));
  p.drawPolygon(bolt, static_cast<int>(std::size(bolt)));
  return pixmap;
}

QIcon AppIcon() {
  static const QIcon icon = [] {
    QIcon made;
    for (const int size : {16, 24, 32, 48, 64, 128}) made.addPixmap(AppIconPixmap(size));
    return made;
  }();
  return icon;
}

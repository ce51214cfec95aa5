#pragma once

#include <QFont>
#include <QStringList>

// The font the windows were laid out for, with the faces of the same
// metrics where it is missing.
inline QFont WindowFont(double points, bool bold = false) {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Sans Serif")});
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

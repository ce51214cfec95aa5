#pragma once

#include <QColor>
#include <QPalette>

// The outline of an enabled check box: between the window's text and its
// background, so that it stands out at more than 3:1 under light and dark
// palettes alike, where the style's own outline may not.
inline QColor BoxOutline(const QPalette& palette) {
  const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
  const QColor back = palette.color(QPalette::Active, QPalette::Window);
  const auto mix = [](double a, double b) { return 0.6 * a + 0.4 * b; };
  return QColor::fromRgbF(mix(text.redF(), back.redF()), mix(text.greenF(), back.greenF()),
                          mix(text.blueF(), back.blueF()));
}

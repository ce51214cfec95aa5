#pragma once

#include <QPalette>

// A dark colour scheme as desktops give it (colours near KDE's Breeze
// Dark): light text on dark grey, disabled texts dimmed, and every other
// colour the same for enabled and disabled controls.
inline QPalette DarkPalette() {
  QPalette palette(QColor(0xfc, 0xfc, 0xfc), QColor(0x31, 0x36, 0x3b), QColor(0x40, 0x46, 0x4c),
                   QColor(0x14, 0x16, 0x18), QColor(0x23, 0x26, 0x29), QColor(0xfc, 0xfc, 0xfc),
                   QColor(0xfc, 0xfc, 0xfc), QColor(0x1b, 0x1e, 0x20), QColor(0x2a, 0x2e, 0x32));
  palette.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, QColor(0x6e, 0x71, 0x75));
  }
  return palette;
}

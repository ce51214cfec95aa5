#pragma once

#include <QPalette>

// A dark colour scheme as desktops give it (colours near KDE's Breeze
// Dark): light text on dark grey, disabled texts dimmed, and every other
// colour the same for enabled and disabled controls.
inline QPalette DarkPalette() {
  QPalette palette(QColor(0xfcfcfc), QColor(0x31363b), QColor(0x40464c), QColor(0x141618), QColor(0x232629),
                   QColor(0xfcfcfc), QColor(0xfcfcfc), QColor(0x1b1e20), QColor(0x2a2e32));
  palette.setColor(QPalette::Highlight, QColor(0x3daee9));
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, QColor(0x6e7175));
  return palette;
}

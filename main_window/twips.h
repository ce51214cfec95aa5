#pragma once

#include <QRect>

// Layouts are given in twips; 15 twips make one logical pixel, which Qt
// scales to the screen.
constexpr int Twips(int twips) { return (twips + 7) / 15; }
inline QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

#pragma once

#include <QPushButton>
#include <QRect>

#include "main_window/fitting_check_box.h"

// Controls as the windows make them: named for tests and screen readers,
// placed where the layout puts them.
template <typename T>
T* Placed(T* widget, const char* name, QRect geometry) {
  widget->setObjectName(QLatin1String(name));
  widget->setGeometry(geometry);
  return widget;
}

// Auto default: Enter presses the button that has the focus, as Space does.
inline QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  QPushButton* button = Placed(new QPushButton(caption, parent), name, geometry);
  button->setAutoDefault(true);
  return button;
}

inline FittingCheckBox* MakeBox(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  return Placed(new FittingCheckBox(caption, parent), name, geometry);
}

// Shows a window of the tool's, or brings it forward where it is open.
inline void Present(QWidget* window) { window->show(), window->raise(), window->activateWindow(); }

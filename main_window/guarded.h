#pragma once

#include <functional>

#include "main_window/ui_services.h"

class QWidget;

// Qt cannot carry an exception through its event loop, so every handler
// runs through this: whatever it throws, running out of memory included,
// becomes a message, and the tool goes on.
void RunGuarded(QWidget* window, UiServices& ui, const std::function<void()>& handler);

template <typename Window>
auto Guarded(Window* window, UiServices& ui, void (Window::*handler)()) {
  return [window, &ui, handler] { RunGuarded(window, ui, [window, handler] { (window->*handler)(); }); };
}

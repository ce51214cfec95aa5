#include "main_window/guarded.h"

#include <QString>
#include <exception>
#include <new>

void RunGuarded(QWidget* window, UiServices& ui, const std::function<void()>& handler) {
  QString text;
  try {
    handler();
    return;
  } catch (const std::bad_alloc&) {
    text = QStringLiteral("There was not enough memory to finish this step. Nothing more was done.");
  } catch (const std::exception& error) {
    text = QStringLiteral("This step could not be finished: %1. Nothing more was done.")
               .arg(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    text = QStringLiteral("This step could not be finished. Nothing more was done.");
  }
  try {
    ui.ShowMessage(window, {text, QString(), UiServices::Icon::Warning, UiServices::Buttons::Ok});
  } catch (...) {
    // Not even the message could be shown; the tool still goes on.
  }
}

#pragma once

#include <QFileDialog>

#include "main_window/ui_services.h"

// The real dialogs and message boxes.
class QtUiServices final : public UiServices {
 public:
  QString SaveFileName(QWidget* parent, const FileRequest& request) override;
  QString OpenFileName(QWidget* parent, const FileRequest& request) override;
  Answer ShowMessage(QWidget* parent, const Message& message) override;

  // Sets a file dialog up as a request asks, before it is shown.
  static void Prepare(QFileDialog& dialog, const FileRequest& request, QFileDialog::AcceptMode mode);
 private:
  // "desc|pattern|desc|pattern" as Qt's name filters, each "desc (patterns)".
  static QStringList NameFilters(const QString& filter);
};

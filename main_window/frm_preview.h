#pragma once

#include <QWidget>

#include "main_window/lighting_run.h"

class QLabel;
class QPlainTextEdit;

// What Run Lighting would write now, read-only: go.bat line by line and the
// folder it goes to, or the message that Run Lighting would show instead.
// Modeless, one at a time; the main window keeps it up to date.
class FrmPreview : public QWidget {
  Q_OBJECT

 public:
  explicit FrmPreview(QWidget* owner);

  void Show(const lighting_run::Result& prepared, const QString& folder);
  QString scriptText() const;
  QString folderText() const;

 private:
  QPlainTextEdit* Script_Text = nullptr;
  QLabel* Folder_Label = nullptr;
};

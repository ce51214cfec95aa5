#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: modeless, one at a time, gone when closed.
class FrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit FrmAbout(QWidget* owner);

  void cmdOK_Click();

 private:
  QLabel* picIcon = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblDescription = nullptr;
  QPushButton* cmdOK = nullptr;
};

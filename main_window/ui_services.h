#pragma once

#include <QString>

class QWidget;

// The modal pieces of the platform's user interface: file dialogs and
// message boxes. The windows reach them only through this, so that tests can
// answer them.
class UiServices {
 public:
  virtual ~UiServices() = default;

  struct FileRequest {
    // Choices as description "|" pattern pairs: "lmList.dat|lmList.dat|All Files (*.*)|*.*".
    QString filter;
    QString fileName;
    QString initialFolder;  // as the tool built it; empty: the dialog's own choice
  };
  // Both return the full path of the chosen file, or an empty text when the
  // user cancels. Neither asks about overwriting: the caller does.
  virtual QString SaveFileName(QWidget* parent, const FileRequest& request) = 0;
  virtual QString OpenFileName(QWidget* parent, const FileRequest& request) = 0;

  enum class Icon { None, Information, Warning };
  enum class Buttons { Ok, YesNo };
  enum class Answer { Ok, Yes, No };
  struct Message {
    QString text;
    QString title;  // empty: the application's name
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    bool noIsDefault = false;  // with Yes and No: No takes Enter
  };
  // Modal; with Yes and No, Yes is the default button unless noIsDefault.
  virtual Answer ShowMessage(QWidget* parent, const Message& message) = 0;
};

#include <QApplication>

#include "main_window/form1.h"
#include "main_window/qt_ui_services.h"
#include "platform/number_text.h"
#include "platform/tool_folder.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("StormlineLighting"));

  QtUiServices ui;
  const auto starter = platform::MakeSystemBatchStarter();
  Form1 form({&ui, starter.get(), &platform::RealFileSystem(), platform::ToolFolder(),
              platform::UserDecimalSeparator()});
  form.show();
  return app.exec();
}

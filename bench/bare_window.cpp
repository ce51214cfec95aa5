// The yardstick for the Windows program's start: a bare main window of the
// same static Qt, shown as the tool shows its own.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Bare Qt window"));
  window.resize(330, 540);
  window.show();
  return app.exec();
}

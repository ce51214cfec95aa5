#include <QApplication>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "main_window/command_line.h"
#include "main_window/form1.h"
#include "main_window/qt_ui_services.h"
#include "platform/number_text.h"
#include "platform/tool_folder.h"

#ifdef _WIN32
#include <windows.h>
// CommandLineToArgvW, which WIN32_LEAN_AND_MEAN leaves out.
#include <shellapi.h>

#include <cstdio>

#include "platform/win_text.h"
#endif

namespace {

// Without a window. A GUI program on Windows has no console of its own: it
// writes to the one it was started from, and where there is none (a
// shortcut) a refusal is shown in a message box.
int RunWithoutWindows(const std::vector<std::string>& args) {
  const auto starter = platform::MakeSystemBatchStarter();
  const command_line::Services services{starter.get(), &platform::RealFileSystem(), platform::ToolFolder(),
                                        platform::UserDecimalSeparator(), &Form1Services::GameFoundOnDisk};
#ifdef _WIN32
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
    std::cout << std::endl;  // past the prompt the console printed meanwhile
  } else {
    std::ostringstream out, err;
    const int status = command_line::Run(args, services, out, err);
    const std::string text = status == command_line::kStarted ? out.str() : err.str();
    if (!text.empty()) {
      MessageBoxW(nullptr, platform::win::Widen(text).c_str(), L"StormlineLighting",
                  MB_OK | (status == command_line::kStarted ? MB_ICONINFORMATION : MB_ICONWARNING));
    }
    return status;
  }
#endif
  return command_line::Run(args, services, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char* argv[]) {
#ifdef _WIN32
  // The arguments as typed, not through the ANSI code page.
  std::vector<std::string> args;
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) args.push_back(platform::win::Narrow(wide[i]));
    LocalFree(wide);
  }
#else
  const std::vector<std::string> args(argv + 1, argv + argc);
#endif
  if (command_line::WantsCommandLine(args)) return RunWithoutWindows(args);

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("StormlineLighting"));

  QtUiServices ui;
  const auto starter = platform::MakeSystemBatchStarter();
  Form1 form({&ui, starter.get(), &platform::RealFileSystem(), platform::ToolFolder(),
              platform::UserDecimalSeparator()});
  form.show();
  return app.exec();
}

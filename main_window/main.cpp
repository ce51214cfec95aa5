#include <QApplication>
#include <cstdio>
#include <cstdlib>
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

#include "platform/code_page.h"
#include "platform/win_text.h"
#else
#include <csignal>
#endif

namespace {

#ifdef _WIN32
// A GUI program has no console of its own. Its text goes to the standard
// handle it was given where that is a file or a pipe (a redirection, a
// scheduled task's log), else to the console it was started from.
class Output {
 public:
  ~Output() {
    if (console_ != INVALID_HANDLE_VALUE) CloseHandle(console_);
  }
  // False where the text has nowhere to go.
  bool Write(DWORD which, const std::string& text) {
    if (text.empty()) return true;
    const HANDLE handle = GetStdHandle(which);
    const DWORD type = handle && handle != INVALID_HANDLE_VALUE ? GetFileType(handle) : FILE_TYPE_UNKNOWN;
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
      // Files and pipes are read in the ANSI code page, as cmd's own output.
      const std::string bytes = platform::EncodeSingleByte(text).value_or(text);
      DWORD put = 0;
      WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
      return true;
    }
    if (!Console()) return false;
    const std::wstring wide = platform::win::Widen(text);
    DWORD put = 0;
    return WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &put, nullptr) ||
           WriteFile(console_, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  }

 private:
  bool Console() {
    if (!tried_) {
      tried_ = true;
      // Wine has attached us already (AttachConsole then fails), Windows not.
      AttachConsole(ATTACH_PARENT_PROCESS);
      console_ = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
      DWORD put = 0;  // past the prompt that the console printed meanwhile
      if (console_ != INVALID_HANDLE_VALUE) WriteConsoleW(console_, L"\r\n", 2, &put, nullptr);
    }
    return console_ != INVALID_HANDLE_VALUE;
  }

  bool tried_ = false;
  HANDLE console_ = INVALID_HANDLE_VALUE;
};

// A scheduled task that runs whether the user is logged on or not has a
// desktop nobody sees: a message box there would wait for ever.
bool DesktopIsInteractive() {
  USEROBJECTFLAGS flags{};
  return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr) &&
         (flags.dwFlags & WSF_VISIBLE);
}
#endif

int RunWithoutWindows(const std::vector<std::string>& args) {
#ifndef _WIN32
  // A reader that went away is no failure of a run that started.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  const auto starter = platform::MakeSystemBatchStarter();
  const game::DiskGameLookup game(platform::RealFileSystem());
  const lighting_run::Services services{&platform::RealFileSystem(), starter.get(), platform::ToolFolder(),
                                        platform::UserDecimalSeparator(), &game};
  std::ostringstream out, err;
  const int status = command_line::Run(args, services, out, err);
#ifdef _WIN32
  Output output;
  const bool outShown = output.Write(STD_OUTPUT_HANDLE, out.str());
  const bool errShown = output.Write(STD_ERROR_HANDLE, err.str());
  // Started from a shortcut: a refusal, or the help asked for, in a box.
  const bool help = status == command_line::kStarted && err.str().empty() && out.str() == command_line::Usage();
  const std::string unshown = (errShown ? "" : err.str()) + (outShown || !help ? "" : out.str());
  if (!unshown.empty() && DesktopIsInteractive()) {
    MessageBoxW(nullptr, platform::win::Widen(unshown).c_str(), L"StormlineLighting",
                MB_OK | (status == command_line::kStarted ? MB_ICONINFORMATION : MB_ICONWARNING));
  }
#else
  std::cout << out.str() << std::flush;
  std::cerr << err.str() << std::flush;
#endif
  return status;
}

// What Qt says while it connects to the display is held back; where it
// cannot connect, it would abort, so one line and a usage error instead.
std::vector<std::pair<QtMsgType, QString>> heldBack;
void HoldBack(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs("StormlineLighting: the windows cannot open, as there is no display to show them on. "
               "Use --run NAME to light without them.\n",
               stderr);
    std::_Exit(command_line::kUsageError);
  }
  heldBack.emplace_back(type, text);
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

  const QtMessageHandler previous = qInstallMessageHandler(HoldBack);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);
  for (const auto& [type, text] : heldBack) previous(type, QMessageLogContext(), text);
  heldBack.clear();
  QApplication::setApplicationName(QStringLiteral("StormlineLighting"));

  QtUiServices ui;
  const auto starter = platform::MakeSystemBatchStarter();
  const game::DiskGameLookup game(platform::RealFileSystem());
  const std::string toolFolder = platform::ToolFolder();
  Form1 form({&ui, starter.get(), &platform::RealFileSystem(), toolFolder, platform::UserDecimalSeparator(), &game});
  form.show();
  // Opened inside a zip in Explorer, the program runs from a copy that goes
  // when Windows cleans its temporary folder, and what it saved with it.
  if (platform::InTemporaryFolder(toolFolder)) {
    ui.ShowMessage(&form, {QStringLiteral("StormlineLighting runs from a temporary folder:\n%1\n\nConfigurations saved "
                                          "here (config.ini) are lost when Windows cleans that folder. Close the tool, "
                                          "unzip it into a folder of its own, for instance C:\\Tools, and start it "
                                          "from there.")
                               .arg(QString::fromStdString(toolFolder)),
                           QString(), UiServices::Icon::Warning, UiServices::Buttons::Ok});
  }
  // A file dropped on the program, or opened with it: a patch list to import.
  if (const std::optional<std::string> dropped = command_line::DroppedFile(args)) {
    form.ImportPatchList(QString::fromStdString(*dropped));
  }
  return app.exec();
}

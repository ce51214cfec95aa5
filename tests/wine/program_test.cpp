// The tool's program as a user meets it on a virtual display: the Windows
// build, unpacked from its zip, under Wine, and the Linux build on X. Keys
// and clicks come from outside (xdotool); titles and pixels are read from the
// display. scripts/test-windows provides the display, a window manager, the
// Wine prefix and both programs.
#include <gtest/gtest.h>
#include <signal.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <algorithm>

#include "bench/x_display.h"
#include "tests/wine/batch_run_support.h"

namespace {

using batch_run::Env;
using namespace std::chrono_literals;

constexpr int kPitch = 20;  // 300 twips between boxes, at 96 dots per inch

// Its exit status is of no interest: a window gone meanwhile is no failure.
int Shell(const std::string& command) { return std::system(command.c_str()); }

using Shown = XDisplay::Shown;
// The windows that the window manager has taken on and that are mapped, with their titles.
std::vector<Shown> Windows() {
  static XDisplay display;
  return display.Windows();
}

// The bounds of the pixels that differ within a frame.
QRect Changed(const QImage& a, const QImage& b, const QRect& frame) {
  QRect bounds;
  for (int y = frame.top(); y <= frame.bottom(); ++y) {
    for (int x = frame.left(); x <= frame.right(); ++x) bounds |= a.pixel(x, y) != b.pixel(x, y) ? QRect(x, y, 1, 1) : QRect();
  }
  return bounds;
}

class Program : public testing::TestWithParam<bool> {  // true: the Windows build
 protected:
  ~Program() override {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
  }
  // What a user does, with time for the program to answer (Wine's windows
  // animate their buttons) and the pointer off the compared pixels.
  void Keys(const std::string& keys) {
    Shell("xdotool key --clearmodifiers " + keys + "; xdotool mousemove 0 0");
    std::this_thread::sleep_for(700ms);
  }
  // The window that doing something brings up, painted and active.
  Shown After(const std::function<void()>& act) {
    const auto before = Windows();
    act();
    Shown shown{0, "(no window)"};
    batch_run::WaitUntil([&] {
      for (const auto& w : Windows()) shown = w.title.empty() || Among(w.id, before) ? shown : w;
      return shown.id != 0;
    }, 60);
    std::this_thread::sleep_for(500ms);
    Activate(shown.id);
    return shown;
  }
  void Activate(unsigned long id) { Shell("timeout 5 xdotool windowactivate --sync " + std::to_string(id) + " 2>/dev/null"); }
  static bool Among(unsigned long id, const std::vector<Shown>& windows) {
    return std::any_of(windows.begin(), windows.end(), [&](const Shown& w) { return w.id == id; });
  }
  QImage Shot(const std::string& name) {
    static char self[] = "program_tests", option[] = "-platform", xcb[] = "xcb", *argv[] = {self, option, xcb, nullptr};
    static int argc = 3;
    static const QGuiApplication screen(argc, argv);  // Qt on the display, for its pixels
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    if (const std::string folder = Env("STORMLINE_SCREENSHOTS"); !folder.empty())
      image.save(QString::fromStdString(folder + (GetParam() ? "/windows-" : "/linux-") + name + ".png"));
    return image;
  }

  pid_t pid_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Both, Program, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& p) { return p.param ? "windows" : "linux"; });

TEST_P(Program, AUserMarksPatchesPicksASavedSettingAndRunsTheLighting) {
  if (Env("DISPLAY").empty() || Env("WINEPREFIX").empty() || Env("STORMLINE_WINDOWS_ZIP").empty() ||
      !std::filesystem::is_regular_file(batch_run::GameFolder::Double()))
    return batch_run::Missing("needs a display, Wine and both programs: run scripts/test-windows");
  // In a folder with a blank, as under "Program Files", beside a setting
  // saved in config.ini with its name in the ANSI code page.
  TempFolder tool;
  batch_run::GameFolder game;
  const std::string folder = tool.File("Stormline Lighting"), g = game.path();
  std::filesystem::create_directory(folder);
  TempFolder::Write(folder + "/config.ini", "[Save=K\xFCste]\r\ngamePath=" + g + "\r\nlevelName=" + batch_run::kLevel +
                                                "\r\nmodName=Stormline\r\nterrainBoolean=True\r\nmergeBoolean=True\r\n"
                                                "objectBoolean=True\r\nshadowDarkness=1.5\r\n");
  std::filesystem::copy_file(STORMLINE_LINUX_PROGRAM, folder + "/StormlineLighting");
  Shell("unzip -q '" + Env("STORMLINE_WINDOWS_ZIP") + "' -d '" + folder + "'");
  const std::string wine = std::filesystem::exists("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64 '" : "wine '";
  const std::string program = GetParam() ? wine + folder + "/StormlineLighting.exe'"
                                         : "QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 '" + folder + "/StormlineLighting'";
  // Started from elsewhere, so that it finds its own folder.
  const Shown main = After([&] {
    Shell("cd / && env -u QT_QPA_PLATFORM " + program + " >/dev/null 2>&1 & echo $! > '" + tool.File("pid") + "'");
    pid_ = std::stoi(TempFolder::Read(tool.File("pid")));
  });
  EXPECT_EQ(main.title, "Quillon's Stormline Batch Lighting Tool");

  // Select All marks the 4 x 4 corner and Clear Selection takes the marks away.
  Keys("alt+a");  // the focus to Select All; Space presses it
  const QImage before = Shot("grid-before");
  Keys("space");
  const QRect corner = Changed(before, Shot("grid-all"), before.rect());
  EXPECT_TRUE(!corner.isEmpty() && corner.width() < 4 * kPitch && corner.height() < 4 * kPitch) << "Select All";
  Keys("alt+c");
  EXPECT_EQ(Shot("grid-cleared").copy(corner), before.copy(corner)) << "Clear Selection left marks";

  // Ctrl+P, then OK with the empty "(Current)": a box titled with the
  // program's name asks for all entries. Back in the list of settings (three
  // fields before the game folder), Down picks the saved one.
  const Shown dialog = After([&] { Keys("ctrl+p"); });
  EXPECT_EQ(dialog.title, "Set Paths...");
  EXPECT_EQ(After([&] { Keys("Return"); }).title, "StormlineLighting");
  Keys("Return");
  Keys("shift+Tab shift+Tab shift+Tab Down");
  Shot("paths-saved");
  Keys("Return");
  EXPECT_TRUE(batch_run::WaitUntil([&] { return !Among(dialog.id, Windows()); }, 10)) << "OK did not close the dialog";

  // Ctrl+G: go.bat beside the program, its copy run through cmd, on Windows
  // in a console of its own that is titled with the copy's name.
  Activate(main.id);
  batch_run::ExpectEveryStage(game, "1.5", [&] {
    if (!GetParam()) return Keys("ctrl+g");
    const std::string console = After([&] { Keys("ctrl+g"); }).title;
    EXPECT_TRUE(console.starts_with("Stormline Lighting: go-")) << "go.bat ran in no console of its own: " << console;
  });
  std::string bytes = "@cd " + g + "\r\n@Z:\r\n";
  for (const auto& call : batch_run::EveryStageCalls(g, "1.5")) bytes += call.second + "\r\n";
  EXPECT_EQ(TempFolder::Read(folder + "/go.bat"), bytes);
}

}  // namespace

namespace {

// The Windows program from a shell under Wine: its text goes where the
// caller sent it (a file, both streams, a pipe), and a lone file, as dropped
// on it, opens the window with the file imported.
TEST(WindowsProgram, SaysWhereItIsToldAndOpensADroppedFile) {
  if (Env("WINEPREFIX").empty() || Env("STORMLINE_WINDOWS_ZIP").empty())
    return batch_run::Missing("needs Wine and the Windows zip: run scripts/test-windows");
  TempFolder tool;
  batch_run::GameFolder game;
  Shell("unzip -q '" + Env("STORMLINE_WINDOWS_ZIP") + "' -d '" + tool.path() + "'");
  TempFolder::Write(tool.File("config.ini"), "[Save=A]\r\ngamePath=" + game.path() + "\r\nlevelName=A\r\nmodName=Stormline\r\n");
  TempFolder::Write(tool.File("lmList.dat"), std::string("\x01\x00\x02\x00", 4));
  const std::string wine = std::filesystem::exists("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64" : "wine";
  const std::string program = "cd '" + tool.path() + "' && " + wine + " StormlineLighting.exe";
  const std::pair<std::string, std::string> cases[] = {
      {program + " --run A > said; echo $? >> said", "Started Z:"},
      {program + " --run Nope > said 2>&1; echo $? >> said",
       "config.ini holds no configuration named \"Nope\". Nothing was written or started.\n1\n"},
      {program + " --run A 2>/dev/null | cat > said", "Started Z:"},
  };
  for (const auto& [command, says] : cases) {
    TempFolder::Write(tool.File("call.sh"), command + "\n");
    Shell("timeout 60 bash '" + tool.File("call.sh") + "'");
    EXPECT_TRUE(TempFolder::Read(tool.File("said")).starts_with(says)) << command << "\n" << TempFolder::Read(tool.File("said"));
  }
  const Shown main = [&] {
    const auto before = Windows();
    Shell("cd '" + tool.path() + "' && { " + wine + " StormlineLighting.exe lmList.dat >/dev/null 2>&1 & echo $! > pid; }");
    Shown shown{0, "(no window)"};
    batch_run::WaitUntil([&] {
      // The consoles of the runs above may still be open.
      for (const auto& w : Windows()) {
        const bool old = std::any_of(before.begin(), before.end(), [&](const Shown& b) { return b.id == w.id; });
        if (!old && !w.title.empty() && !w.title.starts_with("Stormline Lighting: ")) shown = w;
      }
      return shown.id != 0;
    }, 60);
    return shown;
  }();
  EXPECT_EQ(main.title, "Quillon's Stormline Batch Lighting Tool");
  // Gone before the next test, whose keys it would take.
  ::kill(std::stoi(TempFolder::Read(tool.File("pid"))), SIGKILL);
  batch_run::WaitUntil([&] {
    const auto open = Windows();
    return std::none_of(open.begin(), open.end(), [&](const Shown& w) { return w.id == main.id; });
  }, 20);
}

}  // namespace

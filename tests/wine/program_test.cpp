// The tool's program as a user meets it, on a virtual display: the Windows
// build, unpacked from its zip, under Wine with Qt's Windows platform, and
// the Linux build on X. Keys and clicks come from outside (xdotool); titles
// and pixels are read from the display. scripts/test-windows provides the
// display, a window manager, the Wine prefix and both programs.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QImage>
#include <array>
#include <cstdio>
#include <optional>
#include <set>

#include "tests/support/temp_folder.h"
#include "tests/support/x_display.h"
#include "tests/wine/batch_run_support.h"

extern char** environ;

namespace {

using batch_run::Fill;
using batch_run::GameCall;
using batch_run::WaitUntil;
using namespace std::chrono_literals;

const std::string kMainTitle = "Quillon's Stormline Batch Lighting Tool";
constexpr int kPitch = 20;  // 300 twips between boxes, at 96 dots per inch

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    std::array<char, 512> buffer;
    while (const size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
    ::pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// What a user does with keyboard and mouse, with time for the program to
// answer (Wine's windows animate their buttons).
void Keys(const std::string& keys) {
  Shell("xdotool key --clearmodifiers " + keys);
  std::this_thread::sleep_for(700ms);
}
void ClickAt(QPoint point) {
  Shell("xdotool mousemove " + std::to_string(point.x()) + " " + std::to_string(point.y()) + " click 1");
  Shell("xdotool mousemove 0 0");  // no hover where the pixels are compared
  std::this_thread::sleep_for(700ms);
}
void Activate(unsigned long window) {
  Shell("timeout 5 xdotool windowactivate --sync " + std::to_string(window) + " 2>/dev/null");
  std::this_thread::sleep_for(300ms);
}

struct Kind {
  const char* name;
  bool windows;
};
void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.name; }

class Program : public testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    if (Env("DISPLAY").empty() || Env("WINEPREFIX").empty() || Env("STORMLINE_WINDOWS_ZIP").empty() ||
        Env("STORMLINE_GAME_DOUBLE").empty()) {
      const char* why = "needs a display, Wine and both programs: run scripts/test-windows";
      if (!Env("STORMLINE_REQUIRE_WINE").empty()) GTEST_FAIL() << why;
      GTEST_SKIP() << why;
    }
    ASSERT_TRUE(x.ok()) << "no X display at " << Env("DISPLAY");
    // A folder with a blank in its name, as under "Program Files".
    folder = tool.File("Stormline Lighting");
    std::filesystem::create_directory(TempFolder::FromUtf8(folder));
    if (GetParam().windows) {
      Shell("unzip -q " + Quoted(Env("STORMLINE_WINDOWS_ZIP")) + " -d " + Quoted(folder));
      program = platform::JoinPath(folder, "StormlineLighting.exe");
    } else {
      program = platform::JoinPath(folder, "StormlineLighting");
      std::filesystem::copy_file(STORMLINE_LINUX_PROGRAM, TempFolder::FromUtf8(program));
    }
    ASSERT_TRUE(TempFolder::Exists(program));
  }

  void TearDown() override {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    if (!WaitUntil([&] { return ::waitpid(pid_, nullptr, WNOHANG) != 0; }, 10s)) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    WaitUntil([&] { return !Find(main_.id); }, 10s);
  }

  // Starts the program from another folder, so that it finds its own, and
  // waits for its first window.
  XDisplay::Shown Start() {
    std::vector<std::string> args;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("ASAN_OPTIONS=", 0) != 0) env.push_back(entry);
    }
    if (GetParam().windows) {
      args = {std::filesystem::exists("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64" : "wine", program};
    } else {
      args = {program};
      env.push_back("QT_QPA_PLATFORM=xcb");
      env.push_back("ASAN_OPTIONS=detect_leaks=0");  // the X libraries' caches are not the tool's
    }
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    for (std::string& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const auto before = x.Windows();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed) ADD_FAILURE() << "could not start " << args[0];
    main_ = NewWindow(before, 60s).value_or(XDisplay::Shown{0, "(no window)"});
    return main_;
  }

  // The first window that was not there before.
  std::optional<XDisplay::Shown> NewWindow(const std::vector<XDisplay::Shown>& before,
                                           std::chrono::seconds bound = 15s) {
    std::set<unsigned long> known;
    for (const auto& w : before) known.insert(w.id);
    std::optional<XDisplay::Shown> found;
    WaitUntil(
        [&] {
          for (const auto& w : x.Windows()) {
            if (!known.count(w.id) && !w.title.empty()) found = w;
          }
          return found.has_value();
        },
        bound);
    if (found) std::this_thread::sleep_for(500ms);  // painted, not just mapped
    return found;
  }
  bool Find(unsigned long id) {
    for (const auto& w : x.Windows()) {
      if (w.id == id) return true;
    }
    return false;
  }

  QImage Shot(const std::string& name) {
    QImage image = x.Grab();
    if (const std::string shots = Env("STORMLINE_SCREENSHOTS"); !shots.empty()) {
      image.save(QString::fromStdString(shots + "/" + GetParam().name + "-" + name + ".png"));
    }
    return image;
  }

  XDisplay x;
  TempFolder tool;
  std::string folder;   // the program's own, where go.bat and config.ini go
  std::string program;
  pid_t pid_ = 0;
  XDisplay::Shown main_{};
};

// The zip as shipped: the program and its readme, the program a static
// Windows GUI program that carries its icon and version 1.0.
TEST(WindowsZip, HoldsAStaticGuiProgramWithIconAndVersionAndAReadme) {
  const std::string zip = Env("STORMLINE_WINDOWS_ZIP");
  if (zip.empty()) GTEST_SKIP() << "needs the Windows zip: run scripts/test-windows";
  EXPECT_EQ(Shell("unzip -Z1 " + Quoted(zip)), "StormlineLighting.exe\nREADME.txt");
  TempFolder unpacked;
  Shell("unzip -q " + Quoted(zip) + " -d " + Quoted(unpacked.path()));
  const std::string exe = unpacked.File("StormlineLighting.exe");
  const std::string headers = Shell("x86_64-w64-mingw32-objdump -p " + Quoted(exe));
  EXPECT_NE(headers.find("(Windows GUI)"), std::string::npos) << "not the GUI subsystem";
  const std::string dlls = Shell("x86_64-w64-mingw32-objdump -p " + Quoted(exe) + " | grep 'DLL Name'");
  for (const char* own : {"Qt6", "libgcc", "libstdc++", "libwinpthread"}) {
    EXPECT_EQ(dlls.find(own), std::string::npos) << "needs a DLL of its own: " << own << "\n" << dlls;
  }
  // The resource directory's types: 3 icon, 0xe icon group, 0x10 version.
  for (const char* type : {"ID: 0x000003,", "ID: 0x00000e,", "ID: 0x000010,"}) {
    EXPECT_NE(headers.find(type), std::string::npos) << "no resource of type " << type;
  }
  // The fixed version block: its signature, its layout, then 1.0.0.0 twice.
  const std::string bytes = TempFolder::Read(exe);
  const std::string version("\xBD\x04\xEF\xFE\x00\x00\x01\x00"
                            "\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00",
                            24);
  EXPECT_NE(bytes.find(version), std::string::npos) << "no version 1.0";
  EXPECT_NE(Shell("unzip -p " + Quoted(zip) + " README.txt").find("StormlineLighting.exe"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Both, Program, testing::Values(Kind{"windows", true}, Kind{"linux", false}),
                         [](const testing::TestParamInfo<Kind>& kind) { return std::string(kind.param.name); });

// Every window carries its own title and nothing more; a message box without
// a title of its own carries the program's name.
TEST_P(Program, WindowsCarryTheirTitlesExactly) {
  const XDisplay::Shown main = Start();
  EXPECT_EQ(main.title, kMainTitle);
  Activate(main.id);
  const struct {
    const char* keys;
    const char* title;
  } steps[] = {
      {"ctrl+p", "Set Paths..."},
      {"Return", "StormlineLighting"},  // OK with empty fields: "Please complete all entries."
  };
  for (const auto& step : steps) {
    const auto before = x.Windows();
    Keys(step.keys);
    const auto shown = NewWindow(before);
    ASSERT_TRUE(shown) << "no window after " << step.keys;
    EXPECT_EQ(shown->title, step.title) << "after " << step.keys;
    Shot(std::string("title-") + step.keys);
  }
}

// The changed pixels between two pictures, within a frame.
std::vector<QPoint> Changed(const QImage& a, const QImage& b, QRect frame) {
  std::vector<QPoint> points;
  frame &= a.rect();
  for (int y = frame.top(); y <= frame.bottom(); ++y) {
    for (int x = frame.left(); x <= frame.right(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) points.emplace_back(x, y);
    }
  }
  return points;
}
QRect Bounds(const std::vector<QPoint>& points) {
  QRect bounds;
  for (const QPoint& p : points) bounds |= QRect(p, QSize(1, 1));
  return bounds;
}

// Select All marks the 4 x 4 corner; the marks go with Clear Selection; a
// click marks one box with the same look.
TEST_P(Program, MarksReachTheScreen) {
  const XDisplay::Shown main = Start();
  Activate(main.id);
  Shell("xdotool mousemove 0 0");
  Keys("alt+a");  // the focus to Select All; Space presses it
  const QImage before = Shot("grid-before");
  Keys("space");
  const QImage all = Shot("grid-all");

  const QRect marked = Bounds(Changed(before, all, before.rect()));
  ASSERT_FALSE(marked.isEmpty()) << "Select All changed no pixel";
  EXPECT_LT(marked.width(), 4 * kPitch);
  EXPECT_LT(marked.height(), 4 * kPitch);
  std::vector<QRect> marks;  // the 16 marks, top row first
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const QRect cell(marked.left() + column * kPitch - kPitch / 4, marked.top() + row * kPitch - kPitch / 4,
                       kPitch, kPitch);
      marks.push_back(Bounds(Changed(before, all, cell)));
      EXPECT_FALSE(marks.back().isEmpty()) << "no mark in column " << column << ", row " << 3 - row;
    }
  }
  ASSERT_EQ(std::count_if(marks.begin(), marks.end(), [](QRect r) { return !r.isEmpty(); }), 16);

  Keys("alt+c");
  const QImage cleared = Shot("grid-cleared");
  const size_t clicked = 2 * 4 + 1;  // column 01, row 01
  ClickAt(marks[clicked].center());
  Keys("Tab");  // the grid's focus frame away from the box
  const QImage one = Shot("grid-click");
  for (size_t i = 0; i < marks.size(); ++i) {
    EXPECT_EQ(cleared.copy(marks[i]), before.copy(marks[i])) << "Clear Selection left mark " << i;
    EXPECT_EQ(one.copy(marks[i]), (i == clicked ? all : cleared).copy(marks[i])) << "after the click, mark " << i;
  }
}

// A setting saved in config.ini (its name in the ANSI code page), picked in
// the paths dialog by keyboard, then Run Lighting: go.bat beside the program
// and one game run per stage, through cmd in a console of its own.
TEST_P(Program, ASavedSettingRunsEveryStageThroughGoBat) {
  batch_run::GameFolder game;
  const std::string g = game.gamePath();
  TempFolder::Write(platform::JoinPath(folder, "config.ini"),
                    "[Save=K\xFCste]\r\ngamePath=" + g +
                        "\r\nlevelName=Coast\r\nmodName=Stormline\r\nterrainBoolean=True\r\n"
                        "mergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n");
  const XDisplay::Shown main = Start();
  Activate(main.id);
  auto before = x.Windows();
  Keys("ctrl+p");
  const auto dialog = NewWindow(before);
  ASSERT_TRUE(dialog) << "Ctrl+P showed no paths dialog";
  Keys("Down");  // the list has the focus: from "(Current)" to the saved setting
  Shot("run-dialog");
  Keys("Return");
  EXPECT_TRUE(WaitUntil([&] { return !Find(dialog->id); }, 10s)) << "OK did not close the dialog";

  // The game waits while "hold" is there, so the console can be seen.
  if (GetParam().windows) TempFolder::Write(game.File("hold"), "");
  Activate(main.id);
  before = x.Windows();
  Keys("ctrl+g");
  if (GetParam().windows) {
    EXPECT_TRUE(WaitUntil([&] { return TempFolder::Exists(game.File("running")); })) << "the game did not start";
    // A console of its own is titled with its interpreter.
    const auto console = NewWindow(before);
    EXPECT_TRUE(console && console->title.ends_with("\\cmd.exe")) << "go.bat ran in no console of its own";
    Shot("run-console");
    std::filesystem::remove(TempFolder::FromUtf8(game.File("hold")));
  }
  EXPECT_TRUE(WaitUntil([&] { return game.calls().size() >= 3; })) << "the game ran too seldom";
  std::this_thread::sleep_for(1s);  // a fourth run would show now

  EXPECT_EQ(TempFolder::Read(platform::JoinPath(folder, "go.bat")),
            "@cd " + g + "\r\n@Z:\r\n" + Fill(batch_run::kTerrainCoast, g) + "\r\n" +
                Fill(batch_run::kMergeCoast15, g) + "\r\n" + Fill(batch_run::kObjectCoast, g) + "\r\n");
  EXPECT_EQ(game.calls(), (std::vector<GameCall>{{g, Fill(batch_run::kTerrainCoast, g)},
                                                 {g, Fill(batch_run::kMergeCoast15, g)},
                                                 {g, Fill(batch_run::kObjectCoast, g)}}));
}

}  // namespace

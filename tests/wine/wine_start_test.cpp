// The tool's starter on Linux: a run's own script through Wine's cmd, by its
// name in its own folder, holding nothing of the caller; folders Wine cannot
// reach refused. A stand-in for Wine on the PATH records how it was called;
// where scripts/test-wine provides them, real Wine and the game double too.
#include <gtest/gtest.h>

#include <regex>

#include "main_window/lighting_run.h"
#include "platform/batch_starter.h"
#include "tests/support/recording_starter.h"
#include "tests/wine/batch_run_support.h"

namespace {

using batch_run::Env;

// Sets an environment variable for the life of a test.
struct Setenv {
  Setenv(const char* variable, const std::string& value) : name(variable), old(Env(variable)), had(std::getenv(variable)) {
    ::setenv(variable, value.c_str(), 1);
  }
  ~Setenv() { had ? ::setenv(name, old.c_str(), 1) : ::unsetenv(name); }
  const char* name;
  std::string old;
  bool had;
};

void Executable(const std::string& path, const std::string& text) {
  TempFolder::Write(path, text);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

// A stand-in for Wine in bin: it logs its folder, arguments and standard
// streams, and whether it holds any other descriptor of the caller's.
struct StandIn {
  StandIn() {
    std::filesystem::create_directory(bin.File("bin"));
    Executable(bin.File("bin/wine"), "#!/bin/sh\nfor fd in 0 1 2; do s=\"$s $(readlink /proc/$$/fd/$fd)\"; done\n"
                                     "[ -e /proc/$$/fd/9 ] && s=\"$s held\"\necho \"$PWD|$*|$s\" > '" + log() + "'\n");
  }
  std::string log() const { return bin.File("args.log"); }
  TempFolder bin;
  Setenv path{"PATH", bin.File("bin") + ":" + Env("PATH")};
};

TEST(WineStarter, RunsCmdByNameInItsFolderHoldingNothingOfTheCaller) {
  StandIn wine;
  TempFolder tool;
  const std::string folder = tool.File("Stormline Lighting & 100%"), script = platform::JoinPath(folder, "go-1.bat");
  std::filesystem::create_directory(folder);
  // A relative PATH entry first: the calling folder's "wine" is never run.
  const std::filesystem::path caller = std::filesystem::current_path();
  std::filesystem::current_path(tool.path());
  Executable(tool.File("wine"), "#!/bin/sh\necho relative > '" + wine.log() + "'\n");
  Setenv path("PATH", ".:" + Env("PATH"));
  const int held = ::dup2(1, 9);  // a pipe of the caller's, say
  const platform::Status started = platform::MakeSystemBatchStarter()->Start(script);
  ::close(held);
  std::filesystem::current_path(caller);
  ASSERT_TRUE(started) << started.message();
  EXPECT_TRUE(batch_run::WaitUntil([&] { return TempFolder::Read(wine.log()).ends_with('\n'); }));
  EXPECT_EQ(TempFolder::Read(wine.log()), folder + "|cmd.exe /d /e:on /v:off /c go-1.bat| /dev/null /dev/null /dev/null\n");
}

// Where Wine could not take the folder as its working folder, nothing is
// started and the message names the folder and what to do.
TEST(WineStarter, RefusesFoldersWineCannotReach) {
  StandIn wine;
  TempFolder tool, noZ;
  std::filesystem::create_directories(noZ.File("dosdevices"));
  std::filesystem::create_directory_symlink(noZ.File("drive_c"), noZ.File("dosdevices/c:"));
  const std::tuple<std::string, std::string, const char*> cases[] = {
      {"Stormline", noZ.path(), "no drive of the Wine prefix"},
      {"Storm\"line", "", "a quotation mark"},
      {"Storm\tline", "", "a control character"},
      {"Storm\nline", "", "a control character"},
      {std::string(200, 'a') + "/" + std::string(100, 'b'), "", "more than the 259"},
  };
  for (const auto& [name, prefix, says] : cases) {
    const std::string folder = tool.File(name);
    std::filesystem::create_directories(folder);
    Setenv in("WINEPREFIX", prefix.empty() ? tool.File("new prefix") : prefix);
    const platform::Status refused = platform::MakeSystemBatchStarter()->Start(platform::JoinPath(folder, "go-1.bat"));
    EXPECT_NE(refused.message().find(says), std::string::npos) << refused.message();
    EXPECT_NE(refused.message().find("\"" + folder + "\""), std::string::npos) << refused.message();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(TempFolder::Exists(wine.log()));
}

// Wine opens a script about a second after it is called: two runs back to
// back must each run their own lines.
TEST(WineStarter, RunsBackToBackEachRunTheirOwnLines) {
  StandIn wine;
  Executable(wine.bin.File("bin/wine"), "#!/bin/sh\nsleep 1\ncat \"$6\" >> '" + wine.log() + "'\n");
  TempFolder tool;
  RunConfiguration a{"C:\\Games", "LevelA", "Stormline"}, b = a;
  b.levelName = "LevelB";
  b.objectBoolean = a.objectBoolean = true;
  const auto starter = platform::MakeSystemBatchStarter();
  const lighting_run::Services services{&platform::RealFileSystem(), starter.get(), tool.path(), ".", {}};
  const auto none = [](const std::string&) { return false; };
  const std::string first = lighting_run::Run({{"", a}}, services, none).text, second = lighting_run::Run({{"", b}}, services, none).text;
  const std::string script = TempFolder::Read(tool.File("go.bat"));
  EXPECT_NE(script.find("LevelB"), std::string::npos);
  EXPECT_TRUE(batch_run::WaitUntil([&] { return TempFolder::Read(wine.log()).size() > 2 * script.size(); }));
  const std::string log = TempFolder::Read(wine.log());
  EXPECT_EQ(std::count(log.begin(), log.end(), 'A'), std::count(log.begin(), log.end(), 'B')) << log;
}

// The same with real Wine and the game double: each level lit once, and each
// run's script gone when it is done.
TEST(WineStarter, UnderWineEachLevelIsLitOnce) {
  if (Env("WINEPREFIX").empty() || !std::filesystem::is_regular_file(batch_run::GameFolder::Double()))
    return batch_run::Missing("needs Wine and the game double: run scripts/test-wine");
  TempFolder tool;
  batch_run::GameFolder game;
  RunConfiguration a{game.path(), "LevelA", "Stormline"}, b = a;
  a.objectBoolean = b.objectBoolean = true;
  b.levelName = "LevelB";
  const auto starter = platform::MakeSystemBatchStarter();
  const lighting_run::Services services{&platform::RealFileSystem(), starter.get(), tool.path(), ".", {}};
  const auto none = [](const std::string&) { return false; };
  for (const auto& run : {a, b}) ASSERT_EQ(lighting_run::Run({{"", run}}, services, none).kind, lighting_run::Result::Kind::Started);
  EXPECT_TRUE(batch_run::WaitUntil([&] { return game.calls().size() >= 2; }, 60));
  std::string levels;
  for (const auto& [folder, line] : game.calls()) levels += line.substr(line.size() - 8, 6);
  EXPECT_TRUE(levels == "LevelALevelB" || levels == "LevelBLevelA") << levels;
  EXPECT_TRUE(batch_run::WaitUntil([&] { return std::filesystem::is_empty(tool.File("runs")); }, 30))
      << "a run's own script was left behind";
}

}  // namespace

#ifdef STORMLINE_LINUX_PROGRAM
namespace {

// The program from a shell, as a queue script calls it: it returns once the
// run is started, whoever reads its output, and a reader gone early is no
// failure; without a display the windows are refused in one line.
TEST(CommandLineProgram, ReturnsAtOnceWhoeverReadsItsOutput) {
  StandIn wine;
  Executable(wine.bin.File("bin/wine"), "#!/bin/sh\nsleep 30\n");  // a long lighting pass
  TempFolder tool, prefix;
  std::filesystem::create_directories(prefix.File("dosdevices"));
  std::filesystem::create_directory_symlink("/", prefix.File("dosdevices/z:"));
  Setenv in("WINEPREFIX", prefix.path());
  std::filesystem::create_directory(tool.File("Game"));
  TempFolder::Write(tool.File("Game/Stormline.exe"), "");
  const std::string program = tool.File("StormlineLighting");
  std::filesystem::copy_file(STORMLINE_LINUX_PROGRAM, program);
  TempFolder::Write(tool.File("config.ini"), "[Save=A]\r\ngamePath=Z:" + tool.path() + "/Game\r\nlevelName=A\r\n"
                                             "modName=Stormline\r\n");
  const std::pair<std::string, std::string> cases[] = {
      {"out=$('" + program + "' --run A); echo \"$? $out\"", "0 Started "},
      {"'" + program + "' --run A | true; echo \"${PIPESTATUS[0]}\"", "0\n"},
      {"env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '" + program + "' -run A 2>&1; echo \"$?\"",
       "StormlineLighting: the windows cannot open, as there is no display to show them on. Use --run NAME to light "
       "without them.\n2\n"},
  };
  // Bounded below the stand-in's pass: a caller held till its end says nothing.
  for (const auto& [command, says] : cases) {
    const std::string log = tool.File("said");
    std::system(("ASAN_OPTIONS=detect_leaks=0 timeout 20 bash -c '" + std::regex_replace(command, std::regex("'"), "'\\''") +
                 "' > '" + log + "' 2>/dev/null").c_str());
    EXPECT_TRUE(TempFolder::Read(log).starts_with(says)) << command << "\n" << TempFolder::Read(log);
  }
}

}  // namespace
#endif

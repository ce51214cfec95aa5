// The tool's starter on Linux: a run's own script through Wine's cmd, by its
// name in its own folder, holding nothing of the caller; folders Wine cannot
// reach refused. A stand-in for Wine on the PATH records how it was called;
// where scripts/test-wine provides them, real Wine and the game double too.
#include <gtest/gtest.h>

#include <optional>

#include "main_window/lighting_run.h"
#include "platform/batch_starter.h"
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

// A stand-in for Wine in bin, by default logging its folder, arguments and
// standard streams, and whether it holds descriptor 9 of the caller's.
struct StandIn {
  explicit StandIn(const std::string& does = "for fd in 0 1 2; do s=\"$s $(readlink /proc/$$/fd/$fd)\"; done\n"
                                             "[ -e /proc/$$/fd/9 ] && s=\"$s held\"\necho \"$PWD|$*|$s\" > \"$log\"\n") {
    std::filesystem::create_directory(bin.File("bin"));
    Executable(bin.File("bin/wine"), "#!/bin/sh\nlog='" + log() + "'\n" + does);
  }
  std::string log() const { return bin.File("args.log"); }
  TempFolder bin;
  Setenv path{"PATH", bin.File("bin") + ":" + Env("PATH")};
};

TEST(WineStarter, RunsCmdByNameInItsFolderHoldingNothingOfTheCaller) {
  StandIn wine;
  TempFolder tool;
  const std::string folder = tool.File("Stormline Lighting & 100%");
  std::filesystem::create_directory(folder);
  // A relative PATH entry first: the calling folder's "wine" is never run.
  const std::filesystem::path caller = std::filesystem::current_path();
  std::filesystem::current_path(tool.path());
  Executable(tool.File("wine"), "#!/bin/sh\necho relative > '" + wine.log() + "'\n");
  Setenv path("PATH", ".:" + Env("PATH"));
  const int held = ::dup2(1, 9);  // a pipe of the caller's, say
  const platform::Status started = platform::MakeSystemBatchStarter()->Start(platform::JoinPath(folder, "go-1.bat"));
  ::close(held);
  std::filesystem::current_path(caller);
  ASSERT_TRUE(started) << started.message();
  EXPECT_TRUE(batch_run::WaitUntil([&] { return TempFolder::Read(wine.log()).ends_with('\n'); }));
  EXPECT_EQ(TempFolder::Read(wine.log()), folder + "|cmd.exe /d /e:on /v:off /c go-1.bat| /dev/null /dev/null /dev/null\n");
}

// Where Wine could not take the folder as its working folder, nothing is
// started and the message names the folder and what is wrong with it.
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
    const std::string refused = platform::MakeSystemBatchStarter()->Start(platform::JoinPath(folder, "go-1.bat")).message();
    EXPECT_NE(refused.find(says), std::string::npos) << refused;
    EXPECT_NE(refused.find("\"" + folder + "\""), std::string::npos) << refused;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(TempFolder::Exists(wine.log()));
}

// Wine opens a script about a second after it is called: two runs back to
// back must each light their own level once, under a stand-in that waits so
// and under real Wine with the game double, where each run's script is gone
// when it is done.
TEST(WineStarter, RunsBackToBackEachLightTheirOwnLevelOnce) {
  for (const bool real : {false, true}) {
    if (real && (Env("WINEPREFIX").empty() || !std::filesystem::is_regular_file(batch_run::GameFolder::Double())))
      return batch_run::Missing("needs Wine and the game double: run scripts/test-wine");
    std::optional<StandIn> wine;
    std::optional<batch_run::GameFolder> game;
    if (real) game.emplace();
    else wine.emplace("sleep 1\ncat \"$6\" >> \"$log\"\n");
    const auto lit = [&] {  // the levels in what the game was given, in the order it was given them
      const std::string text = TempFolder::Read(real ? game->File("calls.log") : wine->log());
      std::string levels;
      for (size_t at = text.find("Level"); at != std::string::npos; at = text.find("Level", at + 1)) levels += text.substr(at, 6);
      return levels;
    };
    TempFolder tool;
    const auto starter = platform::MakeSystemBatchStarter();
    const lighting_run::Services services{&platform::RealFileSystem(), starter.get(), tool.path(), ".", {}};
    for (const char* level : {"LevelA", "LevelB"}) {
      const RunConfiguration objects{real ? game->path() : "C:\\Games", level, "Stormline", 1.5, false, false, true};
      const auto result = lighting_run::Run({{"", objects}}, services, [](auto&) { return false; });
      ASSERT_EQ(result.kind, lighting_run::Result::Kind::Started) << level << ": " << result.text;
    }
    batch_run::WaitUntil([&] { return lit().size() >= 12; }, 60);
    EXPECT_TRUE(lit() == "LevelALevelB" || lit() == "LevelBLevelA") << (real ? "under Wine: " : "stand-in: ") << lit();
    if (!real) continue;
    EXPECT_TRUE(batch_run::WaitUntil([&] { return std::filesystem::is_empty(tool.File("runs")); })) << "a run's script was left";
  }
}

}  // namespace

#ifdef STORMLINE_LINUX_PROGRAM
namespace {

// The program from a shell, as a queue script calls it: it returns once the
// run is started, whoever reads its output, and a reader gone early is no
// failure; without a display the windows are refused in one line.
TEST(CommandLineProgram, ReturnsAtOnceWhoeverReadsItsOutput) {
  StandIn wine("sleep 30\n");  // a long lighting pass
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
    TempFolder::Write(tool.File("call.sh"), command + "\n");
    std::system(("cd '" + tool.path() + "' && ASAN_OPTIONS=detect_leaks=0 timeout 20 bash call.sh > said 2>/dev/null").c_str());
    EXPECT_TRUE(TempFolder::Read(tool.File("said")).starts_with(says)) << command << "\n" << TempFolder::Read(tool.File("said"));
  }
}

}  // namespace
#endif

#pragma once
// What the runs of go.bat share: a game folder holding the game double, the
// double's log, and the lines the game must receive.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>
#include <thread>

#include "main_window/run_configuration.h"
#include "platform/tool_folder.h"
#include "tests/support/temp_folder.h"

namespace batch_run {

// One run of the game as the double logged it: working folder, command line.
using GameCall = std::pair<std::string, std::string>;

inline std::string Env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }

// Skips a test that lacks a piece; the scripts set STORMLINE_REQUIRE_WINE so
// that there it fails instead.
inline void Missing(const char* why) {
  if (!Env("STORMLINE_REQUIRE_WINE").empty()) GTEST_FAIL() << why;
  GTEST_SKIP() << why;
}

// Polls until done() holds, for about as many seconds as given; the bound
// only keeps a broken run from hanging the suite.
inline bool WaitUntil(const std::function<bool()>& done, int seconds = 30) {
  for (int i = 0; i < 20 * seconds; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
    if (done()) return true;
  }
  return false;
}

// Blanks, a comma and brackets that the interpreter would act on unquoted,
// and a "!" that delayed expansion would eat.
inline const std::string kLevel = "Big Bay, West (2)!";

inline RunConfiguration EveryStage(const std::string& gamePath) {
  return {.gamePath = gamePath, .levelName = kLevel, .modName = "Stormline", .terrainBoolean = true,
          .mergeBoolean = true, .objectBoolean = true};
}

// The three runs of EveryStage() as the game must receive them.
inline std::vector<GameCall> EveryStageCalls(const std::string& game, const std::string& darkness) {
  const std::string head = "\"" + game + R"(\Stormline.exe" +game Stormline +workingFolder ")" + game + R"(\ShadowWork\" )";
  return {{game, head + R"(+traceTerrainShadows "stormline\levels\Big Bay, West (2)!\" "Big Bay, West (2)!\lmList.dat" ")" +
                     game + R"(\ShadowWork\stormline\levels\Big Bay, West (2)!\textures")"},
          {game, head + R"(+mergeTerrainShadows "stormline\levels\Big Bay, West (2)!\ )" + darkness + R"( 0.4")"},
          {game, head + R"(+traceObjectShadows "stormline\levels\Big Bay, West (2)!\")"}};
}

// "...\My Games\Stormline" with the double in it as Stormline.exe; under Wine
// on drive Z: (the root), not C: as the tool, so that go.bat changes drive.
class GameFolder {
 public:
  GameFolder() {
    const bool wine = std::filesystem::exists("Z:\\tmp");
    folder_ = (wine ? std::filesystem::path("Z:\\tmp") : std::filesystem::temp_directory_path()) /
              ("stormline-game-" + std::to_string(std::random_device()())) / "My Games" / "Stormline";
    std::filesystem::create_directories(folder_);
    std::filesystem::copy_file(Double(), folder_ / "Stormline.exe");
  }
  ~GameFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_.parent_path().parent_path(), ignored);
  }

  // The folder as go.bat names it and as the game sees it; the scripts'
  // prefixes map drive Z: to the root.
  std::string path() const {
    std::string name = TempFolder::ToUtf8(folder_);
    for (char& c : name) c = c == '/' ? '\\' : c;
    return name.front() == '\\' ? "Z:" + name : name;
  }
  std::string File(const std::string& name) const { return TempFolder::ToUtf8(folder_ / name); }

  std::vector<GameCall> calls() const {
    std::vector<GameCall> calls;
    std::istringstream log(TempFolder::Read(File("calls.log")));
    for (std::string record; std::getline(log, record);) {
      const size_t tab = record.find('\t');
      calls.emplace_back(record.substr(0, tab), tab == std::string::npos ? "(no tab)" : record.substr(tab + 1));
    }
    return calls;
  }

  // The double, built for Windows: beside a Windows test, named elsewhere.
  static std::filesystem::path Double() {
#ifdef _WIN32
    return TempFolder::FromUtf8(platform::ToolFolder()) / "stormline_double.exe";
#else
    return Env("STORMLINE_GAME_DOUBLE");
#endif
  }

 private:
  std::filesystem::path folder_;
};

// Starts go.bat for EveryStage() with the game holding its first run: the
// start must return while the game still runs; then each stage runs once.
inline void ExpectEveryStage(const GameFolder& game, const std::string& darkness, const std::function<void()>& start) {
  TempFolder::Write(game.File("hold"), "");
  start();
  const bool ran = WaitUntil([&] { return !game.calls().empty(); });
  const bool running = TempFolder::Exists(game.File("running"));
  std::filesystem::remove(TempFolder::FromUtf8(game.File("hold")));
  EXPECT_TRUE(ran && running) << "the game never ran, or the start waited for its end";
  WaitUntil([&] { return game.calls().size() >= 3 && !TempFolder::Exists(game.File("running")); });
  EXPECT_EQ(game.calls(), EveryStageCalls(game.path(), darkness));
}

}  // namespace batch_run

#pragma once
// What the runs of go.bat share: a game folder holding the game double, and
// its log of the runs it was given.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/tool_folder.h"
#include "tests/support/temp_folder.h"

namespace batch_run {

inline std::string Env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }

// Skips a test that lacks a piece; the scripts set STORMLINE_REQUIRE_WINE so
// that there it fails instead.
inline void Missing(const char* why) {
  if (!Env("STORMLINE_REQUIRE_WINE").empty()) GTEST_FAIL() << why;
  GTEST_SKIP() << why;
}

// The bound only keeps a broken run from hanging the suite.
inline bool WaitUntil(const std::function<bool()>& done, int seconds = 30) {
  for (int i = 0; i < 20 * seconds && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return done();
}

// "...\My Games\Stormline" with the double in it as Stormline.exe; under Wine
// on drive Z: (the root), not C: as the tool, so that go.bat changes drive.
class GameFolder {
 public:
  GameFolder() {
    std::filesystem::create_directories(folder_);
    std::filesystem::copy_file(Double(), folder_ / "Stormline.exe");
  }
  ~GameFolder() { std::error_code ignored; std::filesystem::remove_all(root_, ignored); }
  // As go.bat names it; the scripts' prefixes map drive Z: to the root.
  std::string path() const {
    std::string name = TempFolder::ToUtf8(folder_);
    std::replace(name.begin(), name.end(), '/', '\\');
    return name.front() == '\\' ? "Z:" + name : name;
  }
  std::string File(const std::string& name) const { return TempFolder::ToUtf8(folder_ / name); }
  // Each run of the game: its working folder, a tab, its command line.
  std::vector<std::string> calls() const {
    std::vector<std::string> calls;
    std::istringstream log(TempFolder::Read(File("calls.log")));
    for (std::string call; std::getline(log, call);) calls.push_back(call);
    return calls;
  }
  // Built for Windows: beside a Windows test, named elsewhere.
  static std::filesystem::path Double() {
#ifdef _WIN32
    return TempFolder::FromUtf8(platform::ToolFolder()) / "stormline_double.exe";
#else
    return Env("STORMLINE_GAME_DOUBLE");
#endif
  }

 private:
  const std::filesystem::path root_ =
      (std::filesystem::exists("Z:\\tmp") ? std::filesystem::path("Z:\\tmp") : std::filesystem::temp_directory_path()) /
      ("stormline-game-" + std::to_string(std::random_device()()));
  const std::filesystem::path folder_ = root_ / "My Games" / "Stormline";
};

}  // namespace batch_run

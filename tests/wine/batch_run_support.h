#pragma once
// What the batch tests share: a game folder holding the game double, the
// double's log, and the command lines the game must receive.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/tool_folder.h"
#endif

namespace batch_run {

// One run of the game as the double logged it.
struct GameCall {
  std::string folder;
  std::string commandLine;
  bool operator==(const GameCall&) const = default;
};
inline void PrintTo(const GameCall& call, std::ostream* os) {
  *os << "\n  in " << call.folder << "\n  ran " << call.commandLine;
}

inline std::vector<GameCall> ReadCalls(const std::string& log) {
  std::vector<GameCall> calls;
  const std::string text = TempFolder::Read(log);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string record = text.substr(start, end - start);
    const size_t tab = record.find('\t');
    calls.push_back(tab == std::string::npos ? GameCall{record, "(no tab in the record)"}
                                             : GameCall{record.substr(0, tab), record.substr(tab + 1)});
    start = end + 1;
  }
  return calls;
}

// Polls until done() holds or the bound has passed; the bound only keeps a
// broken run from hanging the suite.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds bound = std::chrono::seconds(30)) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// The command lines, with {game} for the game folder as the tool writes it.
inline std::string Fill(std::string pattern, const std::string& game) {
  const std::string key = "{game}";
  for (size_t at = pattern.find(key); at != std::string::npos; at = pattern.find(key, at + game.size())) {
    pattern.replace(at, key.size(), game);
  }
  return pattern;
}

inline const std::string kTerrainCoast =
    R"("{game}\Stormline.exe" +game Stormline +workingFolder "{game}\ShadowWork\" )"
    R"(+traceTerrainShadows "stormline\levels\Coast\" "Coast\lmList.dat" )"
    R"("{game}\ShadowWork\stormline\levels\Coast\textures")";
inline const std::string kMergeCoast15 =
    R"("{game}\Stormline.exe" +game Stormline +workingFolder "{game}\ShadowWork\" )"
    R"(+mergeTerrainShadows "stormline\levels\Coast\ 1.5 0.4")";
inline const std::string kObjectCoast =
    R"("{game}\Stormline.exe" +game Stormline +workingFolder "{game}\ShadowWork\" )"
    R"(+traceObjectShadows "stormline\levels\Coast\")";

#ifdef _WIN32
inline bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
#endif

// "<a folder of its own>\My Games\Stormline" with the double in it as
// Stormline.exe. Under Wine the folder lies on drive Z: (the Unix root), so
// a script elsewhere needs both lines of its folder change.
class GameFolder {
 public:
  GameFolder() {
    std::random_device seed;
    for (;;) {
      root_ = Base() / ("stormline-game-" + std::to_string(seed()));
      if (std::filesystem::create_directory(root_)) break;
    }
    folder_ = root_ / "My Games" / "Stormline";
    std::filesystem::create_directories(folder_);
    std::filesystem::copy_file(DoublePath(), folder_ / "Stormline.exe");
  }
  ~GameFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  // The game folder as go.bat names it, and as the game sees it.
  std::string gamePath() const { return WindowsName(folder_); }
  // A name in the game folder, or beside it, as this process opens it.
  std::string File(const std::string& name) const { return TempFolder::ToUtf8(folder_ / name); }
  std::string Beside(const std::string& name) const { return TempFolder::ToUtf8(root_ / name); }
  std::string BesideForCmd(const std::string& name) const { return WindowsName(root_ / name); }

  std::string log() const { return File("calls.log"); }
  std::vector<GameCall> calls() const { return ReadCalls(log()); }

  // The double, built for Windows.
  static std::filesystem::path DoublePath() {
#ifdef _WIN32
    return TempFolder::FromUtf8(platform::JoinPath(platform::ToolFolder(), "stormline_double.exe"));
#else
    const char* path = std::getenv("STORMLINE_GAME_DOUBLE");
    return path ? std::filesystem::path(path) : std::filesystem::path();
#endif
  }

 private:
  static std::filesystem::path Base() {
#ifdef _WIN32
    // Wine's own temp folder is on C:, beside the scripts.
    if (RunningUnderWine()) return "Z:\\tmp";
#endif
    return std::filesystem::temp_directory_path();
  }
  static std::string WindowsName(const std::filesystem::path& path) {
    std::string name = TempFolder::ToUtf8(path);
#ifndef _WIN32
    // The prefix that scripts/test-wine makes maps drive Z: to the root.
    for (char& c : name) c = c == '/' ? '\\' : c;
    name = "Z:" + name;
#endif
    return name;
  }

  std::filesystem::path root_;
  std::filesystem::path folder_;
};

#ifndef _WIN32
// Why Wine cannot run the batch here, or nothing when it can. The tests use
// only the prefix that scripts/test-wine makes, never the user's own.
inline std::string WhyNoWine() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (!prefix || !*prefix || !std::getenv("STORMLINE_GAME_DOUBLE")) {
    return "needs Wine with a prefix of its own and the game double: run scripts/test-wine";
  }
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(GameFolder::DoublePath(), ignored)) {
    return "STORMLINE_GAME_DOUBLE does not name a file: " + GameFolder::DoublePath().string();
  }
  if (!std::filesystem::exists("/usr/lib/wine/wine64", ignored) && std::system("command -v wine >/dev/null") != 0) {
    return "Wine is not installed";
  }
  return {};
}

// Skips a test that needs Wine where there is none; scripts/test-wine sets
// STORMLINE_REQUIRE_WINE so that there a missing piece fails instead.
#define WINE_OR_SKIP()                                                        \
  do {                                                                        \
    if (const std::string why = batch_run::WhyNoWine(); !why.empty()) {       \
      if (std::getenv("STORMLINE_REQUIRE_WINE")) GTEST_FAIL() << why;         \
      GTEST_SKIP() << why;                                                    \
    }                                                                         \
  } while (false)
#endif

}  // namespace batch_run

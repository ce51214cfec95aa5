// The Windows side against the system itself: go.bat as the tool writes it,
// run by the real command interpreter with the game double in the game
// folder, and the ANSI code page. (Files and the tool's folder: core_tests.)
#include <windows.h>

#include <gtest/gtest.h>

#include "game/game_interface.h"
#include "main_window/go_batch.h"
#include "main_window/lighting_run.h"
#include "platform/batch_starter.h"
#include "platform/code_page.h"
#include "platform/win_text.h"
#include "tests/support/recording_starter.h"
#include "tests/wine/batch_run_support.h"

namespace {

using batch_run::GameFolder;
using platform::win::Widen;

lighting_run::Services RealRun(const std::string& folder, platform::BatchStarter& starter, const char* separator) {
  return {&platform::RealFileSystem(), &starter, folder, separator, {}};
}
const auto kNoQuestion = [](const std::string&) { return false; };

// A run as Run Lighting starts it, from a folder whose name cmd would split,
// act on or expand unless kept from it, with the user's decimal separator a
// comma.
TEST(GoBat, TheStarterRunsEveryStageFromAFolderCmdWouldSplit) {
  TempFolder tool;
  GameFolder game;
  const std::string folder = tool.File("Stormline Lighting & Co %PATH% (100%)");
  std::filesystem::create_directory(TempFolder::FromUtf8(folder));
  const auto starter = platform::MakeSystemBatchStarter();
  batch_run::ExpectEveryStage(game, "1,5", [&] {
    const auto result = lighting_run::Run({{"", batch_run::EveryStage(game.path())}}, RealRun(folder, *starter, ","), kNoQuestion);
    EXPECT_EQ(result.kind, lighting_run::Result::Kind::Started) << result.text;
  });
  // Wine's cmd would expand the "%" in the path of a script removing itself.
  const auto left = std::filesystem::directory_iterator(TempFolder::FromUtf8(folder + "\\runs"))->path();
  EXPECT_EQ(TempFolder::Read(TempFolder::ToUtf8(left)), TempFolder::Read(folder + "\\go.bat"));
}

// cmd reads a script a line at a time, opening it anew each time: a run
// started while an earlier one's first stage still works must not change
// what the earlier one runs next.
TEST(GoBat, ALaterRunLeavesTheLinesOfARunningOneAlone) {
  TempFolder tool;
  GameFolder game;
  const auto starter = platform::MakeSystemBatchStarter();
  RunConfiguration a = batch_run::EveryStage(game.path()), b = a;
  a.mergeBoolean = b.mergeBoolean = false;
  b.levelName = "Later";
  b.objectBoolean = false;
  TempFolder::Write(game.File("hold"), "");
  EXPECT_EQ(lighting_run::Run({{"", a}}, RealRun(tool.path(), *starter, "."), kNoQuestion).kind, lighting_run::Result::Kind::Started);
  EXPECT_TRUE(batch_run::WaitUntil([&] { return TempFolder::Exists(game.File("running")); }));
  EXPECT_EQ(lighting_run::Run({{"", b}}, RealRun(tool.path(), *starter, "."), kNoQuestion).kind, lighting_run::Result::Kind::Started);
  std::filesystem::remove(TempFolder::FromUtf8(game.File("hold")));
  EXPECT_TRUE(batch_run::WaitUntil([&] { return game.calls().size() >= 3; }));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const auto calls = game.calls();
  const auto expected = batch_run::EveryStageCalls(game.path(), "1.5");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), expected[0]), 1);  // the earlier run's terrain
  EXPECT_EQ(std::count(calls.begin(), calls.end(), expected[2]), 1);  // and its object stage, not the later one's
}

// Past column 8191 the interpreter starts a new command, its quoting reset:
// a level name whose third copy is cut before its "&" is refused, and
// written unchecked it really would run the command hidden in it.
TEST(GoBat, ACommandPastTheLineLimitIsRefusedThoughUncheckedItWouldRun) {
  TempFolder tool;
  GameFolder game;
  const std::string script = tool.File("go.bat"), canary = tool.File("canary");
  RunConfiguration config = batch_run::EveryStage(game.path());
  for (size_t pad = 2000;; ++pad) {
    const std::string& level = config.levelName = std::string(pad, 'a') + "&mkdir " + canary + "&";
    const std::string line = game::TerrainStageLine(config.gamePath, config.modName, level);
    if (line.find(level, line.find(level, line.find(level) + 1) + 1) + pad > 8191 + 16) break;
  }
  TempFolder::Write(script, "@echo old\r\n");
  RecordingStarter starter;
  const auto refused = lighting_run::Run({{"", config}}, RealRun(tool.path(), starter, "."), kNoQuestion);
  EXPECT_NE(refused.text.find("8191"), std::string::npos) << refused.text;
  EXPECT_EQ(TempFolder::Read(script), "@echo old\r\n");
  TempFolder::Write(script, go_batch::ScriptText(config, "."));
  std::system((script + " >NUL 2>&1").c_str());
  EXPECT_TRUE(TempFolder::Exists(canary)) << "unchecked, the hidden command would not have run";
}

// ComSpec names the interpreter: here the game double, which logs how and
// where it was called (no AutoRun, extensions on, delayed expansion off
// whatever the registry says; the script by its name in its folder). A
// ComSpec naming no file falls back to the system's cmd.exe.
TEST(GoBat, TheStarterRunsComSpecInTheScriptsFolderOrTheSystemsCmd) {
  TempFolder tool;
  GameFolder game;
  const std::string script = tool.File("go.bat"), missing = tool.File("no-cmd.exe");
  TempFolder::Write(script, "@echo ran> ran.txt\r\n");
  wchar_t saved[MAX_PATH] = {};
  GetEnvironmentVariableW(L"ComSpec", saved, MAX_PATH);
  SetEnvironmentVariableW(L"ComSpec", Widen(game.File("Stormline.exe")).c_str());
  EXPECT_TRUE(platform::MakeSystemBatchStarter()->Start(script));
  SetEnvironmentVariableW(L"ComSpec", Widen(missing).c_str());
  const platform::Status fallback = platform::MakeSystemBatchStarter()->Start(script);
  SetEnvironmentVariableW(L"ComSpec", saved);
  EXPECT_TRUE(fallback) << fallback.message();
  EXPECT_TRUE(batch_run::WaitUntil([&] { return !game.calls().empty() && TempFolder::Exists(tool.File("ran.txt")); }));
  EXPECT_EQ(game.calls().at(0), batch_run::GameCall(tool.path(), "\"" + game.File("Stormline.exe") + "\" /d /e:on /v:off /s /c \"\"go.bat\"\""));
}

// Every character of the Basic Multilingual Plane and every byte: the system
// holds exactly what the Windows-1252 table holds, with no best-fit stand-ins
// ("l" for "\xC5\x82").
TEST(WindowsPlatform, TheAnsiCodePageAgreesWithTheWindows1252Table) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system's ANSI code page is " << GetACP() << ", not 1252";
  std::string all;
  for (char32_t code = 1; code < 0x10000; ++code) {
    std::string utf8;
    platform::AppendUtf8(utf8, code);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    ASSERT_TRUE(surrogate || platform::EncodeSingleByte(utf8) == platform::EncodeWindows1252(utf8)) << unsigned(code);
    if (code < 256) all += static_cast<char>(code);
  }
  EXPECT_EQ(platform::DecodeSingleByte(all), platform::DecodeWindows1252(all));
}

}  // namespace

// The Windows side against the system itself: go.bat as the tool writes it,
// run by the real command interpreter with the game double in the game
// folder, and the ANSI code page. (Files and the tool's folder: core_tests.)
#include <windows.h>

#include <gtest/gtest.h>

#include "game/game_interface.h"
#include "main_window/go_batch.h"
#include "platform/batch_starter.h"
#include "platform/code_page.h"
#include "platform/win_text.h"
#include "tests/wine/batch_run_support.h"

namespace {

using batch_run::GameFolder;
using platform::win::Widen;

// The tool's own starter, from a folder whose name cmd would split or act on
// unless quoted, with the user's decimal separator a comma.
TEST(GoBat, TheStarterRunsEveryStageFromAFolderCmdWouldSplit) {
  TempFolder tool;
  GameFolder game;
  const std::string folder = tool.File("Stormline Lighting & Co"), script = folder + "\\go.bat";
  std::filesystem::create_directory(TempFolder::FromUtf8(folder));
  ASSERT_TRUE(go_batch::WriteScript(platform::RealFileSystem(), script, batch_run::EveryStage(game.path()), ","));
  batch_run::ExpectEveryStage(game, "1,5", [&] { EXPECT_TRUE(platform::MakeSystemBatchStarter()->Start(script)); });
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
  const platform::Status refused = go_batch::WriteScript(platform::RealFileSystem(), script, config, ".");
  EXPECT_NE(refused.message().find("8191"), std::string::npos) << refused.message();
  EXPECT_EQ(TempFolder::Read(script), "@echo old\r\n");
  TempFolder::Write(script, go_batch::ScriptText(config, "."));
  std::system((script + " >NUL 2>&1").c_str());
  EXPECT_TRUE(TempFolder::Exists(canary)) << "unchecked, the hidden command would not have run";
}

// ComSpec names the interpreter: here the game double, which logs how it was
// called (delayed expansion off whatever the registry says), then nothing.
TEST(GoBat, TheStarterRunsComSpecWithDelayedExpansionOffOrSaysItIsMissing) {
  TempFolder tool;
  GameFolder game;
  const std::string script = tool.File("go.bat"), missing = tool.File("no-cmd.exe");
  wchar_t saved[MAX_PATH] = {};
  GetEnvironmentVariableW(L"ComSpec", saved, MAX_PATH);
  SetEnvironmentVariableW(L"ComSpec", Widen(game.File("Stormline.exe")).c_str());
  EXPECT_TRUE(platform::MakeSystemBatchStarter()->Start(script));
  SetEnvironmentVariableW(L"ComSpec", Widen(missing).c_str());
  const std::string refused = platform::MakeSystemBatchStarter()->Start(script).message();
  SetEnvironmentVariableW(L"ComSpec", saved);
  EXPECT_TRUE(batch_run::WaitUntil([&] { return !game.calls().empty(); }));
  EXPECT_EQ(game.calls().at(0).second, "\"" + game.File("Stormline.exe") + "\" /v:off /s /c \"\"" + script + "\"\"");
  EXPECT_NE(refused.find("\"" + script + "\" (looked for " + missing + ")"), std::string::npos) << refused;
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

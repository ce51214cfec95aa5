// go.bat as the tool writes it, run by the real command interpreter with the
// game double in the game folder.
#include <windows.h>

#include <gtest/gtest.h>

#include "game/game_interface.h"
#include "main_window/go_batch.h"
#include "platform/batch_starter.h"
#include "platform/win_text.h"
#include "tests/wine/batch_run_support.h"

namespace {

using batch_run::Fill;
using batch_run::GameCall;
using batch_run::GameFolder;
using platform::win::Widen;

std::wstring Interpreter() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"ComSpec", buffer, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return buffer;
  return L"C:\\windows\\system32\\cmd.exe";
}

// Runs a script through cmd.exe in the script's own folder, as the starter
// does, but waits for the end: only then has the game had all its runs.
void RunScript(const std::string& script) {
  const std::wstring cmd = Interpreter();
  std::wstring line = L"cmd.exe /s /c \"\"" + Widen(script) + L"\"\"";
  const std::wstring folder = Widen(script.substr(0, script.find_last_of('\\')));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                             folder.c_str(), &startup, &process))
      << GetLastError();
  CloseHandle(process.hThread);
  const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << script << " did not end";
}

class BatchRun : public testing::Test {
 protected:
  RunConfiguration Coast() const {
    RunConfiguration config;
    config.gamePath = game.gamePath();
    config.levelName = "Coast";
    config.modName = "Stormline";
    return config;
  }
  std::vector<GameCall> Expected(const std::vector<std::string>& lines) const {
    std::vector<GameCall> calls;
    for (const std::string& line : lines) calls.push_back({game.gamePath(), Fill(line, game.gamePath())});
    return calls;
  }

  TempFolder tool;  // on drive C: under Wine
  GameFolder game;  // on drive Z: under Wine
  const std::string script = tool.File("go.bat");
};

struct StageCase {
  const char* name;
  bool terrain, merge, object;
  double darkness;
  std::vector<std::string> lines;
};
void PrintTo(const StageCase& c, std::ostream* os) { *os << c.name; }

class Stages : public BatchRun, public testing::WithParamInterface<StageCase> {};

TEST_P(Stages, RunTheGameOncePerStageInItsFolderWithTheLinesAsWritten) {
  const StageCase& c = GetParam();
  RunConfiguration config = Coast();
  config.terrainBoolean = c.terrain;
  config.mergeBoolean = c.merge;
  config.objectBoolean = c.object;
  config.shadowDarkness = c.darkness;
  ASSERT_TRUE(go_batch::WriteScript(platform::RealFileSystem(), script, config, "."));
  RunScript(script);
  EXPECT_EQ(game.calls(), Expected(c.lines));
}

INSTANTIATE_TEST_SUITE_P(
    GoBat, Stages,
    testing::Values(
        StageCase{"AllThreeInOrder", true, true, true, 1.5,
                  {batch_run::kTerrainCoast, batch_run::kMergeCoast15, batch_run::kObjectCoast}},
        StageCase{"TerrainAlone", true, false, false, 1.5, {batch_run::kTerrainCoast}},
        StageCase{"MergeAlone", false, true, false, 1.5, {batch_run::kMergeCoast15}},
        StageCase{"MergeAloneDarknessTwo", false, true, false, 2,
                  {R"("{game}\Stormline.exe" +game Stormline +workingFolder "{game}\ShadowWork\" )"
                   R"(+mergeTerrainShadows "stormline\levels\Coast\ 2 0.4")"}},
        StageCase{"ObjectAlone", false, false, true, 1.5, {batch_run::kObjectCoast}},
        StageCase{"NoStage", false, false, false, 1.5, {}}),
    [](const testing::TestParamInfo<StageCase>& p) { return p.param.name; });

TEST_F(BatchRun, ASecondRunReplacesTheFirstScript) {
  RunConfiguration first = Coast();
  first.terrainBoolean = first.mergeBoolean = first.objectBoolean = true;
  ASSERT_TRUE(go_batch::WriteScript(platform::RealFileSystem(), script, first, "."));
  RunScript(script);
  ASSERT_EQ(game.calls().size(), 3u);

  RunConfiguration second = Coast();
  second.levelName = "Big Bay";
  second.modName = "Hyx";
  second.shadowDarkness = 2;
  second.mergeBoolean = true;
  ASSERT_TRUE(go_batch::WriteScript(platform::RealFileSystem(), script, second, "."));
  RunScript(script);
  std::vector<GameCall> expected =
      Expected({batch_run::kTerrainCoast, batch_run::kMergeCoast15, batch_run::kObjectCoast,
                R"("{game}\Stormline.exe" +game Hyx +workingFolder "{game}\ShadowWork\" )"
                R"(+mergeTerrainShadows "stormline\levels\Big Bay\ 2 0.4")"});
  EXPECT_EQ(game.calls(), expected);
}

// A command hidden in a text must never reach the interpreter. Each case
// shows both halves: the checked script is refused, and the same
// configuration written unchecked really would run the hidden command.
struct HiddenCommand {
  const char* name;
  const char* field;
  const char* character;
  void (*hide)(RunConfiguration& config, const std::string& command);
};
void PrintTo(const HiddenCommand& c, std::ostream* os) { *os << c.name; }

class Canary : public BatchRun, public testing::WithParamInterface<HiddenCommand> {
 protected:
  Canary() {
    // What the "%" cases expand; cmd expands before it looks for "&".
    SetEnvironmentVariableW(L"STORMLINE_CANARY", Widen(" & mkdir " + canaryForCmd + " & rem").c_str());
  }
  ~Canary() override { SetEnvironmentVariableW(L"STORMLINE_CANARY", nullptr); }

  bool Sang() const { return std::filesystem::exists(TempFolder::FromUtf8(canary)); }

  const std::string canary = game.Beside("canary");
  const std::string canaryForCmd = game.BesideForCmd("canary");
};

TEST_P(Canary, AHiddenCommandIsRefusedAndNeverRuns) {
  const HiddenCommand& c = GetParam();
  RunConfiguration config = Coast();
  config.terrainBoolean = config.mergeBoolean = config.objectBoolean = true;
  c.hide(config, "mkdir " + canaryForCmd);

  const std::string old = "@echo old\r\n";
  TempFolder::Write(script, old);
  const platform::Status status = go_batch::WriteScript(platform::RealFileSystem(), script, config, ".");
  ASSERT_FALSE(status);
  EXPECT_NE(status.message().find(c.field), std::string::npos) << status.message();
  if (c.character) {
    EXPECT_NE(status.message().find(std::string("\"") + c.character + "\""), std::string::npos) << status.message();
  }
  EXPECT_EQ(TempFolder::Read(script), old);
  RunScript(script);
  EXPECT_FALSE(Sang());

  const std::string unchecked = tool.File("unchecked.bat");
  TempFolder::Write(unchecked, go_batch::ScriptText(config, "."));
  RunScript(unchecked);
  EXPECT_TRUE(Sang()) << "without the check the hidden command would have run";
}

INSTANTIATE_TEST_SUITE_P(
    GoBat, Canary,
    testing::Values(
        HiddenCommand{"ModAmpersand", "Mod Name", "&",
                      [](RunConfiguration& c, const std::string& run) { c.modName = "Stormline & " + run; }},
        HiddenCommand{"ModBar", "Mod Name", "|",
                      [](RunConfiguration& c, const std::string& run) { c.modName = "Stormline | " + run; }},
        HiddenCommand{"ModGreater", "Mod Name", ">",
                      [](RunConfiguration& c, const std::string& run) {
                        c.modName = "Stormline > " + run.substr(run.find(' ') + 1);
                      }},
        HiddenCommand{"ModPercent", "Mod Name", "%",
                      [](RunConfiguration& c, const std::string&) { c.modName = "Stormline%STORMLINE_CANARY%"; }},
        HiddenCommand{"GamePathAmpersand", "Game Path", "&",
                      [](RunConfiguration& c, const std::string& run) { c.gamePath += " & " + run; }},
        HiddenCommand{"GamePathBar", "Game Path", "|",
                      [](RunConfiguration& c, const std::string& run) { c.gamePath += " | " + run; }},
        HiddenCommand{"GamePathGreater", "Game Path", ">",
                      [](RunConfiguration& c, const std::string& run) {
                        c.gamePath += " > " + run.substr(run.find(' ') + 1);
                      }},
        HiddenCommand{"GamePathPercent", "Game Path", "%",
                      [](RunConfiguration& c, const std::string&) { c.gamePath += "%STORMLINE_CANARY%"; }},
        // Past column 8191 the interpreter starts a new command, its quoting
        // reset: the third copy of the level name is cut before its "&".
        HiddenCommand{"LevelPastTheLineLimit", "8191", nullptr,
                      [](RunConfiguration& c, const std::string& run) {
                        for (size_t pad = 2000;; ++pad) {
                          c.levelName = std::string(pad, 'a') + "&" + run + "&";
                          c.terrainBoolean = true;
                          const std::string line = game::TerrainStageLine(c.gamePath, c.modName, c.levelName);
                          const size_t third = line.find(c.levelName, line.find(c.levelName, line.find(c.levelName) + 1) + 1);
                          if (third + pad > 8191 + 16) return;  // the cut falls in the third padding
                        }
                      }}),
    [](const testing::TestParamInfo<HiddenCommand>& p) { return p.param.name; });

// The tool's own starter: cmd.exe as a process of its own, not waited for,
// with a tool folder whose name cmd would split or act on unless quoted.
TEST_F(BatchRun, TheSystemStarterStartsCmdAndReturnsWhileTheGameRuns) {
  const std::string folder = tool.File("Stormline Lighting & Co");
  ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
  const std::string inFolder = platform::JoinPath(folder, "go.bat");
  RunConfiguration config = Coast();
  config.objectBoolean = true;
  ASSERT_TRUE(go_batch::WriteScript(platform::RealFileSystem(), inFolder, config, "."));
  TempFolder::Write(game.File("hold"), "");

  ASSERT_TRUE(platform::MakeSystemBatchStarter()->Start(inFolder));
  const bool logged = batch_run::WaitUntil([&] { return !game.calls().empty(); });
  const bool running = TempFolder::Exists(game.File("running"));
  std::filesystem::remove(TempFolder::FromUtf8(game.File("hold")));
  ASSERT_TRUE(logged) << "the game never ran";
  EXPECT_TRUE(running) << "the starter returned only after the game had ended";
  EXPECT_EQ(game.calls(), Expected({batch_run::kObjectCoast}));
  EXPECT_TRUE(batch_run::WaitUntil([&] { return !TempFolder::Exists(game.File("running")); }));
}

// Whatever the registry says, "!" in a text is never expanded.
TEST_F(BatchRun, TheInterpreterRunsWithDelayedExpansionOff) {
  TempFolder::Write(script, "@echo never\r\n");
  wchar_t saved[MAX_PATH] = {};
  GetEnvironmentVariableW(L"ComSpec", saved, MAX_PATH);
  // The game double stands in for the interpreter and records how it was called.
  SetEnvironmentVariableW(L"ComSpec", Widen(game.File("Stormline.exe")).c_str());
  const platform::Status started = platform::MakeSystemBatchStarter()->Start(script);
  SetEnvironmentVariableW(L"ComSpec", saved[0] ? saved : nullptr);
  ASSERT_TRUE(started) << started.message();
  ASSERT_TRUE(batch_run::WaitUntil([&] { return !game.calls().empty(); }));
  EXPECT_NE(game.calls()[0].commandLine.find(" /v:off /s /c \"\"" + script + "\"\""), std::string::npos)
      << game.calls()[0].commandLine;
}

TEST_F(BatchRun, WithoutACommandInterpreterTheStarterSaysSoAndStartsNothing) {
  wchar_t saved[MAX_PATH] = {};
  GetEnvironmentVariableW(L"ComSpec", saved, MAX_PATH);
  SetEnvironmentVariableW(L"ComSpec", Widen(tool.File("no-cmd.exe")).c_str());
  TempFolder::Write(script, "@echo never\r\n");
  const platform::Status started = platform::MakeSystemBatchStarter()->Start(script);
  SetEnvironmentVariableW(L"ComSpec", saved[0] ? saved : nullptr);
  ASSERT_FALSE(started);
  EXPECT_NE(started.message().find(script), std::string::npos) << started.message();
  EXPECT_NE(started.message().find("no-cmd.exe"), std::string::npos) << started.message();
}

}  // namespace

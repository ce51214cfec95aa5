// The tool's starter on Linux: go.bat through Wine's cmd, detached.
#include <gtest/gtest.h>

#include "main_window/go_batch.h"
#include "platform/batch_starter.h"
#include "tests/wine/batch_run_support.h"

namespace {

using batch_run::Fill;
using batch_run::GameCall;
using batch_run::GameFolder;

class WineStart : public testing::Test {
 protected:
  void SetUp() override {
    WINE_OR_SKIP();
    game = std::make_unique<GameFolder>();
    config.gamePath = game->gamePath();
    config.levelName = "Coast";
    config.modName = "Stormline";
  }
  std::vector<GameCall> Expected(const std::vector<std::string>& lines) const {
    std::vector<GameCall> calls;
    for (const std::string& line : lines) calls.push_back({game->gamePath(), Fill(line, game->gamePath())});
    return calls;
  }

  TempFolder tool;
  std::unique_ptr<GameFolder> game;
  RunConfiguration config;
  // A tool folder with a blank, as under "Program Files".
  const std::string script = platform::JoinPath(MakeFolder(tool.File("Stormline Lighting")), "go.bat");

  static std::string MakeFolder(const std::string& path) {
    std::filesystem::create_directory(path);
    return path;
  }
};

TEST_F(WineStart, TheStarterRunsEveryStageInTheGameFolder) {
  config.terrainBoolean = config.mergeBoolean = config.objectBoolean = true;
  ASSERT_TRUE(go_batch::WriteScript(platform::RealFileSystem(), script, config, "."));
  ASSERT_TRUE(platform::MakeSystemBatchStarter()->Start(script));
  EXPECT_TRUE(batch_run::WaitUntil([&] { return game->calls().size() >= 3; })) << "the game ran too seldom";
  EXPECT_EQ(game->calls(),
            Expected({batch_run::kTerrainCoast, batch_run::kMergeCoast15, batch_run::kObjectCoast}));
}

TEST_F(WineStart, TheStarterReturnsWhileTheGameStillRuns) {
  config.objectBoolean = true;
  ASSERT_TRUE(go_batch::WriteScript(platform::RealFileSystem(), script, config, "."));
  TempFolder::Write(game->File("hold"), "");

  ASSERT_TRUE(platform::MakeSystemBatchStarter()->Start(script));
  const bool logged = batch_run::WaitUntil([&] { return !game->calls().empty(); });
  const bool running = TempFolder::Exists(game->File("running"));
  std::filesystem::remove(game->File("hold"));
  ASSERT_TRUE(logged) << "the game never ran";
  EXPECT_TRUE(running) << "the starter returned only after the game had ended";
  EXPECT_EQ(game->calls(), Expected({batch_run::kObjectCoast}));
  EXPECT_TRUE(batch_run::WaitUntil([&] { return !TempFolder::Exists(game->File("running")); }));
}

// Whatever the prefix's registry says, "!" in a text is never expanded: a
// stand-in for Wine on the PATH records how the interpreter is called.
TEST(WineStarter, TheInterpreterRunsWithDelayedExpansionOff) {
  TempFolder bin;
  const std::string log = bin.File("args.log");
  TempFolder::Write(bin.File("wine"), "#!/bin/sh\necho \"$@\" > '" + log + "'\n");
  std::filesystem::permissions(bin.File("wine"), std::filesystem::perms::owner_all);
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", (bin.path() + ":" + path).c_str(), 1);
  const platform::Status started = platform::MakeSystemBatchStarter()->Start(bin.File("go.bat"));
  ::setenv("PATH", path.c_str(), 1);
  ASSERT_TRUE(started) << started.message();
  ASSERT_TRUE(batch_run::WaitUntil([&] { return TempFolder::Read(log).find('\n') != std::string::npos; }));
  EXPECT_EQ(TempFolder::Read(log), "cmd.exe /v:off /c go.bat\n");
}

}  // namespace

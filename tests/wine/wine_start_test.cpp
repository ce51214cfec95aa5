// The tool's starter on Linux: go.bat through Wine's cmd, in the script's
// folder and with delayed expansion off whatever the prefix's registry says.
// A stand-in for Wine on the PATH records how it was called.
#include <gtest/gtest.h>

#include "platform/batch_starter.h"
#include "tests/wine/batch_run_support.h"

namespace {

TEST(WineStarter, RunsCmdInTheScriptsFolderWithDelayedExpansionOff) {
  TempFolder bin;
  const std::string folder = bin.File("Stormline Lighting"), log = bin.File("args.log");
  std::filesystem::create_directory(folder);
  TempFolder::Write(bin.File("wine"), "#!/bin/sh\necho \"$PWD|$*\" > '" + log + "'\n");
  std::filesystem::permissions(bin.File("wine"), std::filesystem::perms::owner_all);
  const std::string path = batch_run::Env("PATH");
  ::setenv("PATH", (bin.path() + ":" + path).c_str(), 1);
  const platform::Status started = platform::MakeSystemBatchStarter()->Start(platform::JoinPath(folder, "go.bat"));
  ::setenv("PATH", path.c_str(), 1);
  ASSERT_TRUE(started) << started.message();
  EXPECT_TRUE(batch_run::WaitUntil([&] { return TempFolder::Read(log).ends_with('\n'); }));
  EXPECT_EQ(TempFolder::Read(log), folder + "|cmd.exe /v:off /c go.bat\n");
}

}  // namespace

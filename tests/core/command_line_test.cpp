#include "main_window/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "tests/support/recording_starter.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kIni =
    "[Save=Coast]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\n"
    "terrainBoolean=False\r\nmergeBoolean=True\r\nobjectBoolean=False\r\nshadowDarkness=1.5\r\n"
    "[Save=Bay]\r\ngamePath=D:\\Bay\r\nlevelName=Bay\r\nmodName=Hyx\r\n"
    "terrainBoolean=False\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=abc\r\n"
    "[Save=Bad]\r\ngamePath=C:\\G\r\nlevelName=L\r\nmodName=My Mod\r\n"
    "[Save=Half]\r\ngamePath=C:\\G\r\n"
    "[Save=Coast]\r\ngamePath=C:\\Later\r\nlevelName=Later\r\nmodName=Ulm\r\n";
const std::string kCoast =
    "@cd C:\\Games\\Stormline\r\n@C:\r\n"
    R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
    R"(+mergeTerrainShadows "stormline\levels\Coast\ 1.5 0.4")"
    "\r\n";

TEST(CommandLine, RunsStoredConfigurationsOrNothing) {
  const std::string bayLines =
      "@cd D:\\Bay\r\n@D:\r\n"
      R"("D:\Bay\Stormline.exe" +game Hyx +workingFolder "D:\Bay\ShadowWork\" +traceObjectShadows "stormline\levels\Bay\")"
      "\r\n";
  const struct {
    std::vector<std::string> args;
    int status;
    std::optional<std::string> script;  // nothing: go.bat untouched, nothing started
    const char* says;
  } cases[] = {
      {{"--run", "Coast"}, 0, kCoast, "Started"},
      {{"--run", "Coast", "--run", "Coast"}, 0, kCoast + kCoast, "\"Coast\" \"Coast\""},
      {{"--run", "Nope"}, 1, std::nullopt, "no configuration named \"Nope\""},
      {{"--run", "Coast", "--run", "Bad"}, 1, std::nullopt, "Mod Name"},
      {{"--run", "Half"}, 1, std::nullopt, "Incomplete"},
      {{"--run", "Bay"}, 1, std::nullopt, "not a number"},
      {{"--run"}, 2, std::nullopt, "Usage"},
      {{"--bogus"}, 2, std::nullopt, "Usage"},
      {{"Coast"}, 2, std::nullopt, "Usage"},
      {{"--help"}, 0, std::nullopt, "Usage"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    TempFolder folder;
    TempFolder::Write(folder.File("config.ini"), kIni);
    TempFolder::Write(folder.File("go.bat"), "old");
    RecordingStarter starter;
    const command_line::Services services{&starter, &platform::RealFileSystem(), folder.path(), ".",
                                          [](const std::string&) { return true; }};
    std::ostringstream out, err;
    EXPECT_EQ(command_line::Run(c.args, services, out, err), c.status);
    EXPECT_NE((out.str() + err.str()).find(c.says), std::string::npos) << out.str() << err.str();
    EXPECT_EQ(TempFolder::Read(folder.File("go.bat")), c.script.value_or("old"));
    EXPECT_EQ(starter.started.size(), c.script ? 1u : 0u);
  }
  // Two configurations follow one another, each with its own lines.
  TempFolder folder;
  TempFolder::Write(folder.File("config.ini"),
                    kIni + "[Save=Bay2]\r\ngamePath=D:\\Bay\r\nlevelName=Bay\r\nmodName=Hyx\r\nobjectBoolean=1\r\n");
  RecordingStarter starter;
  std::ostringstream out;
  ASSERT_EQ(command_line::Run({"--run", "Bay2", "--run", "Coast"},
                              {&starter, &platform::RealFileSystem(), folder.path(), ".", nullptr}, out, out),
            0);
  EXPECT_EQ(TempFolder::Read(folder.File("go.bat")), bayLines + kCoast);
}

TEST(CommandLine, OnlyTheToolkitsOwnOptionsOpenTheWindows) {
  const struct {
    std::vector<std::string> args;
    bool commandLine;
  } cases[] = {{{}, false}, {{"-platform", "offscreen"}, false}, {{"--run", "X"}, true}, {{"X"}, true}, {{"-"}, true}};
  for (const auto& c : cases) EXPECT_EQ(command_line::WantsCommandLine(c.args), c.commandLine);
}

}  // namespace

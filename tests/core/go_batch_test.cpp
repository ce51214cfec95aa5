#include "main_window/go_batch.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/support/temp_folder.h"

namespace {

RunConfiguration Coast() {
  RunConfiguration config;
  config.gamePath = R"(C:\Games\Stormline)";
  config.levelName = "Coast";
  config.modName = "Stormline";
  return config;
}

const std::string kCdCoast = "@cd C:\\Games\\Stormline\r\n@C:\r\n";
const std::string kTerrainCoast =
    R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
    R"(+traceTerrainShadows "stormline\levels\Coast\" "Coast\lmList.dat" )"
    R"("C:\Games\Stormline\ShadowWork\stormline\levels\Coast\textures")"
    "\r\n";
const std::string kMergeCoast15 =
    R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
    R"(+mergeTerrainShadows "stormline\levels\Coast\ 1.5 0.4")"
    "\r\n";
const std::string kObjectCoast =
    R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
    R"(+traceObjectShadows "stormline\levels\Coast\")"
    "\r\n";

struct ScriptCase {
  const char* name;
  RunConfiguration config;
  const char* separator;
  std::string expected;
};

RunConfiguration With(RunConfiguration config, void (*change)(RunConfiguration&)) {
  change(config);
  return config;
}

void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }

class ScriptBytes : public testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptBytes, AreExactlyTheLinesOfTheRun) {
  const ScriptCase& c = GetParam();
  TempFolder folder;
  const std::string script = folder.File("go.bat");
  TempFolder::Write(script, "@echo an older and much longer script\r\n@echo that must not survive\r\n"
                            "@echo in any part\r\n@echo at all\r\n@echo whatsoever\r\n");
  ASSERT_TRUE(go_batch::WriteScript(platform::RealFileSystem(), script, c.config, c.separator));
  EXPECT_EQ(TempFolder::Read(script), c.expected);
  EXPECT_EQ(folder.Count(), 1u) << "no temporary file stays behind";
}

INSTANTIATE_TEST_SUITE_P(
    GoBat, ScriptBytes,
    testing::Values(
        ScriptCase{"AllStagesOff", Coast(), ".", kCdCoast},
        ScriptCase{"AllStagesInOrder",
                   With(Coast(), [](RunConfiguration& c) { c.terrainBoolean = c.mergeBoolean = c.objectBoolean = true; }),
                   ".", kCdCoast + kTerrainCoast + kMergeCoast15 + kObjectCoast},
        ScriptCase{"TerrainAlone", With(Coast(), [](RunConfiguration& c) { c.terrainBoolean = true; }), ".",
                   kCdCoast + kTerrainCoast},
        ScriptCase{"ObjectAlone", With(Coast(), [](RunConfiguration& c) { c.objectBoolean = true; }), ".",
                   kCdCoast + kObjectCoast},
        ScriptCase{"BlanksInGamePath",
                   With(Coast(),
                        [](RunConfiguration& c) {
                          c.gamePath = R"(D:\My Games\Storm line)";
                          c.levelName = "Big Bay";
                          c.modName = "Hyx";
                          c.objectBoolean = true;
                        }),
                   ".",
                   "@cd D:\\My Games\\Storm line\r\n@D:\r\n"
                   R"("D:\My Games\Storm line\Stormline.exe" +game Hyx +workingFolder "D:\My Games\Storm line\ShadowWork\" )"
                   R"(+traceObjectShadows "stormline\levels\Big Bay\")"
                   "\r\n"},
        ScriptCase{"DarknessTwo",
                   With(Coast(), [](RunConfiguration& c) { c.mergeBoolean = true, c.shadowDarkness = 2; }), ".",
                   kCdCoast +
                       R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
                       R"(+mergeTerrainShadows "stormline\levels\Coast\ 2 0.4")"
                       "\r\n"},
        ScriptCase{"DarknessOneTenth",
                   With(Coast(), [](RunConfiguration& c) { c.mergeBoolean = true, c.shadowDarkness = 0.1; }), ".",
                   kCdCoast +
                       R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
                       R"(+mergeTerrainShadows "stormline\levels\Coast\ 0.1 0.4")"
                       "\r\n"},
        ScriptCase{"GermanDecimalSeparator", With(Coast(), [](RunConfiguration& c) { c.mergeBoolean = true; }), ",",
                   kCdCoast +
                       R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
                       R"(+mergeTerrainShadows "stormline\levels\Coast\ 1,5 0.4")"
                       "\r\n"}),
    [](const testing::TestParamInfo<ScriptCase>& p) { return p.param.name; });

TEST(GoBat, CompletenessNeedsAPositiveDarknessAndAllThreeTexts) {
  const struct {
    void (*change)(RunConfiguration&);
    bool complete;
  } cases[] = {
      {[](RunConfiguration&) {}, true},
      {[](RunConfiguration& c) { c.gamePath.clear(); }, false},
      {[](RunConfiguration& c) { c.levelName.clear(); }, false},
      {[](RunConfiguration& c) { c.modName.clear(); }, false},
      {[](RunConfiguration& c) { c.shadowDarkness = 0; }, false},
      {[](RunConfiguration& c) { c.shadowDarkness = -1; }, false},
      {[](RunConfiguration& c) { c.shadowDarkness = 0.01; }, true},
      {[](RunConfiguration& c) { c.shadowDarkness = std::numeric_limits<double>::quiet_NaN(); }, false},
      {[](RunConfiguration& c) { c.levelName = " "; }, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(go_batch::IsComplete(With(Coast(), c.change)), c.complete);
  }
  EXPECT_FALSE(go_batch::IsComplete(RunConfiguration{})) << "the start-up configuration is incomplete";
}

// Nothing reaches the command interpreter that would run anything but
// what was typed.
TEST(GoBat, RefusesRunsTheCommandInterpreterWouldNotRunAsTyped) {
  const struct {
    void (*change)(RunConfiguration&);
    const char* field;  // what the message names; nullptr: accepted
    const char* separator = ".";
  } cases[] = {
      {[](RunConfiguration& c) { c.modName = "Stormline & del file"; }, "Mod Name"},
      {[](RunConfiguration& c) { c.modName = "a|b"; }, "Mod Name"},
      {[](RunConfiguration& c) { c.modName = "a>b"; }, "Mod Name"},
      {[](RunConfiguration& c) { c.modName = "a<b"; }, "Mod Name"},
      {[](RunConfiguration& c) { c.modName = "a^b"; }, "Mod Name"},
      {[](RunConfiguration& c) { c.modName = "%PATH%"; }, "Mod Name"},
      {[](RunConfiguration& c) { c.gamePath = R"(C:\A&B)"; }, "Game Path"},
      {[](RunConfiguration& c) { c.gamePath = R"(C:\A^B)"; }, "Game Path"},
      {[](RunConfiguration& c) { c.gamePath = "C:\\\"x"; }, "Game Path"},
      {[](RunConfiguration& c) { c.gamePath = "C:\\x\ny"; }, "Game Path"},
      {[](RunConfiguration& c) { c.levelName = "a%b"; }, "Level Name"},
      {[](RunConfiguration& c) { c.levelName = "a\"b"; }, "Level Name"},
      {[](RunConfiguration& c) { c.levelName = "a\rb"; }, "Level Name"},
      {[](RunConfiguration& c) { c.levelName = "Sand & Sea"; }, nullptr},  // always quoted
      {[](RunConfiguration& c) { c.levelName = "K\xC3\xBCste"; }, "Level Name"},  // cmd would read the 1252 byte as OEM
      {[](RunConfiguration& c) { c.modName = "\xE2\x82\xAC"; }, "Mod Name"},
      {[](RunConfiguration& c) { c.gamePath = "C:\\a\x1A"; }, "Game Path"},  // ends a batch file early
      {[](RunConfiguration& c) { c.levelName = "a\tb"; }, "Level Name"},
      {[](RunConfiguration& c) { c.levelName = "K\xC5\x82obuk"; }, "Level Name"},  // not in the code page either
      {[](RunConfiguration& c) { c.gamePath = "C:\\\xE6\xB8\xB8"; }, "Game Path"},
      {[](RunConfiguration& c) { c.modName = "\xFF"; }, "Mod Name"},  // not UTF-8 at all
      // Line 2 runs "@" and two characters: only a drive letter and colon is safe.
      {[](RunConfiguration& c) { c.gamePath = "G"; }, "drive letter"},
      {[](RunConfiguration& c) { c.gamePath = R"(ca\Stormline)"; }, "drive letter"},
      {[](RunConfiguration& c) { c.gamePath = R"(\\server\games)"; }, "drive letter"},
      {[](RunConfiguration& c) { c.gamePath = R"(1:\games)"; }, "drive letter"},
      {[](RunConfiguration& c) { c.gamePath = R"(_:\games)"; }, "drive letter"},  // between Z and a
      {[](RunConfiguration& c) { c.gamePath = "z:"; }, nullptr},
      // The mod name stands bare: a blank would add arguments.
      {[](RunConfiguration& c) { c.modName = "My Mod"; }, "Mod Name"},
      {[](RunConfiguration& c) { c.modName = R"(X +workingFolder C:\evil)"; }, "Mod Name"},
      // The darkness text, where the merge line holds it.
      {[](RunConfiguration& c) { c.mergeBoolean = true; }, "Shadow Darkness", "\"&"},
      {[](RunConfiguration& c) { c.mergeBoolean = true; }, "Shadow Darkness", "%"},
      {[](RunConfiguration&) {}, nullptr, "\"&"},
      // The interpreter reads 8191 characters a line: "@cd C:\" and 8184 more.
      {[](RunConfiguration& c) { c.gamePath = "C:\\" + std::string(8184, 'a'); }, nullptr},
      {[](RunConfiguration& c) { c.gamePath = "C:\\" + std::string(8185, 'a'); }, "8191"},
      {[](RunConfiguration& c) { c.levelName = std::string(2700, 'a') + "&canary&", c.terrainBoolean = true; }, "8191"},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    const std::string script = folder.File("go.bat");
    const std::string old = "@echo old\r\n";
    TempFolder::Write(script, old);
    const RunConfiguration config = With(Coast(), c.change);
    const platform::Status status = go_batch::WriteScript(platform::RealFileSystem(), script, config, c.separator);
    if (!c.field) {
      EXPECT_TRUE(status) << status.message();
      continue;
    }
    ASSERT_FALSE(status) << c.field;
    EXPECT_NE(status.message().find(c.field), std::string::npos) << status.message();
    EXPECT_EQ(TempFolder::Read(script), old) << "a refused run leaves the old script";
    EXPECT_EQ(folder.Count(), 1u);
  }
}

TEST(GoBat, AFailedWriteLeavesTheOldScriptAndSaysWhy) {
  TempFolder folder;
  const std::string script = folder.File("go.bat");
  TempFolder::Write(script, "@echo old\r\n");
  TempFolder::MakeReadOnly(script);
  const platform::Status status = go_batch::WriteScript(platform::RealFileSystem(), script, Coast(), ".");
  ASSERT_FALSE(status);
  EXPECT_NE(status.message().find(script), std::string::npos) << status.message();
  EXPECT_EQ(TempFolder::Read(script), "@echo old\r\n");
  EXPECT_EQ(folder.Count(), 1u);

  const std::string nowhere = platform::JoinPath(folder.File("missing"), "go.bat");
  const platform::Status missing = go_batch::WriteScript(platform::RealFileSystem(), nowhere, Coast(), ".");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.message().find("missing"), std::string::npos) << missing.message();
}

}  // namespace

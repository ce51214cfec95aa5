#include "main_window/go_batch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <sstream>
#include <tuple>

#include "main_window/command_line.h"
#include "main_window/lighting_run.h"
#include "tests/support/recording_starter.h"
#include "tests/support/temp_folder.h"

// The exact bytes of go.bat, here and nowhere else, and the runs refused.
namespace {

using R = RunConfiguration;
using Names = std::vector<std::string>;
const std::string kCd = "@cd C:\\Games\\Stormline\r\n@C:\r\n";
const std::string kGame = R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )";
const std::string kTerrain = kGame + R"(+traceTerrainShadows "stormline\levels\Coast\" "Coast\lmList.dat" )"
                             R"("C:\Games\Stormline\ShadowWork\stormline\levels\Coast\textures")" "\r\n";
const std::string kObject = kGame + R"(+traceObjectShadows "stormline\levels\Coast\")" "\r\n";
std::string Merge(const std::string& darkness) {
  return kGame + R"(+mergeTerrainShadows "stormline\levels\Coast\ )" + darkness + " 0.4\"\r\n";
}
const std::string kBay = "@cd D:\\My Bay\r\n@D:\r\n"
    R"("D:\My Bay\Stormline.exe" +game Hyx +workingFolder "D:\My Bay\ShadowWork\" )"
    R"(+traceObjectShadows "stormline\levels\Big Bay\")" "\r\n";

// What Run Lighting writes: go.bat, the record of the last run, and the
// run's own copy, which removes itself as its last act.
const std::string kSelfRemoval = "@del \"%~f0\" & exit /b\r\n";
lighting_run::Services In(const TempFolder& folder, RecordingStarter& starter, const char* separator = ".") {
  return {&platform::RealFileSystem(), &starter, folder.path(), separator, nullptr};
}
const auto kNoQuestion = [](const std::string&) { return false; };

TEST(GoBat, HoldsTheLinesOfTheRunByteForByte) {
  const std::tuple<R, const char*, std::string> cases[] = {
      {{"C:\\Games\\Stormline", "Coast", "Stormline", 1.5, false, false, false}, ".", kCd},
      {{"C:\\Games\\Stormline", "Coast", "Stormline", 1.5, true, true, true}, ".", kCd + kTerrain + Merge("1.5") + kObject},
      {{"C:\\Games\\Stormline", "Coast", "Stormline", 0.1, false, true, false}, ".", kCd + Merge("0.1")},
      {{"C:\\Games\\Stormline", "Coast", "Stormline", 1.5, false, true, false}, ",", kCd + Merge("1,5")},
      {{"D:\\My Bay", "Big Bay", "Hyx", 1.5, false, false, true}, ".", kBay},
  };
  for (const auto& [config, separator, bytes] : cases) {
    TempFolder folder;
    TempFolder::Write(folder.File("go.bat"), "@echo an older, longer script that must not survive\r\n" + kCd + kCd);
    RecordingStarter starter;
    const auto result = lighting_run::Run({{"", config}}, In(folder, starter, separator), kNoQuestion);
    ASSERT_EQ(result.kind, lighting_run::Result::Kind::Started) << result.text;
    EXPECT_EQ(std::tuple(TempFolder::Read(folder.File("go.bat")), folder.Count(), starter.started.size()),
              std::tuple(bytes, 2u, 1u));
    EXPECT_EQ(TempFolder::Read(result.text), bytes + kSelfRemoval);
    EXPECT_EQ(TempFolder::FromUtf8(result.text).parent_path(), TempFolder::FromUtf8(folder.File("runs")));
  }
}

// A run started reads its own lines, whatever later runs write; a copy
// nobody started, or one a run cut short left for a week, goes.
TEST(LightingRun, EachRunStartsItsOwnScript) {
  TempFolder folder;
  RecordingStarter starter;
  const std::string runs = folder.File("runs");
  std::filesystem::create_directory(TempFolder::FromUtf8(runs));
  const auto age = [&](const std::string& name, std::chrono::hours hours) {
    TempFolder::Write(platform::JoinPath(runs, name), "@echo left\r\n");
    std::filesystem::last_write_time(TempFolder::FromUtf8(platform::JoinPath(runs, name)),
                                     std::filesystem::file_time_type::clock::now() - hours);
  };
  age("go-old.bat", lighting_run::kKeepCopies + std::chrono::hours(1));
  age("go-recent.bat", lighting_run::kKeepCopies - std::chrono::hours(1));
  age("notes.txt", lighting_run::kKeepCopies + std::chrono::hours(1));
  R a{"C:\\Games\\Stormline", "Coast", "Stormline", 1.5, false, true, false}, b = a;
  b.levelName = "Bay";
  const auto first = lighting_run::Run({{"", a}}, In(folder, starter), kNoQuestion);
  const auto second = lighting_run::Run({{"", b}}, In(folder, starter), kNoQuestion);
  EXPECT_EQ(starter.started, (Names{first.text, second.text}));
  EXPECT_EQ(TempFolder::Read(first.text), kCd + Merge("1.5") + kSelfRemoval);
  EXPECT_EQ(TempFolder::Read(folder.File("go.bat")) + kSelfRemoval, TempFolder::Read(second.text));
  EXPECT_FALSE(TempFolder::Exists(platform::JoinPath(runs, "go-old.bat")));
  EXPECT_TRUE(TempFolder::Exists(platform::JoinPath(runs, "go-recent.bat")) &&
              TempFolder::Exists(platform::JoinPath(runs, "notes.txt")));
  starter.failure = "No interpreter.";
  const auto failed = lighting_run::Run({{"", a}}, In(folder, starter), kNoQuestion);
  EXPECT_EQ(failed.text, "No interpreter. " + folder.File("go.bat") + " was written and can be run by hand.");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(TempFolder::FromUtf8(runs)), {}), 4);
}

// Nothing reaches the command interpreter that would run anything but what
// was typed. A run of Coast with one text changed, and the merge stage on or off.
TEST(GoBat, RefusesRunsTheCommandInterpreterWouldNotRunAsTyped) {
  const std::tuple<std::string R::*, std::string, const char*, bool, const char*> cases[] = {
      {&R::modName, "a&b", "The Mod Name holds the character \"&\", which the command interpreter would not pass on to "
                           "the game as it stands. Nothing was written or started.", false, "."},
      {&R::modName, "a|b", "Mod Name", false, "."},
      {&R::modName, "a>b", "Mod Name", false, "."},
      {&R::modName, "a<b", "Mod Name", false, "."},
      {&R::modName, "a^b", "Mod Name", false, "."},
      {&R::modName, "My Mod", "Mod Name", false, "."},  // bare: a blank would add arguments
      {&R::gamePath, "C:\\A&B", "Game Path", false, "."},
      {&R::gamePath, "C:\\\"x", "Game Path", false, "."},
      {&R::gamePath, "C:\\x\ny", "Game Path", false, "."},
      {&R::levelName, "a%b", "Level Name", false, "."},
      {&R::levelName, "a\rb", "Level Name", false, "."},
      {&R::levelName, "a\x7F", "Level Name", false, "."},  // control characters; \x1A ends a batch file early
      {&R::levelName, "K\xC3\xBCste", "Level Name", false, "."},  // cmd would read the 1252 byte as OEM
      {&R::levelName, "Sand & Sea", nullptr, true, "."},  // always quoted
      {&R::modName, "Stormline", "Shadow Darkness", true, "\"&"},
      // Line 2 runs "@" and two characters: only a drive letter and colon is safe.
      {&R::gamePath, "G", "drive letter", false, "."},
      {&R::gamePath, "ca\\Stormline", "drive letter", false, "."},
      {&R::gamePath, "_:\\games", "drive letter", false, "."},  // between Z and a
      {&R::gamePath, "z:", nullptr, false, "."},
      {&R::gamePath, "Z:", nullptr, false, "."},
      // The interpreter reads 8191 characters a line: "@cd C:\" and 8184 more.
      {&R::gamePath, "C:\\" + std::string(8184, 'a'), nullptr, false, "."},
      {&R::gamePath, "C:\\" + std::string(8185, 'a'), "8191", false, "."},
      {&R::levelName, std::string(8190, 'a'), "8191", true, "."},
  };
  for (const auto& [field, value, says, merge, separator] : cases) {
    R config{"C:\\Games\\Stormline", "Coast", "Stormline", 1.5, false, merge, false};
    config.*field = value;
    const platform::Status status = go_batch::CheckRun(config, separator);
    EXPECT_EQ(status.ok(), !says) << value.substr(0, 20);
    EXPECT_NE(status.message().find(says ? says : ""), std::string::npos) << status.message();
  }
}

// What a section leaves out keeps the value the main window starts with.
const std::string kIni =
    "[Save=Coast]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\nmergeBoolean=True\r\n"
    "[Save=Bay]\r\ngamePath=D:\\My Bay\r\nlevelName=Big Bay\r\nmodName=Hyx\r\nobjectBoolean=1\r\n"
    "[Save=Dark]\r\ngamePath=D:\\Bay\r\nlevelName=Bay\r\nmodName=Hyx\r\nshadowDarkness=abc\r\n"
    "[Save=Zero]\r\ngamePath=D:\\Bay\r\nlevelName=Bay\r\nmodName=Hyx\r\nshadowDarkness=0\r\n"
    "[Save=Bad]\r\ngamePath=C:\\G\r\nlevelName=L\r\nmodName=My Mod\r\n"
    "[Save=Half]\r\ngamePath=C:\\G\r\nmodName=M\r\n"
    "[Save=Coast]\r\ngamePath=C:\\Later\r\nlevelName=Later\r\nmodName=Ulm\r\n";

// go.bat afterwards (nothing: untouched, nothing started), and what is said:
// after "Started <the run's copy>" when started, else a part of it; a
// refusal says once that nothing was done.
TEST(CommandLine, RunsStoredConfigurationsOrNothing) {
  const std::tuple<std::vector<std::string>, const char*, int, std::optional<std::string>, const char*> cases[] = {
      {{"--run", "Coast"}, ".", 0, kCd + Merge("1.5"), " for \"Coast\".\n"},
      {{"--run", "Coast"}, ",", 0, kCd + Merge("1,5"), " for \"Coast\".\n"},  // the start darkness in any locale
      {{"--run", "Bay", "--run", "Coast"}, ".", 0, kBay + kCd + Merge("1.5"), " for \"Bay\" \"Coast\".\n"},
      {{"--run", "Nope"}, ".", 1, std::nullopt, "config.ini holds no configuration named \"Nope\". Nothing was written"},
      {{"--run", ""}, ".", 1, std::nullopt, "config.ini holds no configuration named \"\"."},
      {{"--run", "Coast", "--run", "Bad"}, ".", 1, std::nullopt, "\"Bad\": The Mod Name"},
      {{"--run", "Half"}, ".", 1, std::nullopt, "\"Half\": Error: Incomplete"},
      {{"--run", "Zero"}, ".", 1, std::nullopt, "\"Zero\": Error: Incomplete"},
      {{"--run", "Dark"}, ".", 1, std::nullopt, "The Shadow Darkness of \"Dark\" is not a number."},
      {{"--run"}, ".", 2, std::nullopt, "--run needs a NAME.\nUsage"},
      {{"--bogus"}, ".", 2, std::nullopt, "Unknown argument \"--bogus\".\nUsage"},
      {{"--help"}, ".", 0, std::nullopt, "Usage"},
  };
  for (const auto& [args, separator, exit, script, says] : cases) {
    TempFolder folder;
    TempFolder::Write(folder.File("config.ini"), kIni);
    TempFolder::Write(folder.File("go.bat"), "old");
    RecordingStarter starter;
    std::ostringstream out, err;
    const int status = command_line::Run(args, In(folder, starter, separator), out, err);
    EXPECT_EQ(std::tuple(status, TempFolder::Read(folder.File("go.bat")), starter.started.size()),
              std::tuple(exit, script.value_or("old"), script ? 1u : 0u));
    const std::string said = out.str() + err.str();
    if (script) {
      EXPECT_EQ(said, "Started " + starter.started.at(0) + says);
      EXPECT_EQ(TempFolder::Read(starter.started.at(0)), *script + kSelfRemoval);
    }
    EXPECT_NE(said.find(says), std::string::npos) << said;
    EXPECT_EQ(said.find("started."), said.rfind("started.")) << said;
  }
  // Only the toolkit's own "-option" opens the windows.
  const std::pair<std::vector<std::string>, bool> wanted[] = {
      {{}, false},
      {{"-platform", "offscreen"}, false},
      {{"--run", "X"}, true},
      {{"X", "Y"}, true},
      {{"-"}, true},
      {{"lmList.dat"}, false},  // dropped on the program
  };
  for (const auto& [args, commandLine] : wanted) EXPECT_EQ(command_line::WantsCommandLine(args), commandLine);
}

}  // namespace

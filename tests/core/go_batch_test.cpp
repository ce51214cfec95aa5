#include "main_window/go_batch.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "main_window/command_line.h"
#include "main_window/lighting_run.h"
#include "tests/support/recording_starter.h"
#include "tests/support/temp_folder.h"

// The exact bytes of go.bat, here and nowhere else, and the runs refused.
namespace {

using R = RunConfiguration;
namespace fs = std::filesystem;
const std::string kCd = "@cd C:\\Games\\Stormline\r\n@C:\r\n";
const std::string kGame = R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )";
const std::string kTerrain = kGame + R"(+traceTerrainShadows "stormline\levels\Coast\" "Coast\lmList.dat" )"
                             R"("C:\Games\Stormline\ShadowWork\stormline\levels\Coast\textures")" "\r\n";
const std::string kObject = kGame + R"(+traceObjectShadows "stormline\levels\Coast\")" "\r\n";
std::string Merge(const std::string& darkness) {
  return kGame + R"(+mergeTerrainShadows "stormline\levels\Coast\ )" + darkness + " 0.4\"\r\n";
}
// The run's own copy of go.bat removes itself as its last act.
const std::string kSelfRemoval = "@del \"%~f0\" & exit /b\r\n";
lighting_run::Services In(const TempFolder& folder, RecordingStarter& starter, const char* separator = ".") {
  return {&platform::RealFileSystem(), &starter, folder.path(), separator, nullptr};
}

// A run started reads its own lines, whatever later runs write; a copy
// nobody started, or one a run cut short left for a week, goes.
TEST(LightingRun, EachRunStartsItsOwnScript) {
  TempFolder folder;
  RecordingStarter starter;
  const fs::path runs = TempFolder::FromUtf8(folder.File("runs"));
  fs::create_directory(runs);
  for (const auto& [name, age] : {std::pair("go-old.bat", 1), {"go-recent.bat", -1}, {"notes.txt", 1}}) {
    TempFolder::Write(TempFolder::ToUtf8(runs / name), "@echo left\r\n");
    fs::last_write_time(runs / name, fs::file_time_type::clock::now() - lighting_run::kKeepCopies - std::chrono::hours(age));
  }
  const auto run = [&](const char* level) {
    const R config{"C:\\Games\\Stormline", level, "Stormline", 1.5, false, true, false};
    return lighting_run::Run({{"", config}}, In(folder, starter), [](const std::string&) { return false; }).text;
  };
  const std::string first = run("Coast"), second = run("Bay");
  EXPECT_EQ(std::tuple(starter.started, TempFolder::Read(first), TempFolder::Read(folder.File("go.bat")) + kSelfRemoval),
            std::tuple(std::vector{first, second}, kCd + Merge("1.5") + kSelfRemoval, TempFolder::Read(second)));
  starter.failure = "No interpreter.";
  EXPECT_EQ(run("Coast"), "No interpreter. " + folder.File("go.bat") + " was written and can be run by hand.");
  std::set<fs::path> left;
  for (const auto& entry : fs::directory_iterator(runs)) left.insert(entry.path().filename());
  EXPECT_EQ(left, (std::set<fs::path>{"go-recent.bat", "notes.txt", TempFolder::FromUtf8(first).filename(),
                                      TempFolder::FromUtf8(second).filename()}));
}

// Nothing reaches the command interpreter that would run anything but what
// was typed. A run of Coast with one text changed, and the merge stage on or off.
TEST(GoBat, RefusesRunsTheCommandInterpreterWouldNotRunAsTyped) {
  const std::tuple<std::string R::*, std::vector<std::string>, const char*, bool, const char*> cases[] = {
      {&R::modName, {"a&b"}, "The Mod Name holds the character \"&\", which the command interpreter would not pass on "
                             "to the game as it stands. Nothing was written or started.", false, "."},
      {&R::modName, {"a|b", "a>b", "a<b", "a^b", "My Mod"}, "Mod Name", false, "."},  // bare: a blank adds arguments
      {&R::gamePath, {"C:\\A&B", "C:\\\"x", "C:\\x\ny"}, "Game Path", false, "."},
      // Control characters (\x1A ends a batch file early); cmd would read a 1252 byte as OEM.
      {&R::levelName, {"a%b", "a\rb", "a\x7F", "a\x1A"}, "Level Name", false, "."},
      {&R::levelName, {"K\xC3\xBCste"}, "The Level Name holds the character \"\xC3\xBC\", which the command interpreter would "
                      "not read as written: go.bat can pass on plain ASCII text only. Nothing was written or started.", false, "."},
      {&R::levelName, {"Sand & Sea"}, nullptr, true, "."},  // always quoted
      {&R::modName, {"Stormline"}, "Shadow Darkness", true, "\"&"},
      // Line 2 runs "@" and two characters: only a drive letter and colon is safe; "_" is between Z and a.
      {&R::gamePath, {"G", "ca\\Stormline", "_:\\games"}, "drive letter", false, "."},
      // The interpreter reads 8191 characters a line: "@cd C:\" and 8184 more.
      {&R::gamePath, {"z:", "Z:", "C:\\" + std::string(8184, 'a')}, nullptr, false, "."},
      {&R::gamePath, {"C:\\" + std::string(8185, 'a')}, "8191", false, "."},
  };
  for (const auto& [field, values, says, merge, separator] : cases)
    for (const std::string& value : values) {
      R config{"C:\\Games\\Stormline", "Coast", "Stormline", 1.5, false, merge, false};
      config.*field = value;
      const platform::Status status = go_batch::CheckRun(config, separator);
      EXPECT_EQ(status.ok(), !says) << value.substr(0, 20);
      EXPECT_NE(status.message().find(says ? says : ""), std::string::npos) << status.message();
    }
}

// What a section leaves out keeps the value the main window starts with. A
// name is the first section whose header is exactly "[Save=" name "]", and
// only its first seven lines count; "True" in any case, blanks around it, or
// any number but 0 is true.
const std::string kIni =
    "[Save=coast]\r\nmodName=Lower\r\n[Save=Coast] \r\nmodName=Blank\r\n"
    "[Save=Coast]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\nmergeBoolean=True\r\n"
    "[Save=All]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\nterrainBoolean= tRuE\t\r\n"
    "objectBoolean=1\r\nmergeBoolean=-2\r\nshadowDarkness=1E-1\r\nmodName=Eighth\r\n"
    "[Save=Dark]\r\ngamePath=D:\\Bay\r\nlevelName=Bay\r\nmodName=Hyx\r\nshadowDarkness=abc\r\n"
    "[Save=Zero]\r\ngamePath=D:\\Bay\r\nlevelName=Bay\r\nmodName=Hyx\r\nshadowDarkness=0\r\n"
    "[Save=Bad]\r\ngamePath=C:\\G\r\nlevelName=L\r\nmodName=My Mod\r\n"
    "[Save=Half]\r\ngamePath=C:\\G\r\nnote, no key word\r\nmodName=M\r\n"
    "[Save=Coast]\r\ngamePath=C:\\Later\r\nlevelName=Later\r\nmodName=Ulm\r\n";

// go.bat byte for byte afterwards (nothing: the older, longer one untouched,
// nothing started), and what is said: after "Started <the run's copy>" when
// started, else a part of it; a refusal says once that nothing was done.
TEST(CommandLine, RunsStoredConfigurationsOrNothing) {
  const std::string old(1000, '@');
  const std::tuple<std::vector<std::string>, const char*, int, std::optional<std::string>, const char*> cases[] = {
      {{"--run", "Coast"}, ".", 0, kCd + Merge("1.5"), " for \"Coast\".\n"},
      {{"--run", "Coast"}, ",", 0, kCd + Merge("1,5"), " for \"Coast\".\n"},  // the start darkness in any locale
      {{"--run", "All", "--run", "Coast"}, ".", 0, kCd + kTerrain + Merge("0.1") + kObject + kCd + Merge("1.5"),
       " for \"All\" \"Coast\".\n"},
      {{"--run", "Nope"}, ".", 1, std::nullopt, "config.ini holds no configuration named \"Nope\". Nothing was written"},
      {{"--run", ""}, ".", 1, std::nullopt, "config.ini holds no configuration named \"\"."},
      {{"--run", "Coast", "--run", "Bad"}, ".", 1, std::nullopt, "\"Bad\": The Mod Name"},
      {{"--run", "Half"}, ".", 1, std::nullopt, "\"Half\": Error: Incomplete"},
      {{"--run", "Zero"}, ".", 1, std::nullopt, "\"Zero\": Error: Incomplete"},
      {{"--run", "Dark"}, ".", 1, std::nullopt, "The Shadow Darkness of \"Dark\" is not a number."},
      {{"--run"}, ".", 2, std::nullopt, "--run needs a NAME.\nUsage"},
  };
  for (const auto& [args, separator, exit, script, says] : cases) {
    TempFolder folder;
    TempFolder::Write(folder.File("config.ini"), kIni);
    TempFolder::Write(folder.File("go.bat"), old);
    RecordingStarter starter;
    std::ostringstream out, err;
    const int status = command_line::Run(args, In(folder, starter, separator), out, err);
    const std::string said = out.str() + err.str();
    // Beside config.ini: go.bat, and the folder of the runs' copies; no temporary file.
    EXPECT_EQ(std::tuple(status, TempFolder::Read(folder.File("go.bat")), starter.started.size(), folder.Count()),
              std::tuple(exit, script.value_or(old), script ? 1u : 0u, script ? 3u : 2u)) << said;
    if (script && !starter.started.empty()) {
      EXPECT_EQ(said, "Started " + starter.started[0] + says);
      EXPECT_EQ(TempFolder::Read(starter.started[0]), *script + kSelfRemoval);
    }
    EXPECT_NE(said.find(says), std::string::npos) << said;
    EXPECT_EQ(said.find("started."), said.rfind("started.")) << said;
    // The runs folder is the user's to write (where there is none, its permissions are "unknown": all bits).
    EXPECT_EQ(fs::status(TempFolder::FromUtf8(folder.File("runs"))).permissions() & fs::perms::owner_all, fs::perms::owner_all);
  }
  // Only the toolkit's own "-option", or a file dropped on the program, opens the windows.
  EXPECT_EQ(std::tuple(command_line::WantsCommandLine({"-platform", "offscreen"}), command_line::WantsCommandLine({"lmList.dat"}),
                       command_line::WantsCommandLine({"--run", "X"})), std::tuple(false, false, true));
}

}  // namespace

// The Windows side against the system itself: go.bat as the tool writes it,
// run by the real command interpreter with the game double in the game
// folder, and the ANSI code page. (Files and the tool's folder: core_tests.)
#include <windows.h>

#include <gtest/gtest.h>

#include "main_window/lighting_run.h"
#include "platform/batch_starter.h"
#include "platform/code_page.h"
#include "platform/win_text.h"
#include "tests/wine/batch_run_support.h"

namespace {

// What the game must be given, from its own folder, to light a level of the
// mod Stormline in each of the three stages.
std::vector<std::string> Stages(const batch_run::GameFolder& game, const std::string& level, const std::string& darkness) {
  const std::string g = game.path(), in = R"("stormline\levels\)" + level + "\\";
  const std::string head = g + "\t\"" + g + R"(\Stormline.exe" +game Stormline +workingFolder ")" + g + R"(\ShadowWork\" )";
  return {head + "+traceTerrainShadows " + in + R"(" ")" + level + R"(\lmList.dat" ")" + g + R"(\ShadowWork\stormline\levels\)" +
              level + R"(\textures")",
          head + "+mergeTerrainShadows " + in + " " + darkness + R"( 0.4")", head + "+traceObjectShadows " + in + "\""};
}

// A run as Run Lighting starts it, from a folder whose name cmd would split,
// act on or expand unless kept from it, with the user's decimal separator a
// comma, and a level name holding blanks, a comma, brackets and a "!". cmd
// reads a script a line at a time, opening it anew each time: a later run
// started while the first stage works must not change what runs next.
TEST(GoBat, EachRunRunsItsOwnLinesFromAFolderCmdWouldSplit) {
  TempFolder tool;
  batch_run::GameFolder game;
  const std::string folder = tool.File("Stormline Lighting & Co %PATH% (100%)"), level = "Big Bay, West (2)!";
  std::filesystem::create_directory(TempFolder::FromUtf8(folder));
  const auto starter = platform::MakeSystemBatchStarter();
  const auto run = [&](const RunConfiguration& config) {
    const lighting_run::Services services{&platform::RealFileSystem(), starter.get(), folder, ",", {}};
    const auto result = lighting_run::Run({{"", config}}, services, [](const std::string&) { return false; });
    EXPECT_EQ(result.kind, lighting_run::Result::Kind::Started) << result.text;
  };
  TempFolder::Write(game.File("hold"), "");
  run({game.path(), level, "Stormline", 1.5, true, true, true});
  EXPECT_TRUE(batch_run::WaitUntil([&] { return !game.calls().empty(); })) << "the game never ran";
  EXPECT_EQ(game.calls().size(), 1u) << "the start waited for the game";
  run({game.path(), "Later", "Stormline", 1.5, true, false, false});
  EXPECT_TRUE(batch_run::WaitUntil([&] { return game.calls().size() == 2; })) << "the later run never ran";
  std::filesystem::remove(TempFolder::FromUtf8(game.File("hold")));
  batch_run::WaitUntil([&] { return game.calls().size() >= 4 && !TempFolder::Exists(game.File("running")); });
  std::vector<std::string> expected = Stages(game, level, "1,5");
  expected.insert(expected.begin() + 1, Stages(game, "Later", "1,5")[0]);
  EXPECT_EQ(game.calls(), expected);
  // Wine's cmd would expand the "%" in the path of a script removing itself:
  // here the runs' copies keep the lines as written.
  std::vector<std::string> copies;
  for (const auto& copy : std::filesystem::directory_iterator(TempFolder::FromUtf8(folder + "\\runs")))
    copies.push_back(TempFolder::Read(TempFolder::ToUtf8(copy.path())));
  EXPECT_EQ(std::count(copies.begin(), copies.end(), TempFolder::Read(folder + "\\go.bat")), 1) << "the later run's copy";
}

// ComSpec names the interpreter: here the game double, which logs how and
// where it was called (no AutoRun, extensions on, delayed expansion off
// whatever the registry says; the script by its name in its folder). A
// ComSpec naming no file falls back to the system's cmd.exe.
TEST(GoBat, TheStarterRunsComSpecInTheScriptsFolderOrTheSystemsCmd) {
  TempFolder tool;
  batch_run::GameFolder game;
  const std::string script = tool.File("go.bat");
  TempFolder::Write(script, "@echo ran> ran.txt\r\n");
  wchar_t saved[MAX_PATH] = {};
  GetEnvironmentVariableW(L"ComSpec", saved, MAX_PATH);
  SetEnvironmentVariableW(L"ComSpec", platform::win::Widen(game.File("Stormline.exe")).c_str());
  EXPECT_TRUE(platform::MakeSystemBatchStarter()->Start(script));
  SetEnvironmentVariableW(L"ComSpec", platform::win::Widen(tool.File("no-cmd.exe")).c_str());
  const platform::Status fallback = platform::MakeSystemBatchStarter()->Start(script);
  SetEnvironmentVariableW(L"ComSpec", saved);
  EXPECT_TRUE(fallback) << fallback.message();
  EXPECT_TRUE(batch_run::WaitUntil([&] { return !game.calls().empty() && TempFolder::Exists(tool.File("ran.txt")); }));
  EXPECT_EQ(game.calls(), std::vector<std::string>{tool.path() + "\t\"" + game.File("Stormline.exe") + "\" /d /e:on /v:off /s /c \"\"go.bat\"\""});
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

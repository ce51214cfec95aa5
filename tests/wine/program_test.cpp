// The tool's programs as a user meets them, on the virtual display that
// scripts/test-windows provides with Wine and both programs: the Windows
// build, unpacked from its zip, from a shell under Wine and with a file
// dropped on it, and the Linux build on X.
#include <gtest/gtest.h>
#include <signal.h>

#include "bench/x_display.h"
#include "tests/wine/batch_run_support.h"

namespace {

using batch_run::Env;

// The titles of the windows that a program brings up, the consoles of the
// runs aside, a second after the one awaited is there; then it is stopped.
std::string WindowsOf(const std::string& program, const std::string& folder, const std::string& awaited) {
  static XDisplay display;
  const auto before = display.Windows();
  std::system(("cd '" + folder + "' && { (exec " + program + " >/dev/null 2>&1) & echo $! > pid; }").c_str());
  const auto shown = [&] {
    std::string titles;
    for (const auto& w : display.Windows()) {
      const bool old = std::any_of(before.begin(), before.end(), [&](const XDisplay::Shown& b) { return b.id == w.id; });
      if (!old && !w.title.empty() && !w.title.starts_with("Stormline Lighting: ")) titles += w.title + "\n";
    }
    return titles;
  };
  if (batch_run::WaitUntil([&] { return shown().find(awaited) != std::string::npos; }, 60))
    std::this_thread::sleep_for(std::chrono::seconds(1));
  const std::string seen = shown();
  ::kill(std::stoi(TempFolder::Read(folder + "/pid")), SIGKILL);  // its windows gone before the next is looked for
  batch_run::WaitUntil([&] { return shown().empty(); }, 20);
  return seen;
}

// The Windows program's text goes where the caller sent it (a file, both
// streams, a pipe); a lone file, as dropped on it, opens the window with the
// file imported; the Linux program opens its window.
TEST(Programs, SayWhereTheyAreToldAndOpenTheirWindowAlone) {
  if (Env("DISPLAY").empty() || Env("WINEPREFIX").empty() || Env("STORMLINE_WINDOWS_ZIP").empty())
    return batch_run::Missing("needs a display, Wine and the Windows zip: run scripts/test-windows");
  TempFolder tool;
  batch_run::GameFolder game;
  std::system(("unzip -q '" + Env("STORMLINE_WINDOWS_ZIP") + "' -d '" + tool.path() + "'").c_str());
  TempFolder::Write(tool.File("config.ini"), "[Save=A]\r\ngamePath=" + game.path() + "\r\nlevelName=A\r\nmodName=Stormline\r\n");
  TempFolder::Write(tool.File("lmList.dat"), std::string("\x01\x00\x02\x00", 4));
  const std::string wine = std::filesystem::exists("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64" : "wine";
  const std::string program = "cd '" + tool.path() + "' && " + wine + " StormlineLighting.exe";
  const std::pair<std::string, std::string> cases[] = {
      {program + " --run A > said; echo $? >> said", "Started Z:"},
      {program + " --run Nope > said 2>&1; echo $? >> said",
       "config.ini holds no configuration named \"Nope\". Nothing was written or started.\n1\n"},
      {program + " --run A 2>/dev/null | cat > said", "Started Z:"},
  };
  for (const auto& [command, says] : cases) {
    TempFolder::Write(tool.File("call.sh"), command + "\n");
    std::system(("timeout 60 bash '" + tool.File("call.sh") + "'").c_str());
    EXPECT_TRUE(TempFolder::Read(tool.File("said")).starts_with(says)) << command << "\n" << TempFolder::Read(tool.File("said"));
  }
  // No other window comes with it: no complaint about the file, nor about
  // the folder, which is no temporary one. Where the text has nowhere to go,
  // as from a shortcut, a refusal is shown in a box, a started run is not.
  const std::string main = "Quillon's Stormline Batch Lighting Tool\n";
  const std::tuple<const char*, std::string, std::string> windows[] = {
      {"the Linux program", "env QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 '" STORMLINE_LINUX_PROGRAM "'", main},
      {"the Windows program given lmList.dat after a run", "sh -c '" + wine + " StormlineLighting.exe --run A; exec " + wine +
                                                                " StormlineLighting.exe lmList.dat'", main},
      {"the Windows program refusing with no console", wine + " StormlineLighting.exe --run Nope", "StormlineLighting\n"},
  };
  for (const auto& [which, command, titles] : windows) EXPECT_EQ(WindowsOf(command, tool.path(), titles), titles) << which;
}

}  // namespace

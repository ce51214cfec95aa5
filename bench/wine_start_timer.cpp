// How long Windows programs take under Wine from the start of the process
// to their first window on the display, each started several times in
// turn; prints the median of the first divided by that of the second:
//   wine_start_timer RUNS PROGRAM.exe YARDSTICK.exe
// Runs on the display and in the Wine prefix that scripts/bench provides.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_util.h"
#include "bench/x_display.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// One start: milliseconds until a new titled window is mapped, or -1.
double StartMs(XDisplay& x, const std::string& exe) {
  std::set<unsigned long> known;
  for (const auto& w : x.Windows()) known.insert(w.id);
  const std::string wine = std::filesystem::exists("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64" : "wine";
  std::vector<std::string> args = {wine, exe};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const auto start = Clock::now();
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  double ms = -1;
  unsigned long shown = 0;
  while (Clock::now() - start < std::chrono::seconds(60) && !shown) {
    for (const auto& w : x.Windows()) {
      if (!known.count(w.id) && !w.title.empty()) shown = w.id;
    }
    if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (shown) ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
  // The next start begins on an empty screen.
  for (int i = 0; i < 500; ++i) {
    bool gone = true;
    for (const auto& w : x.Windows()) gone = gone && w.id != shown;
    if (gone) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return ms;
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s RUNS PROGRAM.exe YARDSTICK.exe\n", argv[0]);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  XDisplay x;
  if (!x.ok() || runs < 1) {
    std::fprintf(stderr, "no display, or no runs\n");
    return 2;
  }
  // One start each first, unmeasured: Wine and the files are warm after it.
  StartMs(x, argv[2]);
  StartMs(x, argv[3]);
  std::vector<double> program, yardstick;
  for (int i = 0; i < runs; ++i) {
    program.push_back(StartMs(x, argv[2]));
    yardstick.push_back(StartMs(x, argv[3]));
    if (program.back() < 0 || yardstick.back() < 0) {
      std::fprintf(stderr, "a program showed no window\n");
      return 1;
    }
  }
  std::fprintf(stderr, "start under Wine: %.0f ms, yardstick %.0f ms (medians of %d)\n", Median(program),
               Median(yardstick), runs);
  Figure("windows_start_ratio", Median(program) / Median(yardstick), "ratio");
  return 0;
}

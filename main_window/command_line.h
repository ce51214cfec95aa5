#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/batch_starter.h"
#include "platform/file_system.h"

// Lighting without the windows: StormlineLighting --run NAME [--run NAME ...]
// runs stored configurations from config.ini as Run Lighting would.
namespace command_line {

inline constexpr int kStarted = 0;
inline constexpr int kRefused = 1;
inline constexpr int kUsageError = 2;

struct Services {
  platform::BatchStarter* starter = nullptr;
  platform::FileSystem* fs = nullptr;
  std::string toolFolder;
  std::string decimalSeparator;
  bool (*gameFound)(const std::string& gamePath) = nullptr;
};

// Whether these arguments (the program's name left out) ask for it rather
// than for the windows: any first argument but the toolkit's own "-option".
bool WantsCommandLine(const std::vector<std::string>& args);

std::string Usage();

// Loads each named configuration, refuses as Run Lighting refuses, then
// writes one go.bat with the runs in the order given and starts it. Says
// what it started, or why nothing was started, and returns the exit status.
int Run(const std::vector<std::string>& args, const Services& services, std::ostream& out, std::ostream& err);

}  // namespace command_line

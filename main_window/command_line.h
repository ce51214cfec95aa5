#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "main_window/lighting_run.h"

// Lighting without the windows: StormlineLighting --run NAME [--run NAME ...]
// runs stored configurations from config.ini as Run Lighting would.
namespace command_line {

inline constexpr int kStarted = 0;
inline constexpr int kRefused = 1;
inline constexpr int kUsageError = 2;

// Whether these arguments (the program's name left out) ask for it rather
// than for the windows: any first argument but the toolkit's own "-option",
// and but a lone file (dropped on the program, or opened with it).
bool WantsCommandLine(const std::vector<std::string>& args);
std::optional<std::string> DroppedFile(const std::vector<std::string>& args);

std::string Usage();

// Loads each named configuration and runs them, in the order given, as one
// run: refused as Run Lighting refuses, and a game folder without the game
// refused too, as nobody can be asked. Says what it started, or why nothing
// was started, and returns the exit status.
int Run(const std::vector<std::string>& args, const lighting_run::Services& services, std::ostream& out,
        std::ostream& err);

}  // namespace command_line

#pragma once

#include <string>
#include <string_view>

#include "main_window/run_configuration.h"
#include "platform/status.h"

namespace go_batch {

inline constexpr std::string_view kScriptName = "go.bat";
// How every refusal ends.
inline constexpr std::string_view kNothingDone = " Nothing was written or started.";
inline constexpr std::string_view kIncompleteStatus = "Error: Incomplete Config. Set Paths or Load Config.";

// A run needs a darkness above 0 and all three texts.
bool IsComplete(const RunConfiguration& config);

// The command interpreter's limit on one line.
inline constexpr size_t kMaxLineLength = 8191;
inline constexpr std::string_view kExampleGamePath = "C:\\Games\\Stormline";

// Refuses a run whose script would not do exactly what was typed:
// characters the command interpreter acts on where a text stands (the
// darkness text included), characters beyond plain ASCII, which it reads in
// another code page, a game folder without a drive letter and colon, a mod
// name with blanks, and a line past the interpreter's limit. The message
// names the field.
platform::Status CheckRun(const RunConfiguration& config, std::string_view decimalSeparator);

// The script as text, every line ended by CR LF.
std::string ScriptText(const RunConfiguration& config, std::string_view decimalSeparator);

}  // namespace go_batch

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "main_window/run_configuration.h"
#include "platform/file_system.h"
#include "platform/status.h"

namespace go_batch {

inline constexpr std::string_view kScriptName = "go.bat";
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

// The bytes of a script for the runs one after the other, each checked as
// Run Lighting checks it, in the single-byte code page.
platform::Status ScriptBytes(const std::vector<RunConfiguration>& runs, std::string_view decimalSeparator,
                             std::string& bytes);

// What Run Lighting would do now: the script's text, or (runs false) the
// very message it would show instead.
struct Preview {
  bool runs = false;
  std::string text;
};
Preview PreviewRun(const RunConfiguration& config, std::string_view decimalSeparator);

// Checks the run, then writes the script as toolFolder/go.bat through a
// temporary file, so a failure leaves any old script as it was.
platform::Status WriteScript(platform::FileSystem& fs, const std::string& scriptPath,
                             const RunConfiguration& config, std::string_view decimalSeparator);

}  // namespace go_batch

#pragma once

#include <string>
#include <string_view>

#include "main_window/run_configuration.h"
#include "platform/file_system.h"
#include "platform/status.h"

namespace go_batch {

inline constexpr std::string_view kScriptName = "go.bat";

// A run needs a darkness above 0 and all three texts.
bool IsComplete(const RunConfiguration& config);

// Refuses texts that would not reach the game as typed: characters the
// command interpreter acts on where the text stands, and characters beyond
// plain ASCII, which it reads in another code page. The message names the
// field.
platform::Status CheckTexts(const RunConfiguration& config);

// The script as text, every line ended by CR LF.
std::string ScriptText(const RunConfiguration& config, std::string_view decimalSeparator);

// Checks the texts, then writes the script as toolFolder/go.bat through a
// temporary file, so a failure leaves any old script as it was.
platform::Status WriteScript(platform::FileSystem& fs, const std::string& scriptPath,
                             const RunConfiguration& config, std::string_view decimalSeparator);

}  // namespace go_batch

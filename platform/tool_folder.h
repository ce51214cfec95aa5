#pragma once

#include <string>

namespace platform {

// The folder that holds the running executable, without a trailing
// separator. go.bat and config.ini live there.
std::string ToolFolder();

// Whether folder lies in the user's temporary folder, where Explorer runs a
// program opened inside a zip, and which Windows cleans out. Only Windows
// does that; elsewhere false.
bool InTemporaryFolder(const std::string& folder);

}  // namespace platform

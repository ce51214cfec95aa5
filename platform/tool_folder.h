#pragma once

#include <string>

namespace platform {

// The folder that holds the running executable, without a trailing
// separator. go.bat and config.ini live there.
std::string ToolFolder();

}  // namespace platform

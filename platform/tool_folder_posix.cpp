#include <unistd.h>

#include <climits>

#include "platform/tool_folder.h"

namespace platform {

std::string ToolFolder() {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return ".";
  std::string path(buffer, static_cast<size_t>(length));
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool InTemporaryFolder(const std::string&) { return false; }

}  // namespace platform

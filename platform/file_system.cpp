#include "platform/file_system.h"

namespace platform {

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string joined = folder;
  joined += PathSeparator();
  joined += name;
  return joined;
}

Status WriteFileReplacing(FileSystem& fs, const std::string& path, std::string_view bytes,
                          const std::string& tempPath) {
  if (fs.Exists(tempPath)) {
    if (Status removed = fs.Remove(tempPath); !removed) return removed;
  }
  if (Status written = fs.WriteNew(tempPath, bytes); !written) {
    (void)fs.Remove(tempPath);
    return written;
  }
  if (Status replaced = fs.Replace(tempPath, path); !replaced) {
    (void)fs.Remove(tempPath);
    return replaced;
  }
  return Status::Ok();
}

Status WriteFileReplacing(FileSystem& fs, const std::string& path, std::string_view bytes) {
  return WriteFileReplacing(fs, path, bytes, path + ".tmp");
}

}  // namespace platform

#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

// The few file operations the tool needs. Paths are UTF-8 in the platform's
// own form. A read-only file is never forced: Remove and Replace refuse it.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool Exists(const std::string& path) const = 0;
  virtual Status ReadAll(const std::string& path, std::string& bytes) const = 0;
  // Creates the file (or empties an existing one), writes all bytes, flushes
  // them to the disk and closes it.
  virtual Status WriteNew(const std::string& path, std::string_view bytes) = 0;
  // Moves source over target in one step, so target is either old or new.
  virtual Status Replace(const std::string& source, const std::string& target) = 0;
  virtual Status Remove(const std::string& path) = 0;
};

FileSystem& RealFileSystem();

// The platform's folder separator, and a folder joined with a file name.
char PathSeparator();
std::string JoinPath(const std::string& folder, std::string_view name);

// Writes a whole file without ever leaving it half written: the bytes go to
// tempPath beside it, which then replaces path. On failure path is as it was
// and tempPath is removed where possible; a leftover tempPath from an
// interrupted earlier write is removed first.
Status WriteFileReplacing(FileSystem& fs, const std::string& path, std::string_view bytes,
                          const std::string& tempPath);
Status WriteFileReplacing(FileSystem& fs, const std::string& path, std::string_view bytes);

}  // namespace platform

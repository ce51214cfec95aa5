#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace platform {

// What stands at a path, links not followed.
enum class EntryKind { None, File, Other };

struct Listed {
  std::string name;
  bool file = false;              // a plain file
  std::chrono::seconds age{0};  // since it was last written
};

// Held while it lives; the operating system lets go of it when the process
// ends, however it ends.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// The few file operations the tool needs. Paths are UTF-8 in the platform's
// own form. A read-only file is never forced: Remove and Replace refuse it.
// Nothing here opens anything but a plain file, so a pipe or a device in the
// way cannot make the window wait.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // A plain file, or a link to one.
  virtual bool Exists(const std::string& path) const = 0;
  virtual EntryKind Kind(const std::string& path) const = 0;
  // Refuses anything but a plain file, and a file of more than limit bytes.
  virtual Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const = 0;
  // Creates path only if nothing at all stands there (inTheWay tells that
  // case apart), writes all bytes, gives the file the permission bits of
  // permissionsOf where that is a writable file, and flushes it to the disk.
  // On failure nothing it created is left.
  virtual Status CreateNew(const std::string& path, std::string_view bytes, const std::string& permissionsOf,
                           bool& inTheWay) = 0;
  // Moves source over target in one step, so target is either old or new,
  // and makes the move itself reach the disk.
  virtual Status Replace(const std::string& source, const std::string& target) = 0;
  virtual Status Remove(const std::string& path) = 0;
  // The file that a link at path names, through any links; path itself
  // where no link stands there.
  virtual std::string Resolved(const std::string& path) const = 0;
  // Makes the folder where nothing stands; a folder already there will do.
  virtual Status MakeFolder(const std::string& path) = 0;
  // What stands right in folder, links not followed: nothing where it
  // cannot be read.
  virtual std::vector<Listed> List(const std::string& folder) const = 0;
  // Takes the lock on the file at path (created if missing), waiting up to
  // wait while another process holds it.
  virtual Status Lock(const std::string& path, std::chrono::milliseconds wait, std::unique_ptr<FileLock>& held) = 0;
};

FileSystem& RealFileSystem();

// "64 MiB", "512 bytes": a size limit as a message gives it.
std::string SizeText(std::size_t bytes);

// The platform's folder separator, and a folder joined with a file name.
char PathSeparator();
std::string JoinPath(const std::string& folder, std::string_view name);
std::string FolderOf(const std::string& path);

// The refusal for something at blocker, which no retry can help, that keeps
// path from being written.
Status InTheWay(const std::string& path, const std::string& blocker);

// Writes a whole file without ever leaving it half written: the bytes go to
// a new file of the tool's own beside it, which then replaces path. On
// failure path is as it was and no file of the tool's is left behind; no
// file the tool did not create is ever touched but path itself.
Status WriteFileReplacing(FileSystem& fs, const std::string& path, std::string_view bytes);

// Creates a new file stem + a random part + extension, with the permission
// bits of permissionsOf, and says in path which.
Status CreateUnique(FileSystem& fs, const std::string& stem, std::string_view extension, std::string_view bytes,
                    const std::string& permissionsOf, std::string& path);

// The same through a temporary file of a fixed name. A plain file left there
// by an interrupted earlier write is removed first; anything else in the
// way is refused.
Status WriteFileReplacing(FileSystem& fs, const std::string& path, std::string_view bytes,
                          const std::string& tempPath);

}  // namespace platform

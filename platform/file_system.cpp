#include "platform/file_system.h"

#include <random>

namespace platform {
namespace {

std::string RandomPart() {
  static std::mt19937 generator{std::random_device{}()};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string part;
  for (int i = 0; i < 8; ++i) part += kHex[generator() % 16];
  return part;
}

Status MoveInPlace(FileSystem& fs, const std::string& tempPath, const std::string& path) {
  if (Status replaced = fs.Replace(tempPath, path); !replaced) {
    (void)fs.Remove(tempPath);
    return replaced;
  }
  return Status::Ok();
}

}  // namespace

std::string SizeText(std::size_t bytes) {
  constexpr std::size_t kMiB = 1024 * 1024;
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " bytes";
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string joined = folder;
  joined += PathSeparator();
  joined += name;
  return joined;
}

std::string FolderOf(const std::string& path) {
  const size_t cut = PathSeparator() == '/' ? path.find_last_of('/') : path.find_last_of("\\/");
  if (cut == std::string::npos) return ".";
  return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

Status InTheWay(const std::string& path, const std::string& blocker) {
  return Status::Failure("Could not write \"" + path + "\": \"" + blocker +
                         "\" is in the way and is not a plain file. Remove it and try again.");
}

Status CreateUnique(FileSystem& fs, const std::string& stem, std::string_view extension, std::string_view bytes,
                    const std::string& permissionsOf, std::string& path) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    path = stem + RandomPart();
    path += extension;
    bool inTheWay = false;
    const Status created = fs.CreateNew(path, bytes, permissionsOf, inTheWay);
    if (!inTheWay) return created;
  }
  return Status::Failure("Could not write \"" + permissionsOf + "\": no free name for a file of its own beside it.");
}

Status WriteFileReplacing(FileSystem& fs, const std::string& path, std::string_view bytes) {
  // A name of the tool's own: whatever the user keeps beside path, even a
  // file called path + ".tmp", is never in the way.
  std::string tempPath;
  if (Status created = CreateUnique(fs, path + ".~", ".tmp", bytes, path, tempPath); !created) return created;
  return MoveInPlace(fs, tempPath, path);
}

Status WriteFileReplacing(FileSystem& fs, const std::string& path, std::string_view bytes,
                          const std::string& tempPath) {
  switch (fs.Kind(tempPath)) {
    case EntryKind::None:
      break;
    case EntryKind::File:
      if (Status removed = fs.Remove(tempPath); !removed) return removed;
      break;
    case EntryKind::Other:
      return InTheWay(path, tempPath);
  }
  bool inTheWay = false;
  if (Status created = fs.CreateNew(tempPath, bytes, path, inTheWay); !created) return created;
  return MoveInPlace(fs, tempPath, path);
}

}  // namespace platform

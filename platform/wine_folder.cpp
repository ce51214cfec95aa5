#include "platform/wine_folder.h"
#include "platform/ascii.h"

#include <cstdlib>
#include <filesystem>

namespace platform {
namespace {

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(std::filesystem::path(std::u8string(path.begin(), path.end())), error);
}


}  // namespace

std::optional<std::string> WineFolderFor(std::string_view windowsFolder, const std::string& prefix) {
  if (prefix.empty() || windowsFolder.size() < 2 || !ascii::IsLetter(windowsFolder[0]) || windowsFolder[1] != ':') {
    return std::nullopt;
  }
  const char letter = static_cast<char>(windowsFolder[0] | 0x20);
  std::string path = prefix + "/dosdevices/" + letter + ':';
  if (letter == 'c' && !IsFolder(path)) path = prefix + "/drive_c";
  // The rest, one folder at a time; doubled separators name no folder.
  std::string_view rest = windowsFolder.substr(2);
  while (!rest.empty()) {
    const size_t cut = rest.find_first_of("\\/");
    const std::string_view part = rest.substr(0, cut);
    if (!part.empty()) {
      path += '/';
      path += part;
    }
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  if (!IsFolder(path)) return std::nullopt;
  return path;
}

std::optional<std::string> WindowsPathFor(const std::string& localPath, const std::string& prefix) {
  namespace fs = std::filesystem;
  const fs::path devices = fs::path(std::u8string(prefix.begin(), prefix.end())) / "dosdevices";
  std::error_code error;
  // A prefix not made yet gets Wine's own drives, Z: the root among them.
  std::optional<char> drive;
  std::string rest = localPath;
  if (prefix.empty() || !fs::is_directory(devices, error)) drive = 'Z';
  long best = -1;  // length of the longest drive root that holds the path
  for (const auto& entry : fs::directory_iterator(devices, error)) {
    const auto name = entry.path().filename().u8string();
    if (name.size() != 2 || name[1] != ':' || !ascii::IsLetter(static_cast<char>(name[0]))) continue;
    const auto target = fs::canonical(entry.path(), error).u8string();
    if (error) continue;
    // The root folder "/" holds every path and counts as length 0.
    const std::string root = target == u8"/" ? std::string() : std::string(target.begin(), target.end());
    const bool inside = localPath.compare(0, root.size(), root) == 0 &&
                        (localPath.size() == root.size() || localPath[root.size()] == '/');
    if (inside && static_cast<long>(root.size()) > best) {
      best = static_cast<long>(root.size());
      drive = static_cast<char>(name[0] & ~0x20);
      rest = localPath.substr(root.size());
    }
  }
  if (!drive) return std::nullopt;
  std::string windows{*drive, ':'};
  for (const char c : rest) windows += c == '/' ? '\\' : c;
  return windows;
}

std::string GamePathFor(const std::string& chosenPath) {
#ifdef _WIN32
  return chosenPath;
#else
  if (chosenPath.empty() || chosenPath[0] != '/') return chosenPath;
  // Where no drive leads, the path as it stands, which a run then refuses.
  return WindowsPathFor(chosenPath, UserWinePrefix()).value_or(chosenPath);
#endif
}

std::string UserWinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.wine";
  return {};
}

std::optional<std::string> DialogFolderFor(const std::string& folder) {
  if (folder.empty()) return std::nullopt;
  if (IsFolder(folder)) return folder;
#ifdef _WIN32
  return std::nullopt;  // the text is the folder; Windows has no prefix to look in
#else
  return WineFolderFor(folder, UserWinePrefix());
#endif
}

bool FolderHoldsFile(const FileSystem& fs, const std::string& gameFolder, std::string_view fileName) {
#ifdef _WIN32
  const std::optional<std::string> folder = IsFolder(gameFolder) ? std::optional(gameFolder) : std::nullopt;
#else
  const std::optional<std::string> folder = WineFolderFor(gameFolder, UserWinePrefix());
#endif
  if (!folder) return false;
  const std::string wanted = ascii::Lower(fileName);
  for (const Listed& entry : fs.List(*folder)) {
    if (ascii::Lower(entry.name) == wanted && (entry.file || fs.Exists(JoinPath(*folder, entry.name)))) return true;
  }
  return false;
}

}  // namespace platform

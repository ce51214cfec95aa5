#include "platform/wine_folder.h"

#include <cstdlib>
#include <filesystem>

namespace platform {
namespace {

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(std::filesystem::path(std::u8string(path.begin(), path.end())), error);
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

std::optional<std::string> WineFolderFor(std::string_view windowsFolder, const std::string& prefix) {
  if (prefix.empty() || windowsFolder.size() < 2 || !IsLetter(windowsFolder[0]) || windowsFolder[1] != ':') {
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

}  // namespace platform

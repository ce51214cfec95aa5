#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/file_system.h"

// A folder of its own for one test, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("stormline-test-" + std::to_string(seed()));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder as the tool names it (UTF-8, the platform's separators).
  std::string path() const { return ToUtf8(path_); }
  std::string File(const std::string& name) const { return platform::JoinPath(path(), name); }

  static std::string ToUtf8(const std::filesystem::path& p) {
    const auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
  }
  static std::filesystem::path FromUtf8(const std::string& s) {
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
  }

  static std::string Read(const std::string& file) {
    std::ifstream in(FromUtf8(file), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const std::string& file, const std::string& bytes) {
    std::ofstream out(FromUtf8(file), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  static bool Exists(const std::string& file) { return std::filesystem::exists(FromUtf8(file)); }
  static void MakeReadOnly(const std::string& file) {
    std::filesystem::permissions(FromUtf8(file),
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
  }
  // Names in the folder, to see that no temporary file was left behind.
  std::size_t Count() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                  std::filesystem::directory_iterator()));
  }

 private:
  std::filesystem::path path_;
};

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
    do path_ = std::filesystem::temp_directory_path() / ("stormline-test-" + std::to_string(seed()));
    while (!std::filesystem::create_directory(path_));
  }
  ~TempFolder() {
    namespace fs = std::filesystem;
    std::error_code ignored;  // read-only files go too
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder as the tool names it (UTF-8, the platform's separators).
  std::string path() const { return ToUtf8(path_); }
  std::string File(const std::string& name) const { return platform::JoinPath(path(), name); }
  // Names in the folder, to see that no temporary file was left behind.
  std::size_t Count() const { return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_), {})); }

  static std::string ToUtf8(const std::filesystem::path& p) { return reinterpret_cast<const char*>(p.u8string().c_str()); }
  static std::filesystem::path FromUtf8(const std::string& s) { return std::u8string(s.begin(), s.end()); }
  static std::string Read(const std::string& file) {
    return std::string(std::istreambuf_iterator<char>(std::ifstream(FromUtf8(file), std::ios::binary).rdbuf()), {});
  }
  static void Write(const std::string& file, const std::string& bytes) { std::ofstream(FromUtf8(file), std::ios::binary) << bytes; }
  static bool Exists(const std::string& file) { return std::filesystem::exists(FromUtf8(file)); }

 private:
  std::filesystem::path path_;
};

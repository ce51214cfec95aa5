#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/file_system.h"

// Files held in memory: for the fuzzer, which rewrites config.ini thousands
// of times, and for failures on demand. The failAt-th call that can fail (0
// for the first; Exists and Kind cannot) fails, with persistent set every
// later one too.
struct MemoryFileSystem final : platform::FileSystem {
  std::map<std::string, std::string> files;
  int failAt = -1;
  bool persistent = false;
  mutable int calls = 0;  // that could fail, so far (ReadAll is const)

  bool Exists(const std::string& path) const override { return files.contains(path); }
  platform::EntryKind Kind(const std::string& path) const override {
    return Exists(path) ? platform::EntryKind::File : platform::EntryKind::None;
  }
  platform::Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const override {
    if (Fails() || !Exists(path) || files.at(path).size() > limit) return Failed(path);
    bytes = files.at(path);
    return platform::Status::Ok();
  }
  platform::Status CreateNew(const std::string& path, std::string_view bytes, const std::string&, bool& inTheWay) override {
    inTheWay = false;
    if (Fails() || (inTheWay = Exists(path))) return Failed(path);
    files[path] = bytes;
    return platform::Status::Ok();
  }
  platform::Status Replace(const std::string& source, const std::string& target) override {
    if (Fails() || !Exists(source)) return Failed(target);
    files[target] = files.at(source);
    files.erase(source);
    return platform::Status::Ok();
  }
  platform::Status Remove(const std::string& path) override {
    return !Fails() && files.erase(path) ? platform::Status::Ok() : Failed(path);
  }
  std::string Resolved(const std::string& path) const override { return path; }
  platform::Status MakeFolder(const std::string& path) override {
    return Fails() ? Failed(path) : platform::Status::Ok();
  }
  std::vector<platform::Listed> List(const std::string&) const override { return {}; }
  platform::Status Lock(const std::string& path, std::chrono::milliseconds, std::unique_ptr<platform::FileLock>& held) override {
    if (Fails()) return Failed(path);
    held = std::make_unique<platform::FileLock>();
    return platform::Status::Ok();
  }

 private:
  bool Fails() const {
    const int index = calls++;
    return failAt >= 0 && (persistent ? index >= failAt : index == failAt);
  }
  static platform::Status Failed(const std::string& path) {
    return platform::Status::Failure("Could not use \"" + path + "\": injected fault.");
  }
};

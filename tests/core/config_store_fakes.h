#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/file_system.h"

// Files held in memory, for the fuzzer, which rewrites config.ini thousands of times.
struct MemoryFileSystem final : platform::FileSystem {
  std::map<std::string, std::string> files;

  bool Exists(const std::string& path) const override { return files.contains(path); }
  platform::EntryKind Kind(const std::string& path) const override {
    return Exists(path) ? platform::EntryKind::File : platform::EntryKind::None;
  }
  platform::Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const override {
    if (!Exists(path) || files.at(path).size() > limit) return Failed(path);
    bytes = files.at(path);
    return platform::Status::Ok();
  }
  platform::Status CreateNew(const std::string& path, std::string_view bytes, const std::string&, bool& inTheWay) override {
    if ((inTheWay = Exists(path))) return Failed(path);
    files[path] = bytes;
    return platform::Status::Ok();
  }
  platform::Status Replace(const std::string& source, const std::string& target) override {
    if (!Exists(source)) return Failed(source);
    files[target] = files.at(source);
    return Remove(source);
  }
  platform::Status Remove(const std::string& path) override {
    return files.erase(path) ? platform::Status::Ok() : Failed(path);
  }
  platform::Status Lock(const std::string&, std::chrono::milliseconds, std::unique_ptr<platform::FileLock>& held) override {
    held = std::make_unique<platform::FileLock>();
    return platform::Status::Ok();
  }
  static platform::Status Failed(const std::string& path) { return platform::Status::Failure("Failed on \"" + path + "\"."); }
};

// Passes every call on, except that the failAt-th call that can fail (0 for
// the first; Exists and Kind cannot) fails, and with persistent set every later one too.
class FaultyFileSystem final : public platform::FileSystem {
 public:
  explicit FaultyFileSystem(platform::FileSystem& inner) : inner_(inner) {}
  int failAt = -1;
  bool persistent = false;
  mutable int calls = 0;  // that could fail, so far (ReadAll is const)

  bool Exists(const std::string& path) const override { return inner_.Exists(path); }
  platform::EntryKind Kind(const std::string& path) const override { return inner_.Kind(path); }
  platform::Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const override {
    return Fails() ? Failed(path) : inner_.ReadAll(path, bytes, limit);
  }
  platform::Status CreateNew(const std::string& path, std::string_view bytes, const std::string& permissionsOf,
                             bool& inTheWay) override {
    return Fails() ? (inTheWay = false, Failed(path)) : inner_.CreateNew(path, bytes, permissionsOf, inTheWay);
  }
  platform::Status Replace(const std::string& source, const std::string& target) override {
    return Fails() ? Failed(target) : inner_.Replace(source, target);
  }
  platform::Status Remove(const std::string& path) override { return Fails() ? Failed(path) : inner_.Remove(path); }
  platform::Status Lock(const std::string& path, std::chrono::milliseconds wait,
                        std::unique_ptr<platform::FileLock>& held) override {
    return Fails() ? Failed(path) : inner_.Lock(path, wait, held);
  }

 private:
  bool Fails() const {
    const int index = calls++;
    return failAt >= 0 && (persistent ? index >= failAt : index == failAt);
  }
  static platform::Status Failed(const std::string& path) {
    return platform::Status::Failure("Could not use \"" + path + "\": injected fault.");
  }
  platform::FileSystem& inner_;
};

#pragma once

#include <map>
#include <string>

#include "platform/file_system.h"

// Files held in memory: for the fuzzer, which rewrites config.ini thousands
// of times, and for failures on demand. The failAt-th call that can fail (0
// for the first; Exists and Kind cannot) fails, with persistent every later
// one too.
struct MemoryFileSystem final : platform::FileSystem {
  using Status = platform::Status;
  using EntryKind = platform::EntryKind;
  std::map<std::string, std::string> files;
  int failAt = -1;
  bool persistent = false;
  mutable int calls = 0;  // that could fail, so far (ReadAll is const)

  bool Exists(const std::string& path) const override { return files.contains(path); }
  EntryKind Kind(const std::string& path) const override { return Exists(path) ? EntryKind::File : EntryKind::None; }
  Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const override {
    if (Fails() || !Exists(path) || files.at(path).size() > limit) return Failed(path);
    return bytes = files.at(path), Status::Ok();
  }
  Status CreateNew(const std::string& path, std::string_view bytes, const std::string&, bool& inTheWay) override {
    inTheWay = false;
    return Fails() || (inTheWay = Exists(path)) ? Failed(path) : (files[path] = bytes, Status::Ok());
  }
  Status Replace(const std::string& source, const std::string& target) override {
    if (Fails() || !Exists(source)) return Failed(target);
    return files[target] = files.at(source), files.erase(source), Status::Ok();
  }
  Status Remove(const std::string& path) override { return !Fails() && files.erase(path) ? Status::Ok() : Failed(path); }
  std::string Resolved(const std::string& path) const override { return path; }
  Status MakeFolder(const std::string& path) override { return Fails() ? Failed(path) : Status::Ok(); }
  std::vector<platform::Listed> List(const std::string&) const override { return {}; }
  Status Lock(const std::string& path, std::chrono::milliseconds, std::unique_ptr<platform::FileLock>& held) override {
    return Fails() ? Failed(path) : (held = std::make_unique<platform::FileLock>(), Status::Ok());
  }
  bool Fails() const { return calls++ == failAt || (persistent && failAt >= 0 && calls > failAt + 1); }
  static Status Failed(const std::string& path) { return Status::Failure("Could not use \"" + path + "\": injected fault."); }
};

#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

// Files held in memory, for tests that rewrite config.ini thousands of times
// and for the fuzzer.
class MemoryFileSystem final : public platform::FileSystem {
 public:
  std::map<std::string, std::string> files;

  bool Exists(const std::string& path) const override { return files.contains(path); }
  platform::EntryKind Kind(const std::string& path) const override {
    return files.contains(path) ? platform::EntryKind::File : platform::EntryKind::None;
  }
  platform::Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const override {
    const auto found = files.find(path);
    if (found == files.end()) return Missing(path);
    if (found->second.size() > limit) return platform::Status::Failure("Too large \"" + path + "\".");
    bytes = found->second;
    return platform::Status::Ok();
  }
  platform::Status CreateNew(const std::string& path, std::string_view bytes, const std::string&,
                             bool& inTheWay) override {
    inTheWay = files.contains(path);
    if (inTheWay) return platform::Status::Failure("In the way \"" + path + "\".");
    files[path] = std::string(bytes);
    return platform::Status::Ok();
  }
  platform::Status Replace(const std::string& source, const std::string& target) override {
    const auto found = files.find(source);
    if (found == files.end()) return Missing(source);
    std::string bytes = std::move(found->second);
    files.erase(found);
    files[target] = std::move(bytes);
    return platform::Status::Ok();
  }
  platform::Status Remove(const std::string& path) override {
    if (files.erase(path) == 0) return Missing(path);
    return platform::Status::Ok();
  }
  platform::Status Lock(const std::string&, std::chrono::milliseconds,
                        std::unique_ptr<platform::FileLock>& held) override {
    held = std::make_unique<platform::FileLock>();
    return platform::Status::Ok();
  }

 private:
  static platform::Status Missing(const std::string& path) {
    return platform::Status::Failure("No such file \"" + path + "\".");
  }
};

// Passes every call on, except that the failAt-th call that can fail (0 for
// the first; Exists and Kind cannot) fails, and with persistent set every
// later one too.
class FaultyFileSystem final : public platform::FileSystem {
 public:
  explicit FaultyFileSystem(platform::FileSystem& inner) : inner_(inner) {}

  int failAt = -1;
  bool persistent = false;
  // Counted in const calls too: ReadAll is const in the interface.
  mutable int calls = 0;                 // calls that could fail, so far
  mutable int failures = 0;              // of which failed
  mutable std::vector<std::string> log;  // "ReadAll config.ini", ... in call order

  bool Exists(const std::string& path) const override { return inner_.Exists(path); }
  platform::EntryKind Kind(const std::string& path) const override { return inner_.Kind(path); }
  platform::Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const override {
    if (Fails("ReadAll", path)) return Failure("read", path);
    return inner_.ReadAll(path, bytes, limit);
  }
  platform::Status CreateNew(const std::string& path, std::string_view bytes, const std::string& permissionsOf,
                             bool& inTheWay) override {
    inTheWay = false;
    if (Fails("CreateNew", path)) return Failure("write", path);
    return inner_.CreateNew(path, bytes, permissionsOf, inTheWay);
  }
  platform::Status Replace(const std::string& source, const std::string& target) override {
    if (Fails("Replace", target)) return Failure("replace", target);
    return inner_.Replace(source, target);
  }
  platform::Status Remove(const std::string& path) override {
    if (Fails("Remove", path)) return Failure("delete", path);
    return inner_.Remove(path);
  }
  platform::Status Lock(const std::string& path, std::chrono::milliseconds wait,
                        std::unique_ptr<platform::FileLock>& held) override {
    if (Fails("Lock", path)) return Failure("lock", path);
    return inner_.Lock(path, wait, held);
  }

 private:
  bool Fails(const char* what, const std::string& path) const {
    const size_t slash = path.find_last_of("/\\");
    log.push_back(std::string(what) + " " + (slash == std::string::npos ? path : path.substr(slash + 1)));
    const int index = calls++;
    const bool fails = index == failAt || (persistent && failAt >= 0 && index > failAt);
    if (fails) ++failures;
    return fails;
  }
  static platform::Status Failure(const char* what, const std::string& path) {
    return platform::Status::Failure("Could not " + std::string(what) + " \"" + path + "\": injected fault.");
  }

  platform::FileSystem& inner_;
};

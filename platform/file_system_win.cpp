#include <windows.h>

#include <algorithm>
#include <thread>

#include "platform/file_system.h"
#include "platform/win_text.h"

namespace platform {
namespace {

using win::ErrorText;
using win::Widen;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

Status Fail(const std::string& what, const std::string& path, DWORD error) {
  return Status::Failure("Could not " + what + " " + Quoted(path) + ": " + ErrorText(error) + ".");
}

// Windows refuses to overwrite, replace or delete a read-only file by
// itself, but Wine run as root does not; asking first keeps the promise on both.
bool IsReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Closing the handle lets go of the lock, as does the end of the process.
class WindowsLock final : public FileLock {
 public:
  explicit WindowsLock(HANDLE file) : file_(file) {}
  ~WindowsLock() override { CloseHandle(file_); }

 private:
  HANDLE file_;
};

class WindowsFileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  EntryKind Kind(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryKind::None : EntryKind::Other;
    }
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
               ? EntryKind::Other
               : EntryKind::File;
  }

  Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const override {
    bytes.clear();
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("read", path, GetLastError());
    const auto failed = [&](Status status) {
      CloseHandle(file);
      return status;
    };
    if (GetFileType(file) != FILE_TYPE_DISK) {
      return failed(Status::Failure("Could not read " + Quoted(path) + ": it is not a plain file."));
    }
    const Status tooLarge = Status::Failure("Could not read " + Quoted(path) + ": it is larger than " + SizeText(limit) + ".");
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) > limit) return failed(tooLarge);
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) return failed(Fail("read", path, GetLastError()));
      if (got == 0) break;
      if (bytes.size() + got > limit) return failed(tooLarge);
      bytes.append(buffer, got);
    }
    CloseHandle(file);
    return Status::Ok();
  }

  Status CreateNew(const std::string& path, std::string_view bytes, const std::string&, bool& inTheWay) override {
    inTheWay = false;
    const std::wstring wide = Widen(path);
    // CREATE_NEW: whatever stands there, a link included, is neither followed nor opened.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      inTheWay = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
      return inTheWay ? Status::Failure("Could not create " + Quoted(path) + ": something is already there.")
                      : Fail("create", path, error);
    }
    const auto failed = [&](DWORD error) {
      CloseHandle(file);
      DeleteFileW(wide.c_str());
      return Fail("write", path, error);
    };
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD put = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
      if (!WriteFile(file, bytes.data() + done, chunk, &put, nullptr)) return failed(GetLastError());
      done += put;
    }
    if (!FlushFileBuffers(file)) return failed(GetLastError());
    if (!CloseHandle(file)) {
      const DWORD error = GetLastError();
      DeleteFileW(wide.c_str());
      return Fail("write", path, error);
    }
    return Status::Ok();
  }

  Status Replace(const std::string& source, const std::string& target) override {
    const std::wstring wideTarget = Widen(target);
    if (IsReadOnly(wideTarget)) {
      return Status::Failure("Could not replace " + Quoted(target) + ": the file is read-only.");
    }
    if (!MoveFileExW(Widen(source).c_str(), wideTarget.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return Fail("replace", target, GetLastError());
    }
    return Status::Ok();
  }

  Status Remove(const std::string& path) override {
    const std::wstring wide = Widen(path);
    if (IsReadOnly(wide)) return Status::Failure("Could not delete " + Quoted(path) + ": the file is read-only.");
    if (!DeleteFileW(wide.c_str())) return Fail("delete", path, GetLastError());
    return Status::Ok();
  }

  Status Lock(const std::string& path, std::chrono::milliseconds wait, std::unique_ptr<FileLock>& held) override {
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("open", path, GetLastError());
    if (GetFileType(file) != FILE_TYPE_DISK) {
      CloseHandle(file);
      return Status::Failure("Could not open " + Quoted(path) + ": it is not a plain file.");
    }
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
      OVERLAPPED at{};
      if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) break;
      const DWORD error = GetLastError();
      if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
        CloseHandle(file);
        return Fail("lock", path, error);
      }
      if (std::chrono::steady_clock::now() >= until) {
        CloseHandle(file);
        return Status::Failure("Could not lock " + Quoted(path) + ": another copy of the tool holds it.");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    held = std::make_unique<WindowsLock>(file);
    return Status::Ok();
  }
};

}  // namespace

char PathSeparator() { return '\\'; }

FileSystem& RealFileSystem() {
  static WindowsFileSystem fs;
  return fs;
}

}  // namespace platform

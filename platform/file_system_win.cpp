#include <windows.h>

#include <algorithm>

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

class WindowsFileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  Status ReadAll(const std::string& path, std::string& bytes) const override {
    bytes.clear();
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("read", path, GetLastError());
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return Fail("read", path, error);
      }
      if (got == 0) break;
      bytes.append(buffer, got);
    }
    CloseHandle(file);
    return Status::Ok();
  }

  Status WriteNew(const std::string& path, std::string_view bytes) override {
    const std::wstring wide = Widen(path);
    if (IsReadOnly(wide)) return Status::Failure("Could not write " + Quoted(path) + ": the file is read-only.");
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("create", path, GetLastError());
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD put = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
      if (!WriteFile(file, bytes.data() + done, chunk, &put, nullptr)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return Fail("write", path, error);
      }
      done += put;
    }
    if (!FlushFileBuffers(file)) {
      const DWORD error = GetLastError();
      CloseHandle(file);
      return Fail("write", path, error);
    }
    if (!CloseHandle(file)) return Fail("write", path, GetLastError());
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
};

}  // namespace

char PathSeparator() { return '\\'; }

FileSystem& RealFileSystem() {
  static WindowsFileSystem fs;
  return fs;
}

}  // namespace platform

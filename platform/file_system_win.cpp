#include <windows.h>

#include <algorithm>
#include <thread>
#include <utility>

#include "platform/file_system.h"
#include "platform/win_replace.h"
#include "platform/win_text.h"

namespace platform {
namespace {

using win::ErrorText;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

Status Fail(const std::string& what, const std::string& path, DWORD error) {
  return Status::Failure("Could not " + what + " " + Quoted(path) + ": " + ErrorText(error) + ".");
}

DWORD ErrorOf(BOOL done) { return done ? 0 : GetLastError(); }

// Paths past 260 characters, the temporary name beside a long one included.
std::wstring Long(const std::string& path) { return win::LongPath(path); }

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE handle_;
};

// Windows refuses to overwrite, replace or delete a read-only file by
// itself, but Wine run as root does not; asking first keeps the promise on both.
bool IsReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Links and junctions lead elsewhere; other reparse points, such as a cloud
// file's placeholder, are the file itself.
bool IsLink(DWORD attributes, DWORD tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag);
}

void Pause(DWORD milliseconds) { Sleep(milliseconds); }

// Wine's ReplaceFileW keeps nothing of the replaced file and leaves a
// temporary file of its own beside it: there a move does better.
bool KeepsWhatItReplaces() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return !wine;
}

// Closing the handle lets go of the lock, as does the end of the process.
class WindowsLock final : public FileLock {
 public:
  explicit WindowsLock(HANDLE file) : file_(file) {}

 private:
  Handle file_;
};

class WindowsFileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesW(Long(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  EntryKind Kind(const std::string& path) const override {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Long(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryKind::None : EntryKind::Other;
    }
    FindClose(search);
    const DWORD attributes = found.dwFileAttributes;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) || IsLink(attributes, found.dwReserved0)
               ? EntryKind::Other
               : EntryKind::File;
  }

  Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const override {
    bytes.clear();
    Handle file(CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Fail("read", path, GetLastError());
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
      return Status::Failure("Could not read " + Quoted(path) + ": it is not a plain file.");
    }
    const Status tooLarge = Status::Failure("Could not read " + Quoted(path) + ": it is larger than " + SizeText(limit) + ".");
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && static_cast<unsigned long long>(size.QuadPart) > limit) return tooLarge;
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return Fail("read", path, GetLastError());
      if (got == 0) break;
      if (bytes.size() + got > limit) return tooLarge;
      bytes.append(buffer, got);
    }
    return Status::Ok();
  }

  // The permission bits have no Windows counterpart: the replaced file's
  // security is kept by Replace instead.
  Status CreateNew(const std::string& path, std::string_view bytes, const std::string&, bool& inTheWay) override {
    inTheWay = false;
    const std::wstring wide = Long(path);
    // CREATE_NEW: whatever stands there, a link included, is neither followed nor opened.
    Handle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
      const DWORD error = GetLastError();
      inTheWay = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
      return inTheWay ? Status::Failure("Could not create " + Quoted(path) + ": something is already there.")
                      : Fail("create", path, error);
    }
    DWORD error = 0;
    for (size_t done = 0; done < bytes.size() && !error;) {
      DWORD put = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
      error = ErrorOf(WriteFile(file.get(), bytes.data() + done, chunk, &put, nullptr));
      done += put;
    }
    if (!error) error = ErrorOf(FlushFileBuffers(file.get()));
    if (!error) error = ErrorOf(CloseHandle(file.release()));
    if (!error) return Status::Ok();
    if (file.valid()) CloseHandle(file.release());
    DeleteFileW(wide.c_str());
    return Fail("write", path, error);
  }

  Status Replace(const std::string& source, const std::string& target) override {
    const std::wstring from = Long(source), to = Long(target);
    if (IsReadOnly(to)) return Status::Failure("Could not replace " + Quoted(target) + ": the file is read-only.");
    const DWORD error = win::ReplaceKeeping(
        KeepsWhatItReplaces() && GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES,
        [&] {
          return ErrorOf(ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                                      REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr));
        },
        [&] { return ErrorOf(MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)); },
        Pause);
    if (error) return Fail("replace", target, error);
    // The new name reaches the disk with its folder, where Windows lets a
    // folder be flushed.
    const std::wstring folder = to.substr(0, to.find_last_of(L'\\'));
    Handle handle(CreateFileW(folder.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.valid()) FlushFileBuffers(handle.get());
    return Status::Ok();
  }

  Status Remove(const std::string& path) override {
    const std::wstring wide = Long(path);
    if (IsReadOnly(wide)) return Status::Failure("Could not delete " + Quoted(path) + ": the file is read-only.");
    const DWORD error = win::RetryWhileHeld([&] { return ErrorOf(DeleteFileW(wide.c_str())); }, Pause);
    return error ? Fail("delete", path, error) : Status::Ok();
  }

  std::string Resolved(const std::string& path) const override {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Long(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return path;
    FindClose(search);
    if (!IsLink(found.dwFileAttributes, found.dwReserved0)) return path;
    Handle file(CreateFileW(Long(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) return path;  // a link to nothing: written in its place
    std::wstring target(32768, L'\0');
    target.resize(GetFinalPathNameByHandleW(file.get(), target.data(), static_cast<DWORD>(target.size()),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS));
    if (target.empty()) return path;
    if (target.starts_with(L"\\\\?\\UNC\\")) return "\\\\" + win::Narrow(target.substr(8));
    if (target.starts_with(L"\\\\?\\")) return win::Narrow(target.substr(4));
    return win::Narrow(target);
  }

  Status MakeFolder(const std::string& path) override {
    const std::wstring wide = Long(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return Status::Ok();
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return Fail("make the folder", path, error);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Status::Ok();
    return Status::Failure("Could not make the folder " + Quoted(path) + ": something else is in the way.");
  }

  std::vector<Listed> List(const std::string& folder) const override {
    std::vector<Listed> listed;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Long(JoinPath(folder, "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return listed;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    do {
      const std::string name = win::Narrow(found.cFileName);
      if (name == "." || name == "..") continue;
      const bool file = !(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) &&
                        !IsLink(found.dwFileAttributes, found.dwReserved0);
      const auto age = static_cast<long long>(ticks(now) - ticks(found.ftLastWriteTime)) / 10000000;  // from 100 ns
      listed.push_back({name, file, std::chrono::seconds(age)});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return listed;
  }

  Status Lock(const std::string& path, std::chrono::milliseconds wait, std::unique_ptr<FileLock>& held) override {
    // A link is opened as itself, never followed to create its target.
    Handle file(CreateFileW(Long(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) return Fail("open", path, GetLastError());
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool link = GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof tag) &&
                      IsLink(tag.FileAttributes, tag.ReparseTag);
    if (link || GetFileType(file.get()) != FILE_TYPE_DISK) {
      return Status::Failure("Could not open " + Quoted(path) + ": it is not a plain file.");
    }
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
      OVERLAPPED at{};
      if (LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) break;
      const DWORD error = GetLastError();
      if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) return Fail("lock", path, error);
      if (std::chrono::steady_clock::now() >= until) {
        return Status::Failure("Could not lock " + Quoted(path) + ": another copy of the tool holds it.");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    held = std::make_unique<WindowsLock>(file.release());
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

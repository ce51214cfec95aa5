#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <thread>
#include <utility>

#include "platform/file_system.h"

namespace platform {
namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

Status Fail(const std::string& what, const std::string& path, int error) {
  return Status::Failure("Could not " + what + " " + Quoted(path) + ": " + std::strerror(error) + ".");
}

Status NotAFile(const std::string& what, const std::string& path) {
  return Status::Failure("Could not " + what + " " + Quoted(path) + ": it is not a plain file.");
}

// Root may write to any file, so the write bits are what marks a file
// read-only here, as the attribute does on Windows.
bool IsReadOnly(const struct stat& info) { return (info.st_mode & 0222) == 0; }

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

class PosixLock final : public FileLock {
 public:
  explicit PosixLock(int fd) : fd_(fd) {}
  ~PosixLock() override { ::close(fd_); }  // closing lets go of the lock

 private:
  int fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) const override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  }

  EntryKind Kind(const std::string& path) const override {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? EntryKind::None : EntryKind::Other;
    return S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
  }

  Status ReadAll(const std::string& path, std::string& bytes, std::size_t limit) const override {
    bytes.clear();
    // Not blocking, so that a pipe in the file's place cannot hold the open.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return Fail("read", path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return Fail("read", path, errno);
    if (!S_ISREG(info.st_mode)) return NotAFile("read", path);
    const auto tooLarge = [&] {
      return Status::Failure("Could not read " + Quoted(path) + ": it is larger than " + SizeText(limit) + ".");
    };
    if (static_cast<std::size_t>(info.st_size) > limit) return tooLarge();
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
      const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
      if (got < 0) {
        if (errno == EINTR) continue;
        return Fail("read", path, errno);
      }
      if (got == 0) break;
      if (bytes.size() + static_cast<std::size_t>(got) > limit) return tooLarge();  // it grew meanwhile
      bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return Status::Ok();
  }

  Status CreateNew(const std::string& path, std::string_view bytes, const std::string& permissionsOf,
                   bool& inTheWay) override {
    inTheWay = false;
    // O_EXCL: nothing that stands there, a link least of all, is followed or opened.
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
      inTheWay = errno == EEXIST;
      return inTheWay ? Status::Failure("Could not create " + Quoted(path) + ": something is already there.")
                      : Fail("create", path, errno);
    }
    const auto failed = [&](int error) {
      ::close(fd.release());
      ::unlink(path.c_str());
      return Fail("write", path, error);
    };
    struct stat old {};
    if (::stat(permissionsOf.c_str(), &old) == 0 && S_ISREG(old.st_mode) && !IsReadOnly(old)) {
      if (::fchmod(fd.get(), old.st_mode & 07777) != 0) return failed(errno);
    }
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t put = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
      if (put < 0) {
        if (errno == EINTR) continue;
        return failed(errno);
      }
      done += static_cast<size_t>(put);
    }
    if (::fsync(fd.get()) != 0) return failed(errno);
    if (::close(fd.release()) != 0) {
      const int error = errno;
      ::unlink(path.c_str());
      return Fail("write", path, error);
    }
    return Status::Ok();
  }

  Status Replace(const std::string& source, const std::string& target) override {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
      if (!S_ISREG(info.st_mode)) return NotAFile("replace", target);
      if (IsReadOnly(info)) {
        return Status::Failure("Could not replace " + Quoted(target) + ": the file is read-only.");
      }
    }
    if (::rename(source.c_str(), target.c_str()) != 0) return Fail("replace", target, errno);
    // The new name reaches the disk only with its folder.
    Descriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) (void)::fsync(folder.get());
    return Status::Ok();
  }

  Status Remove(const std::string& path) override {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && IsReadOnly(info)) {
      return Status::Failure("Could not delete " + Quoted(path) + ": the file is read-only.");
    }
    if (::unlink(path.c_str()) != 0) return Fail("delete", path, errno);
    return Status::Ok();
  }

  std::string Resolved(const std::string& path) const override {
    std::string file = path;
    for (int hop = 0; hop < 40; ++hop) {  // as the system gives up on a loop
      struct stat info {};
      if (::lstat(file.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return file;
      std::string target(PATH_MAX, '\0');
      const ssize_t length = ::readlink(file.c_str(), target.data(), target.size());
      if (length <= 0) return file;
      target.resize(static_cast<size_t>(length));
      file = target.front() == '/' ? target : JoinPath(FolderOf(file), target);
    }
    return file;
  }

  Status MakeFolder(const std::string& path) override {
    if (::mkdir(path.c_str(), 0777) == 0) return Status::Ok();
    const int error = errno;
    struct stat info {};
    if (error != EEXIST) return Fail("make the folder", path, error);
    if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return Status::Ok();
    return Status::Failure("Could not make the folder " + Quoted(path) + ": something else is in the way.");
  }

  std::vector<Listed> List(const std::string& folder) const override {
    std::vector<Listed> listed;
    DIR* list = ::opendir(folder.c_str());
    if (!list) return listed;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(list)) {
      const std::string name = entry->d_name;
      struct stat info {};
      if (name == "." || name == ".." || ::lstat(JoinPath(folder, name).c_str(), &info) != 0) continue;
      listed.push_back({name, S_ISREG(info.st_mode), std::chrono::seconds(now - info.st_mtime)});
    }
    ::closedir(list);
    return listed;
  }

  Status Lock(const std::string& path, std::chrono::milliseconds wait, std::unique_ptr<FileLock>& held) override {
    Descriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    if (fd.get() < 0) return Fail("open", path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return Fail("open", path, errno);
    if (!S_ISREG(info.st_mode)) return NotAFile("open", path);
    const auto until = std::chrono::steady_clock::now() + wait;
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return Fail("lock", path, errno);
      if (std::chrono::steady_clock::now() >= until) {
        return Status::Failure("Could not lock " + Quoted(path) + ": another copy of the tool holds it.");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    held = std::make_unique<PosixLock>(fd.release());
    return Status::Ok();
  }
};

}  // namespace

char PathSeparator() { return '/'; }

FileSystem& RealFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace platform

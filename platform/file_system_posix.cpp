#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"

namespace platform {
namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

Status Fail(const std::string& what, const std::string& path, int error) {
  return Status::Failure("Could not " + what + " " + Quoted(path) + ": " + std::strerror(error) + ".");
}

// Root may write to any file, so the write bits are what marks a file
// read-only here, as the attribute does on Windows.
bool IsReadOnly(const struct stat& info) { return (info.st_mode & 0222) == 0; }

class PosixFileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) const override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  }

  Status ReadAll(const std::string& path, std::string& bytes) const override {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail("read", path, errno);
    char buffer[65536];
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got < 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        ::close(fd);
        return Fail("read", path, error);
      }
      if (got == 0) break;
      bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return Status::Ok();
  }

  Status WriteNew(const std::string& path, std::string_view bytes) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && IsReadOnly(info)) {
      return Status::Failure("Could not write " + Quoted(path) + ": the file is read-only.");
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return Fail("create", path, errno);
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (put < 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        ::close(fd);
        return Fail("write", path, error);
      }
      done += static_cast<size_t>(put);
    }
    if (::fsync(fd) != 0) {
      const int error = errno;
      ::close(fd);
      return Fail("write", path, error);
    }
    if (::close(fd) != 0) return Fail("write", path, errno);
    return Status::Ok();
  }

  Status Replace(const std::string& source, const std::string& target) override {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
      if (!S_ISREG(info.st_mode)) {
        return Status::Failure("Could not replace " + Quoted(target) + ": it is not a file.");
      }
      if (IsReadOnly(info)) {
        return Status::Failure("Could not replace " + Quoted(target) + ": the file is read-only.");
      }
    }
    if (::rename(source.c_str(), target.c_str()) != 0) return Fail("replace", target, errno);
    return Status::Ok();
  }

  Status Remove(const std::string& path) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && IsReadOnly(info)) {
      return Status::Failure("Could not delete " + Quoted(path) + ": the file is read-only.");
    }
    if (::unlink(path.c_str()) != 0) return Fail("delete", path, errno);
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
